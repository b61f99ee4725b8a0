// Whole games on virtual time, played through the keyboard only: a bot that
// reaches the quota, one that runs out of time, a well that fills, the exit
// prompt answered Yes and No, a pause, and a long random game whose every
// step is checked against the rules of the well and the score.
#include "test_engine_form.h"

#include "support/bot.h"

#include <QAction>
#include <QMenu>
#include <QTest>

#include <random>

namespace {

constexpr int kEsc = plat::kVkEscape;

// Plays each figure once, as soon as it is under control: the bot's keys,
// with or without its final drop.
class Player {
public:
    Player(EngineRig &rig, bool drop) : rig_(rig), drop_(drop) {}

    void step() {
        EngineForm &f = rig_.f();
        if (f.game_on != kTrue) {
            return;
        }
        if (f.need_fig == kTrue) {
            planned_ = false;
            return;
        }
        if (planned_ || f.input_locked != kFalse || f.play_on == 0 || !f.Picture1->hasKeyFocus()) {
            return;
        }
        planned_ = true;
        bot::View v;
        v.well = f.well.cells.data();
        v.type = f.fig[0];
        v.state = f.fig[1];
        v.cells = f.cells();
        v.rot_dx = &f.rot_dx;
        v.rot_dy = &f.rot_dy;
        for (const int key : bot::plan(v)) {
            if (key == plat::kVkSpace && !drop_) {
                continue;
            }
            rig_.key(key, key == plat::kVkSpace ? 32 : -1);
        }
    }

    // Plays until pred holds or max_ms of game time have passed.
    template <typename P> bool play_until(P pred, qint64 max_ms) {
        for (qint64 t = 0; t < max_ms; t += 10) {
            if (pred()) {
                return true;
            }
            step();
            rig_.svc.advance(10);
        }
        return pred();
    }

private:
    EngineRig &rig_;
    bool drop_;
    bool planned_ = false;
};

} // namespace

class EngineGamesTest : public QObject {
    Q_OBJECT

    // From Esc (or Yes) to the idle window: the box goes, seven explosion
    // frames 100 ms apart, then the score table and the idle buttons.
    static void explode_to_idle(EngineRig &rig, int code) {
        EngineForm &f = rig.f();
        QCOMPARE(f.msg_closed, Integer(-1));
        QVERIFY(f.Timer_Wait->enabled());
        for (int frame = 1; frame <= 7; ++frame) {
            rig.svc.advance(100);
            QCOMPARE(f.wait_step, Integer(frame));
            QVERIFY(!f.Picture2->shown());
            QCOMPARE(f.game_on, Integer(-1));
        }
        rig.svc.advance(100);
        QCOMPARE(f.game_on, Integer(0));
        QCOMPARE(int(f.end_code), code);
        QVERIFY(!f.Timer_Wait->enabled());
        QVERIFY(!f.Play_Tmr_Vert->enabled());
        QVERIFY(!f.Timer1->enabled());
        QVERIFY(!f.Stk_output->enabled());
        if (code != 1) {
            QCOMPARE(f.knopstart_en, Integer(-1));
            QCOMPARE(f.knopup_en, Integer(-1));
            QCOMPARE(f.knoppause_en, Integer(0));
            QVERIFY(f.HLP->isEnabled());
            QVERIFY(f.LNGTT->menuAction()->isEnabled());
        } else {
            // The name entry brings the buttons back once the name is stored.
            QVERIFY(!f.HLP->isEnabled());
        }
        // Nothing moves any more.
        const auto well = f.well.cells;
        rig.svc.advance(2000);
        QCOMPARE(f.well.cells, well);
    }

    // The end message is up: Esc acknowledges it, then the explosion.
    static void close_end_message(EngineRig &rig, int code) {
        EngineForm &f = rig.f();
        QVERIFY(rig.end_message_up());
        QCOMPARE(int(f.end_code), code);
        QCOMPARE(f.knoppause_en, Integer(0));
        // Polling only, until Esc.
        rig.svc.advance(1000);
        QCOMPARE(f.wait_step, Integer(0));
        QVERIFY(f.Timer_Wait->enabled());
        rig.key(kEsc, 27);
        explode_to_idle(rig, code);
    }

private Q_SLOTS:
    void init() { lang_rus = kFalse; }

    void aBotReachesTheQuotaOfLevelOne() {
        EngineRig rig(8 * 3600);
        EngineForm &f = rig.f();
        QVERIFY(rig.start_game());
        Player bot(rig, true);
        int points = 0;
        int seen_lines = 0;
        const bool ended = bot.play_until(
            [&] {
                const int n = f.lines - seen_lines;
                if (n > 0 && n <= 4) {
                    points += f.line_pts[static_cast<std::size_t>(n)];
                }
                seen_lines = f.lines;
                return rig.end_message_up();
            },
            600 * 1000);
        QVERIFY(ended);
        QVERIFY2(f.lines >= 50, qPrintable(QString::number(f.lines)));
        // An empty table: the result is the new best.
        QCOMPARE(f.end_code, Byte(1));
        QVERIFY(f.msg_lines.contains(QStringLiteral("champion!")));
        const int bonus = f.Label_Bon_Num->caption().toInt();
        QVERIFY(bonus >= 0);
        QCOMPARE(int(f.score), std::min(points + bonus, 9999));
        QCOMPARE(f.Label_Score_Num->caption(), QString::number(f.score));
        rig.key(kEsc, 27);
        explode_to_idle(rig, 1);
    }

    void aSlowPlayerRunsOutOfTime() {
        EngineRig rig(9 * 3600);
        EngineForm &f = rig.f();
        QVERIFY(rig.start_game());
        Player slow(rig, false); // never drops: each figure falls row by row
        QVERIFY(slow.play_until([&] { return rig.end_message_up(); }, 900 * 1000));
        QCOMPARE(f.end_code, Byte(2));
        QCOMPARE(f.time_left, Integer(0));
        QVERIFY(f.lines < 50);
        QCOMPARE(f.msg_lines, QStringLiteral(" Time is over! \r\n  Press Esc... "));
        QCOMPARE(f.Label_Bon_Num->caption(), QStringLiteral("?"));
        close_end_message(rig, 2);

        // The next game starts from an empty well.
        QVERIFY(rig.start_game());
        for (int y = 0; y <= 19; ++y) {
            for (int x = 1; x <= 8; ++x) {
                QCOMPARE(f.well(x, y), Integer(0));
            }
        }
        QCOMPARE(f.lines, Integer(0));
        QCOMPARE(f.time_left, Integer(200));
    }

    void aWellLeftAloneFillsUp() {
        EngineRig rig;
        EngineForm &f = rig.f();
        QVERIFY(rig.start_game());
        QVERIFY(rig.run_until([&] { return rig.end_message_up(); }, 60 * 1000, 10));
        QCOMPARE(f.end_code, Byte(3));
        QCOMPARE(f.msg_lines, QStringLiteral(" You are fail! \r\n  Press Esc... "));
        QVERIFY(f.time_left > 150);
        close_end_message(rig, 3);
    }

    void theExitPromptAnsweredYesEndsTheGame() {
        EngineRig rig;
        EngineForm &f = rig.f();
        QVERIFY(rig.start_game());
        Player bot(rig, true);
        bot.play_until([] { return false; }, 10 * 1000);
        QVERIFY(rig.run_until([&] { return f.need_fig == kFalse && f.input_locked == kFalse; }, 1000, 1));
        rig.key(kEsc, 27);
        QCOMPARE(f.play_on, Integer(0));
        QVERIFY(!f.Timer1->enabled());
        QVERIFY(f.Timer_Wait->enabled());
        QCOMPARE(f.Timer_Wait->interval(), 100);
        QCOMPARE(f.knoppause_en, Integer(0));
        QVERIFY(f.Picture2->hasKeyFocus());
        // The gravity ticks on, idly, and the clock stands still.
        const auto fig = f.fig;
        const Integer left = f.time_left;
        rig.svc.advance(3000);
        QVERIFY(f.Play_Tmr_Vert->enabled());
        QCOMPARE(f.fig, fig);
        QCOMPARE(f.time_left, left);
        QCOMPARE(f.wait_step, Integer(0));
        rig.key(kEsc, 27); // Esc does not answer
        rig.key('P', 'p'); // nor does P: Pause is greyed
        QCOMPARE(f.msg_closed, Integer(0));
        QCOMPARE(f.input_locked, Integer(0));
        rig.key(plat::kVkY, 'y');
        QCOMPARE(f.play_on, Integer(2));
        QCOMPARE(f.end_code, Byte(2));
        QVERIFY(!f.Play_Tmr_Vert->enabled());
        explode_to_idle(rig, 2);
        QCOMPARE(f.Label_Bon_Num->caption(), QStringLiteral("?"));
    }

    void theExitPromptAnsweredNoGoesOn() {
        EngineRig rig;
        EngineForm &f = rig.f();
        QVERIFY(rig.start_game());
        QVERIFY(rig.run_until([&] { return f.need_fig == kFalse; }, 1000, 1));
        rig.key(kEsc, 27);
        const auto fig = f.fig;
        rig.svc.advance(1000);
        QCOMPARE(f.fig, fig);
        rig.key(plat::kVkN, 'n');
        QCOMPARE(f.play_on, Integer(1));
        QCOMPARE(f.msg_closed, Integer(0));
        QVERIFY(f.Picture1->hasKeyFocus());
        QVERIFY(!f.Picture2->shown());
        QVERIFY(f.Play_Tmr_Vert->enabled());
        QVERIFY(f.Timer1->enabled());
        QCOMPARE(f.knoppause_en, Integer(-1));
        QVERIFY(f.Timer_Wait->enabled()); // polls on, harmlessly
        rig.svc.advance(300);
        QCOMPARE(f.lowest_row(), fig[11] + 1);
        // The keys work again.
        const int column = f.leftmost_column();
        rig.key(plat::kVkLeft);
        QCOMPARE(f.leftmost_column(), column - 1);
        QVERIFY(rig.run_until([&] { return rig.end_message_up(); }, 60 * 1000, 10));
        close_end_message(rig, 3);
    }

    void aPauseStopsEverythingUntilPInTheBox() {
        EngineRig rig;
        EngineForm &f = rig.f();
        QVERIFY(rig.start_game());
        QVERIFY(rig.run_until([&] { return f.need_fig == kFalse; }, 1000, 1));
        rig.key('P', 'p');
        QCOMPARE(f.input_locked, Integer(-1));
        QVERIFY(!f.Play_Tmr_Vert->enabled());
        QVERIFY(!f.Timer1->enabled());
        QVERIFY(f.Picture2->hasKeyFocus());
        const auto fig = f.fig;
        const Integer left = f.time_left;
        rig.key('P', 'p'); // the Pause button is still showing its press: ignored
        QCOMPARE(f.input_locked, Integer(-1));
        rig.svc.advance(5000);
        QCOMPARE(f.fig, fig);
        QCOMPARE(f.time_left, left);
        rig.key(plat::kVkLeft); // the box has the keys, not the play area
        QCOMPARE(f.fig, fig);
        rig.key('P', 'p');
        QCOMPARE(f.input_locked, Integer(0));
        QVERIFY(f.Picture1->hasKeyFocus());
        QVERIFY(!f.Picture2->shown());
        QVERIFY(f.Play_Tmr_Vert->enabled());
        QVERIFY(f.Timer1->enabled());
        rig.svc.advance(300);
        QCOMPARE(f.lowest_row(), fig[11] + 1);
        QVERIFY(rig.run_until([&] { return rig.end_message_up(); }, 60 * 1000, 10));
        close_end_message(rig, 3);
    }

    // Thousands of figures under random keys; after every step: walls and
    // floor intact, at most four falling cells, every landing's cells and
    // points accounted for, the time never below zero.
    void aLongRandomGameKeepsTheRules() {
        EngineRig rig(31337);
        EngineForm &f = rig.f();
        std::mt19937 keys(20240601U);
        int figures = 0;
        int games = 0;
        int landings = 0; // of this game
        int lines_seen = 0;
        int points = 0;
        bool was_landed = true;

        const auto check = [&](const char *where) {
            for (int y = 0; y <= 20; ++y) {
                QVERIFY2(f.well(0, y) == 9 && f.well(9, y) == 9, where);
            }
            int falling = 0;
            int filled = 0;
            for (int y = 0; y <= 19; ++y) {
                for (int x = 1; x <= 8; ++x) {
                    QVERIFY2(f.well(x, 20) == 9, where);
                    const Integer v = f.well(x, y);
                    QVERIFY2((v >= 0 && v <= 7) || (v >= 101 && v <= 107), where);
                    falling += v > 100 ? 1 : 0;
                    filled += v != 0 ? 1 : 0;
                }
            }
            QVERIFY2(falling <= 4, where);
            if (f.game_on != kTrue) {
                return;
            }
            QVERIFY2(f.time_left >= 0, where);
            const int n = f.lines - lines_seen;
            QVERIFY2(n >= 0 && n <= 4, where);
            if (n > 0) {
                points += f.line_pts[static_cast<std::size_t>(n)];
                lines_seen = f.lines;
            }
            QVERIFY2(f.score == points, where);
            const bool is_landed = f.need_fig == kTrue;
            if (is_landed && !was_landed) {
                ++landings;
            }
            if (!is_landed && was_landed) {
                ++figures;
            }
            was_landed = is_landed;
            // Between a landing and the next figure: four cells per landing,
            // eight fewer per cleared row.
            if (is_landed) {
                QVERIFY2(filled == 4 * landings - 8 * f.lines, where);
            }
        };
        rig.svc.onPump = [&](int) { check("inside a drop"); };

        const auto fresh_game = [&] {
            ++games;
            landings = 0;
            lines_seen = 0;
            points = 0;
            was_landed = true;
        };
        QVERIFY(rig.start_game());
        fresh_game();
        const int moves[] = {plat::kVkLeft, plat::kVkRight, plat::kVkUp, plat::kVkSpace, plat::kVkDown};
        while (figures < 3000 && !QTest::currentTestFailed()) {
            QVERIFY(rig.svc.now() < 4LL * 3600 * 1000);
            const unsigned roll = keys() % 100;
            if (f.game_on != kTrue) {
                if (!f.Stk_output->enabled() && f.knopstart_en == kTrue && f.knop_busy == kFalse) {
                    rig.key(plat::kVkReturn, 13);
                    QVERIFY(f.Stk_output->enabled());
                    fresh_game();
                }
            } else if (rig.end_message_up()) {
                rig.key(kEsc, 27);
            } else if (f.play_on == 0) {
                rig.key(roll < 80 ? plat::kVkN : plat::kVkY, roll < 80 ? 'n' : 'y');
            } else if (f.input_locked == kTrue && f.Picture2->hasKeyFocus()) {
                rig.key('P', 'p'); // paused: resume once the button is up again
            } else if (roll < 30) {
                rig.key(moves[keys() % 5]);
            } else if (roll == 30) {
                rig.key('P', 'p');
            } else if (roll == 31 && keys() % 8 == 0) {
                rig.key(kEsc, 27);
            } else if (roll == 32) {
                rig.key(keys() % 2 == 0 ? plat::kVkF2 : plat::kVkF3);
            }
            check("after a key");
            rig.svc.advance(1 + keys() % 8);
            check("after a step");
        }
        rig.svc.onPump = nullptr;
        QVERIFY(games > 10);
        qInfo("%d figures in %d games, %lld s of game time", figures, games, rig.svc.now() / 1000);
    }
};

QTEST_MAIN(EngineGamesTest)
#include "test_engine_games.moc"
