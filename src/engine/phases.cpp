// Placeholder bodies: this subsystem is being written.
#include "form1.h"

void Form1::start_game() {}

void Form1::clear_well() {}

void Form1::Stk_output_Timer() {}

void Form1::Timer_Wait_Timer() {}
