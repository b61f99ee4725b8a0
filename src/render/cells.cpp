// Placeholder bodies: this subsystem is being written.
#include "form1.h"

void Form1::draw_cell(Long /*x*/, Long /*y*/, Integer /*image*/) {}

void Form1::redraw_well() {}

void Form1::redraw_figure_area() {}

void Form1::paint_filled_cells(Integer /*image*/) {}

void Form1::draw_well_rows(Integer & /*rows*/) {}

void Form1::fill_box(Long /*left*/, Long /*top*/, Long /*right*/, Long /*bottom*/, plat::PictureBox * /*dc*/,
                     Long /*color*/) {}

Integer Form1::cell_image(Integer /*value*/) { return 1; }

void Form1::blank_box(plat::PictureBox * /*box*/, Long /*color*/) {}
