// Placeholder bodies: this subsystem is being written.
#include "form1.h"

void Form1::Play_Tmr_Vert_Timer() {}

void Form1::freeze_figure() {}

void Form1::clear_full_rows(Integer &count) { count = 0; }

void Form1::remove_row(Integer /*row*/) {}
