// A Form1 whose state tests, soak runs and benchmarks may read.
#pragma once

#include "form1.h"

class OpenForm : public Form1 {
public:
    using Form1::Block;
    using Form1::end_code;
    using Form1::fall_interval;
    using Form1::fig;
    using Form1::Form1;
    using Form1::game_on;
    using Form1::input_locked;
    using Form1::intro_row;
    using Form1::level;
    using Form1::line_pts;
    using Form1::lines;
    using Form1::msg_closed;
    using Form1::name_entry_on;
    using Form1::name_typing;
    using Form1::need_fig;
    using Form1::Next_fig_win;
    using Form1::Picture1;
    using Form1::Picture2;
    using Form1::play_on;
    using Form1::Play_Tmr_Vert;
    using Form1::redraw_figure_area;
    using Form1::redraw_well;
    using Form1::rot_dx;
    using Form1::rot_dy;
    using Form1::score;
    using Form1::Stk_output;
    using Form1::time_left;
    using Form1::Timer1;
    using Form1::Timer_Wait;
    using Form1::wait_step;
    using Form1::well;
};
