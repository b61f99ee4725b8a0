// A long run of whole games on virtual time: a computer player with a fixed
// random start plays through all fifteen levels while random keys, pauses,
// exit prompts, language and sound switches and close requests come in, and
// the rules of the well, the counters and the timers are checked after every
// single event. CLOCKWELL_SOAK_GAMES sets the number of games (1000 by default).
#include "test_shell_form.h"

#include "support/bot.h"
#include "support/play.h"

#include "platform/keyboard.h"
#include "platform/virtual_services.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>

namespace {

// The shell's view of the window plus the engine fields the rules read.
class SoakForm : public ShellForm {
public:
    using Form1::end_code;
    using Form1::fall_interval;
    using Form1::Label_Bon_Num;
    using Form1::line_pts;
    using Form1::lvl_speedup;
    using Form1::new_place;
    using Form1::reset_blink;
    using Form1::time_over;
    using Form1::wait_step;
    using ShellForm::ShellForm;
};

// What the message box shows, as far as the soak knows from its own input.
enum class Box { None, Pause, Exit, End, Name };

// How a game is played.
enum class Kind {
    Exit, // the bot plays a few figures, then Esc and (mostly) Y
    Fill, // every figure dropped where it enters: the well fills
    Bot,  // the bot plays to the quota (or the time runs out)
    Slow, // the bot places but never drops: the time runs out
};

bool is_flag(Integer v) { return v == kTrue || v == kFalse; }

constexpr int kStepMs = 20; // below every gravity interval: at most one landing per step

int soak_games() {
    const QByteArray env = qgetenv("CLOCKWELL_SOAK_GAMES");
    bool ok = false;
    const int n = env.toInt(&ok);
    return ok && n > 0 ? n : 1000;
}

class Soak {
public:
    explicit Soak(unsigned start) : gen_(start) {
        svc_.setProgramFolder(dir_.path());
        svc_.setSoundSink(&sound_);
        write_file(cfg_path(), cfg_file("Yes", "Yes", "0", "Eng"));
        QByteArray sco("###ZWEBSCO###");
        sco.append('\0');
        for (int i = 0; i < 10; ++i) {
            sco.append("\0\n", 2);
        }
        write_file(QDir(dir_.path()).filePath(QStringLiteral("zweb.sco")), sco);
        open_window();
    }

    // Plays until `games` games have ended. Returns false at the first broken rule.
    bool run(int games) {
        while (games_ < games && failure_.isEmpty()) {
            play_one_game();
        }
        return failure_.isEmpty();
    }

    [[nodiscard]] const QString &failure() const { return failure_; }
    // A fault planted after each step of virtual time, to show the rules see it.
    std::function<void(SoakForm &)> sabotage;
    int games_ = 0;
    long figures_ = 0;
    long events_ = 0;
    int windows_ = 1;
    long lines_total_ = 0;
    std::array<int, 15> games_per_level_{};
    std::array<int, 5> endings_{}; // by end_code; 0: ended by closing the window

private:
    QString cfg_path() const { return QDir(dir_.path()).filePath(QStringLiteral("zweb.cfg")); }
    int roll(int n) { return std::uniform_int_distribution<int>(0, n - 1)(gen_); }
    bool chance(double p) { return std::uniform_real_distribution<double>(0.0, 1.0)(gen_) < p; }

    void fail(const QString &why) {
        if (failure_.isEmpty()) {
            const SoakForm &f = *form_;
            failure_ = QStringLiteral("game %1 event %2 (t=%3 ms, level %4, box %5): %6")
                           .arg(games_)
                           .arg(events_)
                           .arg(svc_.now())
                           .arg(f.level + 1)
                           .arg(static_cast<int>(box_))
                           .arg(why);
        }
    }
    void expect(bool ok, const char *what) {
        if (!ok) {
            fail(QString::fromLatin1(what));
        }
    }

    // ------------------------------------------------------------ windows

    void open_window() {
        const std::size_t before = svc_.messages.size();
        lang_rus = kTrue;
        form_ = std::make_unique<SoakForm>(svc_);
        form_->Form_Load();
        pilot_ = std::make_unique<play::Pilot<SoakForm>>(*form_);
        // The settings file and the score table are sound: the load asks nothing.
        expect(svc_.messages.size() == before, "a sound settings or score file gave a message at load");
        started_here_ = false;
        box_ = Box::None;
    }

    // The window is gone (a close was confirmed): the settings it held must
    // come back in the next one.
    void reopen_after_close() {
        const Integer sound = form_->sound_on;
        const Integer next = form_->next_on;
        const Integer lvl = form_->level;
        const Integer rus = lang_rus;
        form_.reset();
        ++windows_;
        // Now and then the level comes from an edited settings file instead.
        Integer want = lvl;
        if (chance(0.3)) {
            want = static_cast<Integer>(roll(15));
            write_file(cfg_path(), cfg_file(sound == kTrue ? "Yes" : "No", next == kTrue ? "Yes" : "No",
                                            QString::number(want), rus == kTrue ? "Rus" : "Eng"));
        }
        open_window();
        const SoakForm &f = *form_;
        expect(f.sound_on == sound && f.next_on == next && lang_rus == rus, "settings lost between two windows");
        expect(f.level == want, "the level did not come back from the settings file");
        expect(f.settings_changed == kFalse, "a freshly read settings file counts as changed");
    }

    // Close request; Yes ends the window.
    void request_close(bool yes) {
        SoakForm &f = *form_;
        const bool asks = f.game_on == kTrue || f.Stk_output->enabled();
        if (asks) {
            svc_.answers.push_back(yes ? plat::kAnswerYes : plat::kAnswerNo);
        }
        const auto timers = timer_states();
        const std::size_t before = svc_.messages.size();
        f.close();
        ++events_;
        expect(svc_.messages.size() == before + (asks ? 1 : 0), "the close question came when it should not, or not");
        if (asks && svc_.messages.back().text != QStringLiteral("Game not finished! Quit?")) {
            fail(QStringLiteral("unexpected close question: ") + svc_.messages.back().text);
        }
        if (asks && !yes) {
            expect(!f.unloaded() && f.isVisible(), "No closed the window");
            expect(timer_states() == timers, "No did not give every timer back");
            expect(f.quit_pending == kFalse, "No left a quit pending");
            check();
            return;
        }
        expect(f.unloaded() && !f.isVisible(), "a confirmed close left the window open");
        for (const bool on : timer_states()) {
            expect(!on, "a timer runs on after the window closed");
        }
        window_replaced_ = true;
        reopen_after_close();
    }

    [[nodiscard]] std::vector<bool> timer_states() const {
        const SoakForm &f = *form_;
        std::vector<bool> s;
        for (const plat::Timer *t : {f.Play_Tmr_Vert.get(), f.knop_prs.get(), f.Stk_output.get(), f.open_win.get(),
                                     f.Timer1.get(), f.Timer_Wait.get(), f.Timer2.get()}) {
            s.push_back(t->enabled());
        }
        return s;
    }

    // ------------------------------------------------------------ events

    void key(int code) {
        SoakForm &f = *form_;
        const bool to_box = f.Picture2->shown();
        note_quirk(code, to_box);
        int ch = -1;
        if (code == plat::kVkReturn) {
            ch = 13;
        } else if (code == plat::kVkEscape) {
            ch = 27;
        } else if (code == plat::kVkSpace) {
            ch = 32;
        } else if (code == plat::kVkY || code == plat::kVkN || code == plat::kVkP) {
            ch = code;
        }
        const bool was_shown = f.Picture2->shown();
        f.deliverKey(code, 0, ch);
        ++events_;
        if (!was_shown && f.Picture2->shown()) {
            box_ = code == plat::kVkP ? Box::Pause : code == plat::kVkEscape ? Box::Exit : Box::End;
        }
        after_event();
    }

    void click_pause() {
        SoakForm &f = *form_;
        note_quirk(plat::kVkP, false);
        const bool was_shown = f.Picture2->shown();
        f.knoppause_Click(0);
        ++events_;
        if (!was_shown && f.Picture2->shown()) {
            box_ = Box::Pause;
        }
        after_event();
    }

    // Keys whose effect the game defines but that leave the phases the
    // timer rules below describe (Y or N on a pause or end message, Esc on
    // the pause box, a pause during the intro).
    void note_quirk(int code, bool to_box) {
        const SoakForm &f = *form_;
        if (to_box && (code == plat::kVkY || code == plat::kVkN) && box_ != Box::Exit && box_ != Box::Name) {
            quirky_ = true;
        }
        if (to_box && code == plat::kVkEscape && box_ == Box::Pause) {
            quirky_ = true;
        }
        if (code == plat::kVkP && f.Stk_output->enabled()) {
            quirky_ = true;
        }
    }

    void advance() {
        const std::size_t plays = sound_.calls.size();
        const Integer sound_before = form_->sound_on;
        svc_.advance(kStepMs);
        ++events_;
        if (sabotage && !form_->unloaded()) {
            sabotage(*form_);
        }
        if (sound_before == kFalse && form_->sound_on == kFalse) {
            for (std::size_t i = plays; i < sound_.calls.size(); ++i) {
                expect(!sound_.calls[i].play, "a clip played with the sound off");
            }
        }
        after_event();
    }

    void after_event() {
        SoakForm &f = *form_;
        if (f.unloaded()) {
            return; // a close confirmed inside a drop: the caller opens the next window
        }
        if (!f.Picture2->shown()) {
            box_ = Box::None;
        } else if (f.name_entry_on == kTrue) {
            box_ = Box::Name;
        } else if (box_ == Box::None) {
            box_ = Box::End;
        }
        check();
    }

    // ------------------------------------------------------------ the rules

    void check() {
        const SoakForm &f = *form_;
        if (f.Stk_output->enabled()) {
            // A new game starts from nothing.
            started_here_ = true;
            expect(f.lines == 0 && f.score == 0, "the intro of a new game shows old lines or score");
            prev_lines_ = f.lines;
            prev_score_ = f.score;
        }
        if (started_here_) {
            check_well();
            check_counters();
        }
        check_flags();
        check_timers();
        if (f.Picture2->shown()) {
            expect(f.Picture2->hasKeyFocus(), "the message box is shown without the keyboard");
        }
        if (f.game_on == kTrue && f.need_fig == kFalse && prev_need_fig_ == kTrue) {
            ++figures_;
        }
        prev_need_fig_ = f.game_on == kTrue ? f.need_fig : kFalse;
    }

    void check_well() {
        const SoakForm &f = *form_;
        int falling = 0;
        for (int y = 0; y <= 20; ++y) {
            for (int x = 0; x <= 9; ++x) {
                const Integer v = f.well(x, y);
                if (x == 0 || x == 9 || y == 20) {
                    if (v != 9) {
                        fail(QStringLiteral("wall or floor cell (%1,%2) holds %3").arg(x).arg(y).arg(v));
                        return;
                    }
                    continue;
                }
                if (!(v == 0 || (v >= 1 && v <= 7) || (v >= 101 && v <= 107))) {
                    fail(QStringLiteral("cell (%1,%2) holds %3").arg(x).arg(y).arg(v));
                    return;
                }
                falling += v > 100 ? 1 : 0;
            }
        }
        expect(falling <= 4, "more than four falling cells");
        if (f.game_on != kTrue || f.need_fig != kFalse) {
            return;
        }
        // A figure is in the well: its four cells are where fig says, falling,
        // or (once the well was full and the figure could not enter) settled.
        const Integer type = f.fig[0];
        expect(type >= 0 && type <= 6 && f.fig[1] >= 0 && f.fig[1] <= 3, "figure type or rotation out of range");
        int at_falling = 0;
        int at_settled = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            const int x = f.fig[4 + i];
            const int y = f.fig[8 + i];
            if (x < 1 || x > 8 || y < 0 || y > 19) {
                fail(QStringLiteral("figure cell %1 at (%2,%3)").arg(i).arg(x).arg(y));
                return;
            }
            at_falling += f.well(x, y) == type + 101 ? 1 : 0;
            at_settled += f.well(x, y) != 0 && f.well(x, y) < 100 ? 1 : 0;
        }
        if (f.end_code == 3 && f.game_on == kTrue && !f.Play_Tmr_Vert->enabled()) {
            well_full_seen_ = true;
        }
        // A figure that could not enter is drawn over whatever blocked it.
        const bool frozen_ok = well_full_seen_ && falling == 0 && at_settled == 4;
        if (!frozen_ok && (falling != 4 || at_falling != 4)) {
            fail(QStringLiteral("%1 falling cells, %2 of them at the figure's cells").arg(falling).arg(at_falling));
        }
    }

    void check_counters() {
        const SoakForm &f = *form_;
        const auto lvl = static_cast<std::size_t>(f.level);
        expect(f.level >= 0 && f.level <= 14, "level out of range");
        expect(f.score >= 0 && f.score <= 9999, "score out of 0..9999");
        // Between games the level may change under the last game's time.
        if (f.game_on == kTrue || f.Stk_output->enabled()) {
            expect(f.time_left >= 0 && f.time_left <= f.lvl_time[lvl], "time left out of the level's time");
        }
        expect(f.fall_interval >= 60 && f.fall_interval <= 300, "gravity interval out of 60..300");
        if (f.game_on == kTrue && f.intro_row >= 20) {
            expect(f.Play_Tmr_Vert->interval() == f.fall_interval, "the gravity timer does not tick at fall_interval");
        }
        const int dl = f.lines - prev_lines_;
        if (dl < 0 || dl > 4) {
            fail(QStringLiteral("lines went from %1 to %2 in one event").arg(prev_lines_).arg(f.lines));
            return;
        }
        const int points = prev_score_ + f.line_pts[static_cast<std::size_t>(dl)];
        bool score_ok = f.score == points;
        if (!score_ok && f.lines >= f.lvl_lines[lvl]) {
            // The landing that completes the level adds the time bonus.
            const int period = f.lvl_speedup[lvl];
            const int bonus = f.time_left + period * round_half_even(static_cast<double>(f.time_left) / period);
            score_ok = f.score == std::min(9999, points + bonus) && f.Label_Bon_Num->caption().toInt() == bonus;
            if (score_ok && prev_lines_ < f.lvl_lines[lvl]) {
                ++completions_;
            }
        }
        if (!score_ok) {
            fail(
                QStringLiteral("score went from %1 to %2 with %3 lines cleared").arg(prev_score_).arg(f.score).arg(dl));
            return;
        }
        lines_total_ += dl;
        prev_lines_ = f.lines;
        prev_score_ = f.score;
    }

    void check_flags() {
        const SoakForm &f = *form_;
        for (const Integer v : {f.game_on, f.input_locked, f.need_fig, f.time_over, f.quit_pending, f.msg_closed,
                                f.sound_on, f.next_on, lang_rus, f.settings_changed, f.name_typing, f.name_entry_on,
                                f.knop_busy, f.knopstart_en, f.knoppause_en, f.knopup_en, f.knopdown_en}) {
            if (!is_flag(v)) {
                fail(QStringLiteral("a flag holds %1").arg(v));
                return;
            }
        }
        expect(f.play_on >= -1 && f.play_on <= 2, "play_on out of -1..2");
        expect(f.wait_step >= 0 && f.wait_step <= 7, "wait_step out of 0..7");
        expect(f.end_code <= 4, "end_code out of 0..4");
        expect(f.intro_row >= 0 && f.intro_row <= 21, "intro_row out of 0..21");
        expect(f.drop_req == 0 || f.drop_req == 1, "drop_req out of 0..1");
        expect(f.mnu_rus->isChecked() == (lang_rus == kTrue) && f.mnu_eng->isChecked() == (lang_rus != kTrue),
               "the language menu does not show the language");
    }

    void check_timers() {
        const SoakForm &f = *form_;
        const bool gravity = f.Play_Tmr_Vert->enabled();
        const bool countdown = f.Timer1->enabled();
        const bool intro = f.Stk_output->enabled();
        const bool wait = f.Timer_Wait->enabled();
        expect(!intro || f.game_on == kFalse, "the intro runs during a game");
        expect(!countdown || f.game_on == kTrue, "the countdown runs without a game");
        const bool idle = f.game_on == kFalse && !intro;
        expect(f.Timer2->enabled() == (f.name_entry_on == kTrue),
               "the name cursor runs without a name entry or stops in one");
        if (idle) {
            expect(!gravity && !wait && !f.open_win->enabled(), "a game timer runs while idle");
            expect(f.HLP->menuAction()->isEnabled() == (f.name_entry_on == kFalse) &&
                       f.LNGTT->menuAction()->isEnabled() == (f.name_entry_on == kFalse),
                   "the menus are not usable between games");
        } else {
            expect(!f.HLP->menuAction()->isEnabled() && !f.LNGTT->menuAction()->isEnabled(),
                   "the menus are usable during a game");
        }
        if (quirky_) {
            return; // the rules below describe the phases only
        }
        if (intro) {
            expect(!gravity && !countdown && !wait, "a game timer runs during the intro");
            return;
        }
        if (f.game_on != kTrue) {
            return;
        }
        if (f.play_on == 0) {
            expect(box_ == Box::Exit && gravity && !countdown && wait && f.wait_step == 0,
                   "exit prompt: the timers are not gravity (idle) and the wait");
        } else if (f.msg_closed == kTrue) {
            expect(!gravity && !countdown && wait, "explosion: the timers are not the wait alone");
        } else if (box_ == Box::Pause) {
            expect(!gravity && !countdown && f.input_locked == kTrue, "paused: a game timer runs");
        } else if (box_ == Box::End) {
            expect(!gravity && !countdown && wait, "end message: the timers are not the wait alone");
        } else if (box_ == Box::None) {
            expect(gravity && countdown, "play: the gravity or the countdown is stopped");
        }
    }

    // ------------------------------------------------------------ a game

    // Level+ or Level- until the level is `want` (each press shows its face for 200 ms).
    void select_level(int want) {
        SoakForm &f = *form_;
        const int up = (want - f.level + 15) % 15;
        const bool use_up = up <= 7;
        for (int guard = 0; f.level != want && guard < 20 && failure_.isEmpty(); ++guard) {
            for (int t = 0; t < 250 / kStepMs + 1; ++t) {
                advance();
            }
            key(use_up ? plat::kVkAdd : plat::kVkSubtract);
        }
        expect(f.level == want, "Level+ / Level- did not reach the level");
    }

    // What a player might do between two games.
    void between_games() {
        SoakForm &f = *form_;
        if (chance(0.1) && f.LNGTT->menuAction()->isEnabled()) {
            if (lang_rus == kTrue) {
                f.mnu_eng_Click();
            } else {
                f.mnu_rus_Click();
            }
            ++events_;
            after_event();
        }
        if (chance(0.1)) {
            key(plat::kVkF3);
        }
        if (chance(0.05)) {
            key(plat::kVkF2);
        }
        if (chance(0.03)) {
            request_close(true); // no game: closes without a question
            window_replaced_ = false;
        }
    }

    // Most games end within seconds; a few are played out by the bot, which
    // takes minutes of game time (half an hour on the top level).
    Kind pick_kind(int level) {
        const int r = roll(1000);
        if (r < (level <= 4 ? 80 : 10)) {
            return Kind::Bot;
        }
        if (level == 0 && r < 120) {
            return Kind::Slow;
        }
        return r < 600 ? Kind::Exit : Kind::Fill;
    }

    void play_one_game() {
        // The levels come round in turn, so every level gets its share.
        select_level(static_cast<int>((games_ * 4) % 15));
        between_games();
        if (!failure_.isEmpty()) {
            return;
        }
        SoakForm &f = *form_;
        const int level = f.level;
        const Kind kind = pick_kind(level);
        const int exit_after = roll(6);
        bool answered_no = false;
        for (int t = 0; t < 250 / kStepMs + 1; ++t) {
            advance();
        }
        if (chance(0.5)) {
            key(plat::kVkReturn);
        } else {
            f.knopstart_Click(0);
            ++events_;
            after_event();
        }
        if (!f.Stk_output->enabled()) {
            fail(QStringLiteral("the game did not start"));
            return;
        }
        quirky_ = false;
        well_full_seen_ = false;
        window_replaced_ = false;
        prev_need_fig_ = kFalse;
        const long figures_at_start = figures_;
        const qint64 started = svc_.now();
        const qint64 limit = started + (static_cast<qint64>(f.lvl_time[static_cast<std::size_t>(level)]) + 300) * 1000;
        bool handled_this_figure = false;
        int pause_steps = 0;
        int think_steps = 0;
        qint64 quirk_limit = 0;

        ++games_per_level_[static_cast<std::size_t>(level)];
        while (failure_.isEmpty()) {
            if (window_replaced_) {
                ++endings_[0];
                break;
            }
            SoakForm &g = *form_;
            if (g.unloaded()) { // closed inside a drop
                ++endings_[0];
                reopen_after_close();
                break;
            }
            const bool over = g.game_on == kFalse && !g.Stk_output->enabled() && g.name_entry_on == kFalse;
            if (over) {
                ++endings_[g.end_code <= 4 ? g.end_code : 0];
                check_score_table();
                break;
            }
            if (quirky_ && quirk_limit == 0) {
                quirk_limit = svc_.now() + 60000;
            }
            if (svc_.now() > limit || (quirk_limit != 0 && svc_.now() > quirk_limit)) {
                // A game the random keys left waiting (a Yes on the pause box
                // stops everything until the next pause click): end it.
                request_close(true);
                continue;
            }
            const bool control = g.game_on == kTrue && g.need_fig == kFalse && g.input_locked == kFalse &&
                                 g.msg_closed == kFalse && g.play_on != 0 && box_ == Box::None;
            if (g.need_fig == kTrue) {
                handled_this_figure = false;
            }

            // Random events, now and then.
            // Random events, now and then; fewer, and no confirmed close,
            // in the games the bot is to play out.
            const bool play_out = kind == Kind::Bot || kind == Kind::Slow;
            if (chance(play_out ? 0.0005 : 0.006)) {
                random_event(!play_out);
                continue;
            }
            if (box_ == Box::Pause) {
                // Resume after a while, by key or by the button.
                if (--pause_steps <= 0) {
                    chance(0.5) ? key(plat::kVkP) : click_pause();
                    pause_steps = 1 + roll(100);
                    continue;
                }
            } else if (control && chance(0.002)) {
                chance(0.5) ? key(plat::kVkP) : click_pause();
                pause_steps = 1 + roll(100);
                continue;
            }

            const long in_game = figures_ - figures_at_start;
            if (box_ != Box::Exit) {
                think_steps = 1 + roll(15);
            } else if (g.play_on == 0 && --think_steps <= 0) {
                // Our own exit prompt, after a moment: mostly Yes; a No once, and the game goes on.
                if ((!answered_no && chance(0.3)) || play_out) {
                    answered_no = true;
                    key(plat::kVkN);
                } else {
                    key(plat::kVkY);
                }
                continue;
            }
            if (control && !handled_this_figure) {
                switch (kind) {
                case Kind::Exit:
                    if (in_game > exit_after) {
                        handled_this_figure = true;
                        key(plat::kVkEscape);
                        continue;
                    }
                    (void)pilot_->step();
                    break;
                case Kind::Fill:
                    handled_this_figure = true;
                    key(plat::kVkSpace);
                    continue;
                case Kind::Bot:
                    (void)pilot_->step();
                    break;
                case Kind::Slow:
                    handled_this_figure = true;
                    place_without_drop();
                    continue;
                }
            } else if (!control) {
                (void)pilot_->step(); // end messages and name entry
            }
            advance();
        }
        ++games_;
        quirky_games_ += quirky_ ? 1 : 0;
    }

    // The bot's keys for this figure, but no drop.
    void place_without_drop() {
        const SoakForm &f = *form_;
        bot::View v;
        v.well = f.well.cells.data();
        v.type = f.fig[0];
        v.state = f.fig[1];
        for (std::size_t i = 0; i < 4; ++i) {
            v.cells[i] = {f.fig[4 + i], f.fig[8 + i]};
        }
        v.rot_dx = &f.rot_dx;
        v.rot_dy = &f.rot_dy;
        for (const int k : bot::plan(v)) {
            if (k != plat::kVkSpace && !form_->unloaded()) {
                key(k);
            }
        }
    }

    void random_event(bool may_quit) {
        static constexpr std::array<int, 15> keys = {
            plat::kVkLeft, plat::kVkRight,  plat::kVkUp,  plat::kVkSpace,    plat::kVkDown,
            plat::kVkP,    plat::kVkEscape, plat::kVkY,   plat::kVkN,        plat::kVkF2,
            plat::kVkF3,   plat::kVkReturn, plat::kVkAdd, plat::kVkSubtract, 'A'};
        const int r = roll(100);
        if (r < 70) {
            key(keys[static_cast<std::size_t>(roll(static_cast<int>(keys.size())))]);
        } else if (r < 90 || (!may_quit && r >= 96)) {
            request_close(false);
        } else if (r < 96) {
            // A close that arrives inside the next drop's event pump, answered No or Yes.
            const bool yes = may_quit && chance(0.3);
            svc_.answers.push_back(yes ? plat::kAnswerYes : plat::kAnswerNo);
            SoakForm *f = form_.get();
            svc_.onPump = [this, f](int) {
                svc_.onPump = nullptr;
                svc_.post([f] { f->close(); });
            };
            const int before = svc_.pumpCount();
            for (int i = 0; i < 40 && svc_.pumpCount() == before && failure_.isEmpty() && !f->unloaded(); ++i) {
                advance();
            }
            svc_.onPump = nullptr;
            svc_.answers.clear(); // a pump that never came leaves its answer unused
        } else {
            request_close(true);
        }
    }

    void check_score_table() {
        const SoakForm &f = *form_;
        for (std::size_t i = 0; i < 10; ++i) {
            expect(f.score_values[i] >= 0 && f.score_values[i] <= 9999, "a table score out of 0..9999");
            expect(f.score_names[i].size() <= 8, "a table name longer than 8");
            if (i > 0) {
                expect(f.score_values[i - 1] >= f.score_values[i], "the score table is out of order");
            }
        }
    }

    QTemporaryDir dir_;
    plat::VirtualServices svc_;
    plat::RecordingSound sound_;
    std::mt19937 gen_;
    std::unique_ptr<SoakForm> form_;
    std::unique_ptr<play::Pilot<SoakForm>> pilot_;
    QString failure_;
    Box box_ = Box::None;
    bool started_here_ = false;
    bool quirky_ = false;
    bool well_full_seen_ = false;
    bool window_replaced_ = false;
    int prev_lines_ = 0;
    int prev_score_ = 0;
    Integer prev_need_fig_ = kFalse;

public:
    int completions_ = 0;
    int quirky_games_ = 0;
};

} // namespace

class SoakTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void thousandGamesKeepEveryRule() {
        const int games = soak_games();
        QElapsedTimer clock;
        clock.start();
        Soak soak(20261206U);
        const bool ok = soak.run(games);
        const qint64 ms = clock.elapsed();
        qInfo("soak: %d games, %ld figures, %ld lines, %ld events, %d windows, %d levels completed, %.1f s",
              soak.games_, soak.figures_, soak.lines_total_, soak.events_, soak.windows_, soak.completions_,
              static_cast<double>(ms) / 1000.0);
        qInfo("soak: endings closed %d, top ten %d, time over or exit %d, well full %d, completed %d; %d games with "
              "keys off the usual path",
              soak.endings_[0], soak.endings_[1], soak.endings_[2], soak.endings_[3], soak.endings_[4],
              soak.quirky_games_);
        QVERIFY2(ok, qPrintable(soak.failure()));
        QCOMPARE(soak.games_, games);
        for (const int n : soak.games_per_level_) {
            QVERIFY(n > 0 || games < 15);
        }
        // Every way a game can end came up.
        if (games >= 1000) {
            QVERIFY(soak.endings_[0] > 0 && soak.endings_[2] > 0 && soak.endings_[3] > 0);
            QVERIFY(soak.endings_[1] + soak.endings_[4] > 0);
        }
    }

    // The rules are not idle: a fault planted into a running game is reported.
    void aPlantedFaultIsCaught_data() {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("report");
        QTest::newRow("a point too many") << 0 << QStringLiteral("score went from");
        QTest::newRow("countdown at the exit prompt") << 1 << QStringLiteral("exit prompt");
        QTest::newRow("a hole in the wall") << 2 << QStringLiteral("wall or floor");
        QTest::newRow("a fifth falling cell") << 3 << QStringLiteral("falling cells");
        QTest::newRow("gravity stuck on") << 4 << QStringLiteral("gravity timer");
    }
    void aPlantedFaultIsCaught() {
        QFETCH(int, fault);
        QFETCH(QString, report);
        Soak soak(7U);
        soak.sabotage = [fault](SoakForm &f) {
            if (f.game_on != kTrue) {
                return;
            }
            switch (fault) {
            case 0:
                if (f.need_fig == kTrue && f.lines > 0) {
                    f.score = static_cast<Integer>(f.score + 1);
                }
                break;
            case 1:
                if (f.play_on == 0) {
                    f.Timer1->setEnabled(true);
                }
                break;
            case 2:
                f.well(9, 7) = 0;
                break;
            case 3:
                if (f.need_fig == kFalse && f.well(1, 0) == 0) {
                    f.well(1, 0) = 101;
                }
                break;
            default:
                if (f.fall_interval < 300) {
                    f.Play_Tmr_Vert->setInterval(300);
                } else {
                    f.Play_Tmr_Vert->setInterval(280);
                }
                break;
            }
        };
        QVERIFY(!soak.run(200));
        QVERIFY2(soak.failure().contains(report), qPrintable(soak.failure()));
    }
};

QTEST_MAIN(SoakTest)
#include "test_soak.moc"
