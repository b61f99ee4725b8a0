// Catches faults that show only over many games of random play on every level, checked after every event.
// CLOCKWELL_SOAK_GAMES sets the number of games.
#include "support/rig.h"

#include <cmath>
#include <random>

class FormTest : public QObject {
    Q_OBJECT

    struct Soak {
        Rig rig;
        std::mt19937 gen;
        QString failure;
        int games = 0, closes = 0, completed = 0, entered = 0, events = 0, firsts = 0; // firsts: a bit per type
        int lines = 0, points = 0; // what this game has cleared and earned, by the soak's own count
        bool counting = false, full = false, was_done = false, prev_need_fig = false;
        std::array<Integer, 13> prev_fig{};
        std::array<int, 5> endings{};

        explicit Soak(unsigned start) : rig(cfg_file("Yes", "Yes", "0", "Eng")), gen(start) {}
        int roll(int n) { return std::uniform_int_distribution<int>(0, n - 1)(gen); }
        void expect(bool ok, const char *rule) {
            if (!ok && failure.isEmpty()) {
                failure =
                    QString("game %1, event %2, level %3: %4").arg(games).arg(events).arg(rig.f().level + 1).arg(rule);
            }
        }

        void check() {
            ++events;
            const Form &f = rig.f();
            if (f.unloaded()) {
                return;
            }
            int falling = 0, occupied = 0;
            for (int i = 0; i < 210; ++i) {
                const Integer v = f.well(i % 10, i / 10);
                const bool edge = i % 10 == 0 || i % 10 == 9 || i >= 200;
                expect(edge ? v == 9 || !counting : v == 0 || (v >= 1 && v <= 7) || (v >= 101 && v <= 107),
                       edge ? "a wall or floor cell is not 9" : "a cell holds no value of the well");
                falling += !edge && v > 100 ? 1 : 0;
                occupied += !edge && v != 0 ? 1 : 0;
            }
            full = full || (f.end_code == 3 && f.Timer_Wait->enabled() && f.game_on == kTrue);
            if (counting && f.game_on == kTrue && !full) {
                if (f.need_fig == kFalse && f.msg_closed == kFalse && !f.Timer_Wait->enabled()) {
                    int at = 0;
                    for (std::size_t i = 0; i < 4; ++i) {
                        at += f.well(f.fig[4 + i], f.fig[8 + i]) == f.fig[0] + 101 ? 1 : 0;
                    }
                    expect(falling == 4 && at == 4, "the falling cells are not the figure's four");
                }
                const int d = f.lines - lines;
                expect(d >= 0 && d <= 4, "lines went down or up by more than 4");
                // points for 0, 1, 2, 3 and 4 rows cleared by one landing
                points += std::array{0, 1, 3, 6, 12}[static_cast<std::size_t>(std::clamp(d, 0, 4))];
                lines = f.lines;
                // a figure came in: under control now, or it landed where it entered
                entered += prev_need_fig && (f.need_fig == kFalse || f.fig != prev_fig) ? 1 : 0;
                expect(occupied == 4 * entered - 8 * lines, "cells after the figures and the rows cleared");
                firsts |= entered == 1 ? 1 << f.fig[0] : 0;
                // the bonus: seconds left (frozen at the quota) plus the period times their periods, halves to even
                const auto l = static_cast<std::size_t>(f.level);
                const int quota =
                    std::array{50, 100, 150, 200, 250, 300, 350, 400, 450, 500, 550, 700, 800, 900, 1000}[l];
                const int period =
                    std::array{40, 80, 120, 160, 200, 220, 280, 320, 300, 250, 275, 245, 280, 315, 350}[l];
                const bool done = f.lines >= quota;
                const int bonus = f.time_left + period * static_cast<int>(std::nearbyint(double(f.time_left) / period));
                expect(f.score == (done ? std::min(9999, points + bonus) : points),
                       "score is not the points and the bonus");
                completed += done && !was_done ? 1 : 0;
                was_done = done;
            }
            prev_fig = f.fig;
            prev_need_fig = f.need_fig == kTrue;
            expect(!counting || (f.fall_interval >= 60 && f.fall_interval <= 300), "gravity interval out of 60..300");
            const bool playing =
                f.game_on == kTrue && f.play_on != 0 && f.msg_closed == kFalse && f.Play_Tmr_Vert->enabled();
            expect(!playing || f.Play_Tmr_Vert->interval() == f.fall_interval, "the gravity timer is off its interval");
            const bool idle = f.game_on == kFalse && !f.Stk_output->enabled() && f.name_entry_on == kFalse;
            expect(!idle || (!f.Timer1->enabled() && !f.Timer_Wait->enabled() && !f.open_win->enabled()),
                   "a game timer runs while idle");
        }

        void step(qint64 ms) {
            const bool quiet = rig.f().sound_on == kFalse;
            const auto &calls = rig.svc.recording_sound.calls;
            const std::size_t from = calls.size();
            rig.wait(ms);
            for (std::size_t i = from; i < calls.size() && quiet; ++i) {
                expect(!calls[i].play || rig.f().sound_on == kTrue, "a clip with the sound off");
            }
            check();
        }

        void close(bool yes) {
            Form &f = rig.f();
            const bool asks = f.game_on == kTrue || f.Stk_output->enabled();
            const QString timers = rig.show("gravity countdown wait intro grow cursor press");
            const std::size_t said = rig.svc.messages.size();
            rig.svc.answers = {yes ? plat::kAnswerYes : plat::kAnswerNo};
            f.close();
            expect(rig.svc.messages.size() == said + (asks ? 1 : 0), "the close question came when it should not");
            if (asks && !yes) {
                expect(!f.unloaded() && rig.show("gravity countdown wait intro grow cursor press") == timers,
                       "No did not give every timer back");
            } else {
                reopen();
            }
        }
        void reopen() {
            const QString settings = rig.show("sound_on next_on level") + QString::number(lang_rus);
            ++closes;
            rig.reload();
            expect(rig.show("sound_on next_on level") + QString::number(lang_rus) == settings, "settings lost");
            expect(rig.svc.messages.empty() || rig.said().last().startsWith("36"), "a message at the load");
            counting = false;
        }

        void playOneGame() {
            Form &f = rig.f();
            for (int guard = 0; f.level != (games * 4) % 15 && guard < 30; ++guard) { // every level in turn
                step(210);
                rig.keys("+");
            }
            if (roll(10) == 0 && f.LNGTT->menuAction()->isEnabled()) {
                lang_rus != 0 ? f.mnu_eng_Click() : f.mnu_rus_Click();
            }
            rig.keys(roll(10) == 0 ? "3" : roll(20) == 0 ? "2" : "");
            step(210);
            roll(2) == 0 ? rig.keys("r") : f.knopstart_Click(0);
            lines = points = entered = 0;
            counting = true;
            full = was_done = prev_need_fig = false;
            const int kind = roll(100); // to the end with the bot, dropped where they enter, or left by Esc
            const int plays = kind < 8 ? 100000 : 2 + roll(8);
            for (int t = 0; t < 3000 * 1000 / 20 && failure.isEmpty(); ++t) {
                Form &g = rig.f();
                if (g.unloaded()) {
                    reopen();
                    break;
                }
                if (g.game_on == kFalse && !g.Stk_output->enabled() && g.name_entry_on == kFalse) {
                    ++endings[std::min<int>(g.end_code, 4)];
                    break;
                }
                const int r = roll(kind < 8 ? 30000 : 1000); // a game played out meets fewer surprises
                if (r < 4) {
                    rig.keys(QString("<>^_vpeynr23+-a").mid(roll(15), 1).toLatin1());
                } else if (r < 6) {
                    close(roll(4) == 0);
                    if (!counting) {
                        break;
                    }
                    continue;
                } else if (r < 7 && g.game_on == kTrue) { // a close inside the next drop's event pump
                    rig.svc.answers = {roll(3) == 0 ? plat::kAnswerYes : plat::kAnswerNo};
                    rig.svc.onPump = [this, &g](int) {
                        rig.svc.onPump = nullptr;
                        rig.svc.post([&g] { g.close(); });
                    };
                } else if (r < 9 && g.Picture2->shown() && g.input_locked == kTrue && g.play_on != 0) {
                    rig.keys("p"); // resume a pause
                } else if (g.game_on == kTrue && !g.Picture2->shown() && !g.Play_Tmr_Vert->enabled() &&
                           !g.Timer_Wait->enabled() && g.knop_busy == kFalse) {
                    g.knoppause_Click(0); // stopped by a Y on the pause box: the Pause button goes on
                } else if (entered > plays && g.need_fig == kFalse && !g.Picture2->shown()) {
                    rig.keys(kind < 50 ? "e" : "_");
                    if (kind < 50 && g.play_on == 0) {
                        rig.keys(roll(5) == 0 ? "n" : "y");
                    }
                } else {
                    rig.play();
                }
                step(20);
            }
            rig.svc.onPump = nullptr;
            ++games;
        }
    };

private Q_SLOTS:
    void aThousandGamesKeepEveryRule() {
        const int asked = qEnvironmentVariableIntValue("CLOCKWELL_SOAK_GAMES");
        Soak soak(20261207U);
        while (soak.games < (asked > 0 ? asked : 1000) && soak.failure.isEmpty()) {
            soak.playOneGame();
        }
        qInfo("soak: %d games, %d events, %d windows closed, %d levels completed, endings by code %s", soak.games,
              soak.events, soak.closes, soak.completed,
              qPrintable(words(soak.endings[0], soak.endings[1], soak.endings[2], soak.endings[3], soak.endings[4])));
        QVERIFY2(soak.failure.isEmpty(), qPrintable(soak.failure));
        // every way a game ends came up, and every type came first, also in the sanitizer run's first 250 games
        QVERIFY(soak.games < 250 || (soak.closes > 0 && soak.completed > 0 && soak.endings[2] > 0 &&
                                     soak.endings[3] > 0 && soak.firsts == 127));
    }
};

QTEST_MAIN(FormTest)
#include "test_soak.moc"
