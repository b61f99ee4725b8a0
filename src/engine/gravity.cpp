// The gravity step: bring in a figure, let it fall, land it, clear rows, and
// decide whether the game goes on or ends (well full, time over, level
// completed).
#include "form1.h"

#include "platform/colors.h"

#include <QStringList>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString join_lines(const QStringList &lines) { return lines.join(kCrLf); }

constexpr plat::Rgb kMsgBack = plat::rgb(0, 200, 200);
constexpr plat::Rgb kMsgFore = plat::rgb(0, 0, 0);
constexpr plat::Rgb kChampionBack = plat::rgb(200, 100, 80);
constexpr plat::Rgb kChampionFore = plat::rgb(250, 250, 0);

// Clips of the endings.
constexpr int kClipTimeOver = 106;
constexpr int kClipTopTen = 107;
constexpr int kClipWellFull = 108;
constexpr int kClipChampion = 110;
constexpr int kClipCompleted = 111;

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
            Timer1->setEnabled(false);
            play_long_clip(kClipWellFull);
            disable_knoppause();
            if (lang_rus == kTrue) {
                msg_lines = join_lines({QStringLiteral(" Вы проиграли! "), QStringLiteral("    Жмите Esc... ")});
            } else {
                msg_lines = join_lines({QStringLiteral(" You are fail! "), QStringLiteral("  Press Esc... ")});
            }
            open_msg(8, 8, static_cast<Long>(kMsgBack), static_cast<Long>(kMsgFore));
            Picture2->takeFocus();
            Timer_Wait->setInterval(100);
            Timer_Wait->setEnabled(true);
            wait_step = 0;
            end_code = 3;
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
        Timer1->setEnabled(false);
        play_long_clip(kClipTimeOver);
        disable_knoppause();
        if (lang_rus == kTrue) {
            msg_lines = join_lines({QStringLiteral(" Время вышло! "), QStringLiteral("    Жмите Esc... ")});
        } else {
            msg_lines = join_lines({QStringLiteral(" Time is over! "), QStringLiteral("  Press Esc... ")});
        }
        open_msg(8, 8, static_cast<Long>(kMsgBack), static_cast<Long>(kMsgFore));
        Picture2->takeFocus();
        Timer_Wait->setInterval(100);
        Timer_Wait->setEnabled(true);
        wait_step = 0;
        end_code = 2;
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
    disable_knoppause();

    if (score > score_values[0]) {
        play_long_clip(kClipChampion);
        if (lang_rus == kTrue) {
            msg_lines = join_lines({QStringLiteral(" Поздравляем! "), QStringLiteral("    Вы чемпион! "),
                                    QStringLiteral("    Жмите Esc... ")});
        } else {
            msg_lines = join_lines({QStringLiteral(" Congratulate! "), QStringLiteral("   You are the"),
                                    QStringLiteral("    champion!"), QStringLiteral("   Press Esc...  ")});
        }
        open_msg(8, 8, static_cast<Long>(kChampionBack), static_cast<Long>(kChampionFore));
        const double half_area = Picture1->outerWidth() / 2.0;
        const bool rus = lang_rus == kTrue;
        draw_trophy(round_half_even(half_area - cup[0].width() / 2.0), rus ? 55 : 46, 1);
        draw_trophy(round_half_even(half_area - crown[0].width() / 2.0), rus ? 35 : 26, 2);
        Picture2->takeFocus();
        end_code = 1;
    } else if (score > score_values[9]) {
        play_long_clip(kClipTopTen);
        if (lang_rus == kTrue) {
            msg_lines = join_lines({QStringLiteral(" Поздравляем! "), QStringLiteral("   Вы в десятке"),
                                    QStringLiteral("    сильнейших"), QStringLiteral("    Жмите Esc... ")});
        } else {
            msg_lines = join_lines({QStringLiteral(" Congratulate! "), QStringLiteral("    You are in"),
                                    QStringLiteral("    the top ten"), QStringLiteral("   Press Esc... ")});
        }
        open_msg(8, 8, static_cast<Long>(kMsgBack), static_cast<Long>(kMsgFore));
        Picture2->takeFocus();
        end_code = 1;
    } else {
        play_long_clip(kClipCompleted);
        if (lang_rus == kTrue) {
            msg_lines = join_lines(
                {QStringLiteral("     Уровень"), QStringLiteral("      пройдён"), QStringLiteral("    Жмите Esc... ")});
        } else {
            msg_lines = join_lines({QStringLiteral("       Level "), QStringLiteral("    completed "),
                                    QStringLiteral("   Press Esc... ")});
        }
        open_msg(8, 8, static_cast<Long>(kMsgBack), static_cast<Long>(kMsgFore));
        Picture2->takeFocus();
        end_code = 4;
    }
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
