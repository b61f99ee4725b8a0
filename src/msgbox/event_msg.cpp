// Placeholder bodies: this subsystem is being written.
#include "form1.h"

void Form1::open_msg(Integer /*pad_w*/, Integer /*pad_h*/, Long /*back_color*/, Long /*fore_color*/) {}

bool Form1::open_msg_step() { return true; }

void Form1::print_msg_lines(Integer /*x*/, Integer /*y*/) {}

void Form1::open_win_Timer() {}

void Form1::centre_msg_box() {}
