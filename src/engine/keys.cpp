// The keys of the play area. One action per key-down: the platform's
// auto-repeat is the only repeat.
#include "form1.h"

void Form1::Picture1_KeyDown(Integer key_code, Integer /*shift*/) {
    // Between a landing and the next figure every key is lost.
    if (need_fig == kTrue && game_on == kTrue) {
        return;
    }
    Integer blocked = 0;
    // While the end of a game runs (its message acknowledged, the wait
    // bursting the blocks) the figure is gone: a move would lift the blocks
    // it was drawn over, and a pause or exit box would stay over the score
    // table with the keyboard and start the gravity again on an answer.
    const bool ending = msg_closed == kTrue && Timer_Wait->enabled();
    if (input_locked == kFalse && game_on == kTrue && !ending) {
        switch (key_code) {
        case plat::kVkLeft:
            move_sideways(0, blocked);
            redraw_figure_area();
            break;
        case plat::kVkRight:
            move_sideways(1, blocked);
            redraw_figure_area();
            break;
        case plat::kVkUp:
            rotate();
            redraw_figure_area();
            break;
        case plat::kVkSpace:
        case plat::kVkDown:
            // The next gravity step drops; pressing again before it changes nothing.
            drop_req = 1;
            break;
        case plat::kVkP:
            press_knoppause();
            pause_game();
            break;
        case plat::kVkEscape:
            Timer1->setEnabled(false);
            play_on = 0;
            ask_exit();
            break;
        default:
            break;
        }
    }
    switch (key_code) {
    case plat::kVkReturn:
        if (knopstart_en == kTrue && knop_busy == kFalse) {
            press_knopstart();
            start_game();
        }
        break;
    case plat::kVkF2:
        if (next_on == kFalse) {
            toggle_next(); // now on
            if (game_on == kTrue) {
                draw_next_figure(next_fig);
            }
        } else {
            toggle_next(); // now off
            if (game_on == kTrue) {
                blank_box(Next_fig_win, face_color);
            }
        }
        break;
    case plat::kVkF3:
        toggle_sound();
        break;
    case plat::kVkAdd:
        if (knopup_en == kTrue && knop_busy == kFalse) {
            press_knopup();
            level_up();
        }
        break;
    case plat::kVkSubtract:
        if (knopdown_en == kTrue && knop_busy == kFalse) {
            press_knopdown();
            level_down();
        }
        break;
    default:
        break;
    }
}
