// The phases of a game: the start, the intro that draws the empty well, and
// the end-of-game wait with its explosion before the score table.
#include "form1.h"

#include "platform/colors.h"

#include <QAction>
#include <QMenu>

namespace {

constexpr Integer kStartInterval = 300;

} // namespace

void Form1::start_game() {
    clear_well();
    intro_row = 0;
    Stk_output->setEnabled(true);
    Stk_output->setInterval(50);
    Picture1->takeFocus();

    score = 0;
    lines = 0;
    reset_blink = 0;
    play_on = kTrue;
    quit_pending = kFalse;
    input_locked = kFalse;
    time_over = kFalse;
    msg_closed = kFalse;
    need_fig = kTrue;
    fall_interval = kStartInterval;
    speedup_secs = 0;
    // Ten speed-ups take the interval from 300 down to 60 ms.
    interval_step = (kStartInterval - kStartInterval / 5) / 10;

    enable_knoppause();
    disable_knopstart();
    disable_knopup();
    disable_knopdown();
    // Help and language stay out of reach while a game runs.
    set_menus_enabled(false);

    const auto l = static_cast<std::size_t>(level);
    Label_ln_num->setCaption(QStringLiteral("0"));
    Label_Bon_Num->setCaption(QStringLiteral("?"));
    Label_Score_Num->setCaption(QStringLiteral("0"));
    Label_Time_Num->setCaption(QString::number(lvl_time[l]));

    // The first figure; the preview stays blank until it enters.
    random_int(0, 6, next_fig);
    time_left = lvl_time[l];
}

void Form1::set_menus_enabled(bool on) {
    for (QMenu *menu : {HLP, LNGTT}) {
        menu->setEnabled(on);
        menu->menuAction()->setEnabled(on);
    }
}

void Form1::clear_well() {
    for (int y = 0; y <= 20; ++y) {
        well(0, y) = 9;
        well(9, y) = 9;
    }
    for (int y = 0; y <= 19; ++y) {
        for (int x = 1; x <= 8; ++x) {
            well(x, y) = 0;
        }
    }
    for (int x = 1; x <= 8; ++x) {
        well(x, 20) = 9;
    }
}

void Form1::Stk_output_Timer() {
    Stk_output->setEnabled(false);
    draw_well_rows(intro_row);
    intro_row = static_cast<Integer>(intro_row + 1);
    if (intro_row < 20) {
        Stk_output->setEnabled(true);
        return;
    }
    game_on = kTrue;
    Play_Tmr_Vert->setInterval(fall_interval);
    Play_Tmr_Vert->setEnabled(true);
    Timer1->setEnabled(true);
    Timer1->setInterval(1000);
}

void Form1::Timer_Wait_Timer() {
    Timer_Wait->setEnabled(false);
    if (msg_closed == kTrue) {
        if (wait_step == 0) {
            Picture2->setShown(false);
            if (sound_on == kTrue) {
                NoisePlay(snd_close, 1);
            }
        }
        if (wait_step >= 7) {
            blank_box(Next_fig_win, face_color);
            blank_box(Picture1, static_cast<Long>(plat::rgb(0, 0, 0)));
            show_scores(score, end_code);
            game_on = kFalse;
            // After a name entry, storing the name brings the buttons back; a result that no longer enters
            // the table as it now stands on disk asks for no name, and they come back here.
            if (end_code != 1 || name_entry_on == kFalse) {
                set_menus_enabled(true);
                buttons_idle();
            }
            update();
            return;
        }
        paint_filled_cells(static_cast<Integer>(wait_step + 4));
        wait_step = static_cast<Integer>(wait_step + 1);
    }
    Timer_Wait->setEnabled(true);
}
