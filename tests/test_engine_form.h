// A window whose engine state the engine tests may read (and, in the unit
// cases, set up), plus the few steps every game test takes: valid files, the
// load, and pressing Enter through the intro.
#pragma once

#include "form1.h"

#include "platform/keyboard.h"
#include "platform/virtual_services.h"
#include "support/files.h"

#include <QFile>
#include <QTemporaryDir>

#include <memory>

class EngineForm : public Form1 {
public:
    using Form1::Form1;

    using Form1::add_time_bonus;
    using Form1::check_reset;
    using Form1::clear_full_rows;
    using Form1::clear_well;
    using Form1::freeze_figure;
    using Form1::level_caption;
    using Form1::lift_cell;
    using Form1::move_down;
    using Form1::move_sideways;
    using Form1::place_figure;
    using Form1::Play_Tmr_Vert_Timer;
    using Form1::random_int;
    using Form1::remove_row;
    using Form1::spawn_figure;
    using Form1::start_game;
    using Form1::Timer1_Timer;

    using Form1::cell_h;
    using Form1::cell_w;
    using Form1::drop_req;
    using Form1::end_code;
    using Form1::face_color;
    using Form1::fall_interval;
    using Form1::fig;
    using Form1::game_on;
    using Form1::input_locked;
    using Form1::interval_step;
    using Form1::intro_row;
    using Form1::level;
    using Form1::line_pts;
    using Form1::lines;
    using Form1::lvl_lines;
    using Form1::lvl_speedup;
    using Form1::lvl_time;
    using Form1::msg_closed;
    using Form1::msg_lines;
    using Form1::name_entry_on;
    using Form1::need_fig;
    using Form1::next_fig;
    using Form1::next_on;
    using Form1::play_on;
    using Form1::quit_pending;
    using Form1::reset_blink;
    using Form1::rot_dx;
    using Form1::rot_dy;
    using Form1::save_x;
    using Form1::save_y;
    using Form1::score;
    using Form1::score_values;
    using Form1::settings_changed;
    using Form1::sound_on;
    using Form1::spawn_tbl;
    using Form1::speedup_secs;
    using Form1::time_left;
    using Form1::time_over;
    using Form1::wait_step;
    using Form1::well;

    using Form1::HLP;
    using Form1::knop_busy;
    using Form1::knoppause_en;
    using Form1::knopstart_en;
    using Form1::knopup_en;
    using Form1::Label_Bon_Num;
    using Form1::Label_Lev;
    using Form1::Label_ln_num;
    using Form1::Label_Score_Num;
    using Form1::Label_Time;
    using Form1::Label_Time_Num;
    using Form1::LNGTT;
    using Form1::Next_fig_win;
    using Form1::open_win;
    using Form1::Picture1;
    using Form1::Picture2;
    using Form1::Play_Tmr_Vert;
    using Form1::Stk_output;
    using Form1::Timer1;
    using Form1::Timer2;
    using Form1::Timer_Wait;

    // Cells of the falling figure as (column, row) pairs.
    [[nodiscard]] std::array<std::array<int, 2>, 4> cells() const {
        std::array<std::array<int, 2>, 4> c{};
        for (std::size_t i = 0; i < 4; ++i) {
            c[i] = {fig[4 + i], fig[8 + i]};
        }
        return c;
    }
    [[nodiscard]] int lowest_row() const {
        int r = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            r = std::max<int>(r, fig[8 + i]);
        }
        return r;
    }
    [[nodiscard]] int leftmost_column() const {
        int c = 99;
        for (std::size_t i = 0; i < 4; ++i) {
            c = std::min<int>(c, fig[4 + i]);
        }
        return c;
    }
};

// One window on virtual time, with English texts, sound and preview off,
// level 1 and an empty score table, so no first-start message waits.
template <typename F> struct BasicRig {
    QTemporaryDir dir;
    plat::VirtualServices svc;
    std::unique_ptr<F> form;

    explicit BasicRig(int start_seconds = 12 * 3600) {
        svc.setProgramFolder(dir.path());
        svc.setSecondsSinceMidnight(start_seconds);
        write_files();
        lang_rus = kFalse;
        form = std::make_unique<F>(svc);
        form->Form_Load();
    }

    void write_files() const {
        write_file(dir.path() + QStringLiteral("/zweb.cfg"),
                   "###ZWEBCFG###\r\nSound>\r\nNo\r\nNext>\r\nNo\r\nLevel>\r\n0\r\nLanguage>\r\nEng\r\n");
        QByteArray sco("###ZWEBSCO###");
        sco.append('\0');
        for (int i = 0; i < 10; ++i) {
            sco.append('\0');
            sco.append('\n');
        }
        write_file(dir.path() + QStringLiteral("/zweb.sco"), sco);
    }

    F &f() const { return *form; }
    void key(int code, int ch = -1) const { form->deliverKey(code, 0, ch); }

    // Enter on the idle window, then the twenty intro ticks: the gravity and
    // the countdown run, the first figure comes with the next gravity tick.
    bool start_game() {
        svc.advance(250); // a button animation still running would swallow Enter
        key(plat::kVkReturn, 13);
        if (form->Stk_output->enabled() == false) {
            return false;
        }
        svc.advance(20 * 50);
        return form->game_on == kTrue;
    }

    // Advances in small steps until pred holds or max_ms have passed.
    template <typename P> bool run_until(P pred, qint64 max_ms, qint64 step = 5) {
        for (qint64 t = 0; t < max_ms; t += step) {
            if (pred()) {
                return true;
            }
            svc.advance(step);
        }
        return pred();
    }

    // The end message is up: gravity and countdown stopped, the wait polls.
    [[nodiscard]] bool end_message_up() const {
        const F &g = *form;
        return g.game_on == kTrue && g.msg_closed == kFalse && g.Timer_Wait->enabled() && !g.Play_Tmr_Vert->enabled() &&
               !g.Timer1->enabled() && g.Picture2->hasKeyFocus();
    }
};

using EngineRig = BasicRig<EngineForm>;
