// Placeholder bodies: this subsystem is being written.
#include "form1.h"

QString Form1::score_path() { return {}; }

Integer Form1::check_score_file() { return 0; }

void Form1::load_scores(std::array<Integer, 10> & /*values*/, std::array<QString, 10> & /*names*/) {}

bool Form1::create_score_file(const QString & /*path*/) { return false; }

bool Form1::save_scores(std::array<Integer, 10> & /*values*/, std::array<QString, 10> & /*names*/) { return false; }

Integer Form1::find_score_place(Integer /*new_score*/, std::array<Integer, 10> & /*values*/,
                                std::array<QString, 10> & /*names*/) {
    return -1;
}

void Form1::show_scores(Integer /*new_score*/, Byte /*check_new*/) {}
