// Placeholder bodies: this subsystem is being written.
#include "form1.h"

void Form1::init_spawn_table() {}

void Form1::init_rotation_tables() {}

void Form1::spawn_figure(Integer /*type*/, Integer &status) { status = -1; }

void Form1::lift_cell(Integer /*i*/) {}

void Form1::place_figure(Integer &blocked) { blocked = 0; }

void Form1::move_sideways(Integer /*direction*/, Integer &blocked) { blocked = -1; }

void Form1::move_down(Integer /*mode*/, Integer &blocked) { blocked = -1; }

void Form1::rotate() {}

void Form1::random_int(Integer lo, Integer /*hi*/, Integer &result) { result = lo; }
