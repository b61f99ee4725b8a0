// The window with the fields the benchmarks read, and a player that answers with the test suite's bot.
#pragma once

#include "form1.h"
#include "support/bot.h"

#include "platform/keyboard.h"

class BenchForm : public Form1 {
public:
    using Form1::Form1;
    using Form1::game_on;
    using Form1::lines;
    using Form1::name_entry_on;
    using Form1::need_fig;
    using Form1::Picture1;
    using Form1::redraw_figure_area;
    using Form1::redraw_well;
    using Form1::Stk_output;
    using Form1::Timer_Wait;

    // One look at the game: the figure under control gets the bot's keys, an end message its Esc, a new
    // result the name BOT.
    void step() {
        if (name_entry_on == kTrue && name_typing == kTrue) {
            for (const char c : {'B', 'O', 'T'}) {
                deliverKey(c, 0, c);
            }
            deliverKey(plat::kVkReturn, 0, 13);
        } else if (game_on == kTrue && Picture2->shown() && Timer_Wait->enabled() && msg_closed == kFalse &&
                   play_on != 0) {
            deliverKey(plat::kVkEscape, 0, 27);
        } else if (game_on == kTrue && need_fig == kFalse && input_locked == kFalse && !planned_) {
            planned_ = true;
            for (const int k : bot::plan(well.cells.data(), fig.data(), rot_dx, rot_dy)) {
                deliverKey(k, 0, k == plat::kVkSpace ? 32 : -1);
            }
        }
        planned_ = planned_ && need_fig == kFalse;
    }

private:
    bool planned_ = false;
};
