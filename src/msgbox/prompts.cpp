// The two prompts of the message box (pause, exit) and the keys that answer
// them and acknowledge the end-of-game messages.
#include "form1.h"

#include "platform/colors.h"

namespace {

constexpr plat::Rgb kPromptBack = plat::rgb(0, 200, 200);
constexpr plat::Rgb kPromptFore = plat::rgb(0, 0, 0);

} // namespace

void Form1::toggle_pause() {
    if (input_locked == kFalse) {
        Play_Tmr_Vert->setEnabled(false);
        Timer1->setEnabled(false);
        input_locked = kTrue;
        const QString text = lang_rus == kTrue ? QStringLiteral(" Пауза... ") : QStringLiteral(" Pause... ");
        draw_msg(2, 0, 0, 0, static_cast<Long>(kPromptBack), static_cast<Long>(kPromptFore), text);
    } else {
        Picture2->setShown(false);
        input_locked = kFalse;
        Picture1->takeFocus();
        Play_Tmr_Vert->setEnabled(true);
        Timer1->setEnabled(true);
    }
}

void Form1::ask_exit() {
    const QString text = lang_rus == kTrue ? QStringLiteral(" Выход [Y/N]? ") : QStringLiteral(" Exit [Y/N]? ");
    draw_msg(2, 0, 0, 0, static_cast<Long>(kPromptBack), static_cast<Long>(kPromptFore), text);
    // P must do nothing while the question waits.
    disable_knoppause();
    // The end-of-game wait polls for this prompt's answer Yes; an Esc once
    // given to a pause box must not answer it.
    msg_closed = kFalse;
    Timer_Wait->setInterval(100);
    Timer_Wait->setEnabled(true);
    wait_step = 0;
}

void Form1::close_prompt() {
    if (play_on == 2) {
        msg_closed = kTrue;
        end_code = 2;
        Play_Tmr_Vert->setEnabled(false);
    }
    if (play_on == 1) {
        msg_closed = kFalse;
        end_code = 2;
        Picture1->takeFocus();
        Play_Tmr_Vert->setEnabled(true);
        Timer1->setEnabled(true);
        enable_knoppause();
    }
    Picture2->setShown(false);
}

void Form1::Picture2_KeyDown(Integer key_code, Integer /*shift*/) {
    switch (key_code) {
    case plat::kVkP:
        if (knoppause_en == kTrue && knop_busy == kFalse) {
            press_knoppause();
            pause_game();
        }
        break;
    case plat::kVkEscape:
        if (play_on != 0) {
            msg_closed = kTrue;
            // While a name is typed the box belongs to the name entry.
            if (name_typing == kTrue) {
                msg_closed = kFalse;
            }
        }
        break;
    case plat::kVkY:
    case plat::kVkN:
        // Answers whatever the box shows, except a name being typed: there
        // they are letters (Yuri, Nina, and Н and Т on the same keys), and an
        // answer would end the name entry unsaved or start the gravity again.
        if (name_entry_on != kTrue) {
            play_on = key_code == plat::kVkY ? 2 : 1;
            close_prompt();
        }
        break;
    default:
        break;
    }
}
