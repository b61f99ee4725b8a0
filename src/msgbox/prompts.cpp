// Placeholder bodies: this subsystem is being written.
#include "form1.h"

void Form1::toggle_pause() {}

void Form1::ask_exit() {}

void Form1::close_prompt() {}

void Form1::Picture2_KeyDown(Integer /*key_code*/, Integer /*shift*/) {}
