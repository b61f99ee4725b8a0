// Placeholder bodies: this subsystem is being written.
#include "form1.h"

void Form1::load_button_faces() {}

void Form1::init_buttons() {}

void Form1::buttons_idle() {}

void Form1::enable_knopstart() {}

void Form1::enable_knoppause() {}

void Form1::enable_knopup() {}

void Form1::enable_knopdown() {}

void Form1::disable_knopstart() {}

void Form1::disable_knoppause() {}

void Form1::disable_knopup() {}

void Form1::disable_knopdown() {}

void Form1::press_knopstart() {}

void Form1::press_knoppause() {}

void Form1::press_knopup() {}

void Form1::press_knopdown() {}

void Form1::level_up() {}

void Form1::level_down() {}

void Form1::toggle_sound() {}

void Form1::toggle_next() {}

void Form1::pause_game() {}

void Form1::knopstart_Click(Integer /*index*/) {}

void Form1::knoppause_Click(Integer /*index*/) {}

void Form1::knopup_Click(Integer /*index*/) {}

void Form1::knopdown_Click(Integer /*index*/) {}

void Form1::knopsound_Click(Integer /*index*/) {}

void Form1::knopnext_Click(Integer /*index*/) {}

void Form1::knop_prs_Timer() {}
