// Placeholder bodies: this subsystem is being written.
#include "form1.h"

void Form1::draw_next_cell(Long /*x*/, Long /*y*/) {}

void Form1::draw_next_figure(Integer /*type*/) {}
