// Levels against the clock: the tables, the one-second countdown with its
// speed-ups, the Reset that gives back the whole time, the points per clear
// and the time bonus of a completed level.
#include "form1.h"

#include "platform/colors.h"

namespace {

constexpr plat::Rgb kRed = plat::rgb(255, 0, 0);

// Entries of the caption table.
constexpr int kCaptLevel = 0;
constexpr int kCaptTime = 4;
constexpr int kCaptReset = 6;

constexpr Integer kStartInterval = 300;
constexpr Integer kResetBlinks = 5;

} // namespace

void Form1::init_level_tables() {
    lvl_time = {200, 400, 600, 800, 1000, 1200, 1400, 1600, 1800, 2000, 2200, 2450, 2800, 3150, 3500};
    lvl_lines = {50, 100, 150, 200, 250, 300, 350, 400, 450, 500, 550, 700, 800, 900, 1000};
    lvl_speedup = {40, 80, 120, 160, 200, 220, 280, 320, 300, 250, 275, 245, 280, 315, 350};
}

void Form1::init_line_points() { line_pts = {0, 1, 3, 6, 12}; }

void Form1::Timer1_Timer() {
    Timer1->setEnabled(false);

    if (reset_blink > 0) {
        const Integer before = reset_blink;
        reset_blink = static_cast<Integer>(reset_blink - 1);
        if (before != 1) {
            // Blink: red, hidden (text in the background colour), red...
            if (Label_Time->foreColor() == kRed) {
                Label_Time->setForeColor(Label_Time->backColor());
            } else {
                Label_Time->setForeColor(kRed);
            }
        } else {
            Label_Time->setForeColor(plat::windowTextColor());
            Label_Time->setCaption(caption(kCaptTime));
        }
    }

    time_left = static_cast<Integer>(time_left - 1);
    speedup_secs = static_cast<Integer>(speedup_secs + 1);
    if (speedup_secs == lvl_speedup[static_cast<std::size_t>(level)]) {
        speedup_secs = 0;
        fall_interval = static_cast<Integer>(fall_interval - interval_step);
        Play_Tmr_Vert->setInterval(fall_interval);
    }
    Label_Time_Num->setCaption(QString::number(time_left));
    if (time_left == 0) {
        // The gravity step ends the game unless the quota is reached.
        time_over = kTrue;
    }
    Timer1->setEnabled(true);
}

void Form1::check_reset() {
    for (int x = 1; x <= 8; ++x) {
        if (well(x, 19) != 0) {
            return;
        }
    }
    // The bottom row is empty after a clear: the whole time and the starting speed again.
    reset_blink = kResetBlinks;
    time_left = lvl_time[static_cast<std::size_t>(level)];
    Label_Time_Num->setCaption(QString::number(time_left));
    Label_Time->setForeColor(kRed);
    Label_Time->setCaption(caption(kCaptReset));
    speedup_secs = 0;
    fall_interval = kStartInterval;
    Play_Tmr_Vert->setInterval(kStartInterval);
}

Integer Form1::add_time_bonus() {
    const Integer period = lvl_speedup[static_cast<std::size_t>(level)];
    const auto k = static_cast<Integer>(round_half_even(static_cast<double>(time_left) / period));
    const auto bonus = static_cast<Integer>(time_left + period * k);
    const Long total = static_cast<Long>(score) + bonus;
    score = static_cast<Integer>(total > 9999 ? 9999 : total);
    return bonus;
}

QString Form1::level_caption() const {
    const auto l = static_cast<std::size_t>(level);
    return caption(kCaptLevel) + QLatin1Char(' ') + QString::number(level + 1) + QStringLiteral("\r\n") +
           QString::number(lvl_lines[l]) + QLatin1Char('x') + QString::number(lvl_time[l]);
}

void Form1::set_level_label() { Label_Lev->setCaption(level_caption()); }
