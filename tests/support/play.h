// Drives a game of a Form1 subclass with the bot, by key presses only.
// F must expose (through using-declarations) the fields read below.
#pragma once

#include "bot.h"
#include "form1.h"

#include "platform/keyboard.h"

namespace play {

// Call often (every few milliseconds of game time). Returns true while a
// game or its ending is still running.
template <typename F> class Pilot {
public:
    explicit Pilot(F &form) : form_(form) {}

    bool step() {
        F &f = form_;
        if (f.game_on != kTrue) {
            if (f.name_entry_on == kTrue && f.name_typing == kTrue) {
                for (const char c : {'B', 'O', 'T'}) {
                    f.deliverKey(c, 0, c);
                }
                f.deliverKey(plat::kVkReturn, 0, 13);
            }
            return f.intro_row < 21 && f.intro_row > 0; // the intro of a new game
        }
        if (f.msg_closed == kFalse && f.Timer_Wait->enabled() && !f.Play_Tmr_Vert->enabled() && f.play_on != 0 &&
            f.Picture2->shown()) {
            f.deliverKey(plat::kVkEscape, 0, 27); // acknowledge the end-of-game message
            return true;
        }
        if (f.need_fig == kTrue) {
            planned_ = false;
            return true;
        }
        if (!planned_ && f.input_locked == kFalse && f.play_on != 0) {
            planned_ = true;
            bot::View v;
            v.well = f.well.cells.data();
            v.type = f.fig[0];
            v.state = f.fig[1];
            for (int i = 0; i < 4; ++i) {
                v.cells[static_cast<size_t>(i)] = {f.fig[static_cast<size_t>(4 + i)],
                                                   f.fig[static_cast<size_t>(8 + i)]};
            }
            v.rot_dx = &f.rot_dx;
            v.rot_dy = &f.rot_dy;
            for (const int key : bot::plan(v)) {
                f.deliverKey(key, 0, key == plat::kVkSpace ? 32 : -1);
            }
        }
        return true;
    }

private:
    F &form_;
    bool planned_ = false;
};

} // namespace play
