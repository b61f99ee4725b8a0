// Placeholder bodies: this subsystem is being written.
#include "form1.h"

void Form1::init_level_tables() {}

void Form1::init_line_points() {}

void Form1::Timer1_Timer() {}

void Form1::check_reset() {}

Integer Form1::add_time_bonus() { return 0; }

QString Form1::level_caption() const { return {}; }

void Form1::set_level_label() {}
