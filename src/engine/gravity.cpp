// The gravity step: bring in a figure, let it fall, land it, clear rows, and
// decide whether the game goes on or ends (well full, time over, level
// completed).
#include "form1.h"

#include "platform/colors.h"

#include <array>
#include <cstdint>

namespace {

constexpr plat::Rgb kMsgBack = plat::rgb(0, 200, 200);
constexpr plat::Rgb kMsgFore = plat::rgb(0, 0, 0);

// The endings of a game: the message (lines joined by CR LF, English and Russian), its colours, the clip and
// the end code that the end-of-game wait and the score table read.
struct Ending {
    const char *eng;
    const char *rus;
    plat::Rgb back;
    plat::Rgb fore;
    int clip;
    Integer code;
};
enum : std::uint8_t { kWellFull, kTimeOver, kCompleted, kTopTen, kChampion };
const std::array<Ending, 5> kEndings = {{
    {" You are fail! \r\n  Press Esc... ", " Вы проиграли! \r\n    Жмите Esc... ", kMsgBack, kMsgFore, 108, 3},
    {" Time is over! \r\n  Press Esc... ", " Время вышло! \r\n    Жмите Esc... ", kMsgBack, kMsgFore, 106, 2},
    {"       Level \r\n    completed \r\n   Press Esc... ", "     Уровень\r\n      пройдён\r\n    Жмите Esc... ",
     kMsgBack, kMsgFore, 111, 4},
    {" Congratulate! \r\n    You are in\r\n    the top ten\r\n   Press Esc... ",
     " Поздравляем! \r\n   Вы в десятке\r\n    сильнейших\r\n    Жмите Esc... ", kMsgBack, kMsgFore, 107, 1},
    {" Congratulate! \r\n   You are the\r\n    champion!\r\n   Press Esc...  ",
     " Поздравляем! \r\n    Вы чемпион! \r\n    Жмите Esc... ", plat::rgb(200, 100, 80), plat::rgb(250, 250, 0), 110,
     1},
}};

} // namespace

void Form1::Play_Tmr_Vert_Timer() {
    // The intro still draws the well, or the exit prompt waits: keep ticking idly.
    if (intro_row < 20 || play_on == 0) {
        return;
    }
    Play_Tmr_Vert->setEnabled(false);

    if (need_fig == kTrue) {
        input_locked = kFalse;
        Timer1->setEnabled(true);
        Integer status = 0;
        spawn_figure(next_fig, status);
        blank_box(Next_fig_win, face_color);
        random_int(0, 6, next_fig);
        if (next_on == kTrue) {
            draw_next_figure(next_fig);
        }
        // The newcomer is drawn like settled blocks until its first move.
        freeze_figure();
        redraw_well();
        need_fig = kFalse;
        if (status == 3) {
            end_game(kWellFull);
            return;
        }
    }

    Integer blocked = 0;
    move_down(drop_req, blocked);
    drop_req = 0;

    if (blocked == 0) {
        redraw_figure_area();
    } else {
        need_fig = kTrue;
        input_locked = kTrue;
        freeze_figure();
        redraw_well();
        Integer count = 0;
        clear_full_rows(count);
        lines = static_cast<Integer>(lines + count);
        score = static_cast<Integer>(score + line_pts[static_cast<std::size_t>(count)]);
        if (count > 0) {
            Label_ln_num->setCaption(QString::number(lines));
            Label_Score_Num->setCaption(QString::number(score));
            if (sound_on == kTrue) {
                const std::array<const QByteArray *, 4> clips = {&snd_lines1, &snd_lines2, &snd_lines3, &snd_lines4};
                NoisePlay(*clips[static_cast<std::size_t>(count - 1)], 1);
            }
            check_reset();
        } else if (sound_on == kTrue) {
            NoisePlay(snd_land, 1);
        }
    }

    // The window was closed while the drop let events run.
    if (quit_pending == kTrue) {
        unload_main_window();
        return;
    }

    if (lines < lvl_lines[static_cast<std::size_t>(level)]) {
        if (time_over == kFalse) {
            // A pause taken while the step let events run has stopped the gravity; it stays stopped.
            if (!(Picture2->shown() && play_on != 0 && input_locked == kTrue && !Timer1->enabled())) {
                Play_Tmr_Vert->setEnabled(true);
            }
            return;
        }
        end_game(kTimeOver);
        return;
    }

    // Level completed (even if the time ran out in the same moment).
    Timer1->setEnabled(false);
    redraw_well();
    if (reset_blink > 0) {
        Label_Time->setForeColor(plat::windowTextColor());
        Label_Time->setCaption(caption(4));
    }
    const Integer bonus = add_time_bonus();
    Label_Score_Num->setCaption(QString::number(score));
    Label_Bon_Num->setCaption(QString::number(bonus));
    end_game(score > score_values[0] ? kChampion : score > score_values[9] ? kTopTen : kCompleted);
}

void Form1::end_game(int ending) {
    const Ending &e = kEndings.at(static_cast<std::size_t>(ending));
    Timer1->setEnabled(false);
    disable_knoppause();
    play_long_clip(e.clip);
    msg_lines = QString::fromUtf8(lang_rus == kTrue ? e.rus : e.eng);
    open_msg(8, 8, static_cast<Long>(e.back), static_cast<Long>(e.fore));
    if (ending == kChampion) {
        const double half_area = Picture1->outerWidth() / 2.0;
        const bool rus = lang_rus == kTrue;
        draw_trophy(round_half_even(half_area - cup[0].width() / 2.0), rus ? 55 : 46, 1);
        draw_trophy(round_half_even(half_area - crown[0].width() / 2.0), rus ? 35 : 26, 2);
    }
    Picture2->takeFocus();
    end_code = e.code;
    Timer_Wait->setInterval(100);
    Timer_Wait->setEnabled(true);
    wait_step = 0;
}

void Form1::freeze_figure() {
    for (int y = 0; y <= 19; ++y) {
        for (int x = 0; x <= 9; ++x) {
            if (well(x, y) > 100) {
                well(x, y) = static_cast<Integer>(well(x, y) - 100);
            }
        }
    }
}

void Form1::clear_full_rows(Integer &count) {
    count = 0;
    // Top-down: after a removal row y holds the former row y - 1, already
    // found not full, so no full row is missed.
    for (Integer y = 0; y <= 19; ++y) {
        bool full = true;
        for (int x = 0; x <= 8 && full; ++x) {
            full = well(x, y) != 0;
        }
        if (full) {
            remove_row(y);
            count = static_cast<Integer>(count + 1);
        }
    }
}

void Form1::remove_row(Integer row) {
    for (int x = 1; x <= 8; ++x) {
        for (int r = row; r >= 1; --r) {
            well(x, r) = well(x, r - 1);
        }
        well(x, 0) = 0;
    }
}
