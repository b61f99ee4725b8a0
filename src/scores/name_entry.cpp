// Placeholder bodies: this subsystem is being written.
#include "form1.h"

void Form1::init_char_table() {}

void Form1::start_name_entry() {}

void Form1::draw_name_box() {}

void Form1::Picture2_KeyPress(Integer /*char_code*/) {}

void Form1::Timer2_Timer() {}

void Form1::Picture2_LostFocus() {}

void Form1::Next_fig_win_GotFocus() {}
