// The engine piece by piece: figures and their moves, rows, the gravity
// step's landings and endings, the clock, and the play-area keys.
#include "test_engine_form.h"

#include "platform/colors.h"
#include "platform/resources.h"

#include <QAction>
#include <QMenu>
#include <QTest>

#include <algorithm>
#include <map>

namespace {

using Cells = std::array<std::array<int, 2>, 4>;

// Start cells of the seven types, and the cells after one, two and three
// turns at the start position.
const std::array<Cells, 7> kStart = {{
    {{{4, 0}, {4, 1}, {4, 2}, {4, 3}}},
    {{{4, 0}, {5, 0}, {4, 1}, {5, 1}}},
    {{{5, 0}, {4, 0}, {4, 1}, {4, 2}}},
    {{{4, 0}, {5, 0}, {5, 1}, {5, 2}}},
    {{{4, 0}, {4, 1}, {5, 1}, {5, 2}}},
    {{{5, 0}, {5, 1}, {4, 1}, {4, 2}}},
    {{{4, 1}, {5, 1}, {6, 1}, {5, 2}}},
}};
const std::map<int, std::array<Cells, 3>> kTurned = {
    {0, {{{{{2, 2}, {3, 2}, {4, 2}, {5, 2}}}, {{{4, 4}, {4, 3}, {4, 2}, {4, 1}}}, {{{6, 2}, {5, 2}, {4, 2}, {3, 2}}}}}},
    {2, {{{{{3, 0}, {3, 1}, {4, 1}, {5, 1}}}, {{{3, 2}, {4, 2}, {4, 1}, {4, 0}}}, {{{5, 2}, {5, 1}, {4, 1}, {3, 1}}}}}},
    {3, {{{{{4, 2}, {4, 1}, {5, 1}, {6, 1}}}, {{{6, 2}, {5, 2}, {5, 1}, {5, 0}}}, {{{6, 0}, {6, 1}, {5, 1}, {4, 1}}}}}},
    {4, {{{{{3, 1}, {4, 1}, {4, 0}, {5, 0}}}, {{{4, 2}, {4, 1}, {3, 1}, {3, 0}}}, {{{5, 1}, {4, 1}, {4, 2}, {3, 2}}}}}},
    {5, {{{{{4, 1}, {5, 1}, {5, 2}, {6, 2}}}, {{{5, 2}, {5, 1}, {6, 1}, {6, 0}}}, {{{6, 1}, {5, 1}, {5, 0}, {4, 0}}}}}},
    {6, {{{{{5, 2}, {5, 1}, {5, 0}, {6, 1}}}, {{{6, 1}, {5, 1}, {4, 1}, {5, 0}}}, {{{5, 0}, {5, 1}, {5, 2}, {4, 1}}}}}},
};

// The interior of the well holds exactly the figure's cells, with value v.
bool only_figure_in_well(const EngineForm &f, int v) {
    for (int y = 0; y <= 19; ++y) {
        for (int x = 1; x <= 8; ++x) {
            bool part = false;
            for (const auto &c : f.cells()) {
                part = part || (c[0] == x && c[1] == y);
            }
            if (f.well(x, y) != (part ? v : 0)) {
                return false;
            }
        }
    }
    return true;
}

bool walls_intact(const EngineForm &f) {
    for (int y = 0; y <= 20; ++y) {
        if (f.well(0, y) != 9 || f.well(9, y) != 9) {
            return false;
        }
    }
    for (int x = 1; x <= 8; ++x) {
        if (f.well(x, 20) != 9) {
            return false;
        }
    }
    return true;
}

// Fills row y, columns 1..8, with settled blocks except the listed columns.
void fill_row(EngineForm &f, int y, std::initializer_list<int> gaps) {
    for (int x = 1; x <= 8; ++x) {
        bool gap = false;
        for (int g : gaps) {
            gap = gap || g == x;
        }
        f.well(x, y) = static_cast<Integer>(gap ? 0 : 3);
    }
}

// After the intro: the next gravity tick brings in a figure of this type
// (and moves it one row down in the same tick).
bool bring_in(EngineRig &rig, int type) {
    EngineForm &f = rig.f();
    f.next_fig = static_cast<Integer>(type);
    return rig.run_until([&] { return f.game_on == kTrue && f.need_fig == kFalse; }, 1000);
}

// Moves the falling bar to column 1 with the keys and drops it.
void bar_to_column_one_and_drop(EngineRig &rig) {
    for (int i = 0; i < 3; ++i) {
        rig.key(plat::kVkLeft);
    }
    rig.key(plat::kVkSpace, 32);
}

bool landed(const EngineForm &f) { return f.need_fig == kTrue && f.input_locked == kTrue; }

} // namespace

class EngineTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { lang_rus = kFalse; }

    // ---- figures

    void everyTypeTurnsThroughTheReferenceStates() {
        EngineRig rig;
        EngineForm &f = rig.f();
        for (int t = 0; t < 7; ++t) {
            f.clear_well();
            Integer status = 9;
            f.spawn_figure(static_cast<Integer>(t), status);
            QCOMPARE(status, Integer(0));
            QCOMPARE(f.cells(), kStart[static_cast<std::size_t>(t)]);
            QCOMPARE(f.fig[0], Integer(t));
            QVERIFY(only_figure_in_well(f, t + 101));
            for (int s = 1; s <= 4; ++s) {
                f.rotate();
                QCOMPARE(f.fig[1], Integer(s % 4));
                const Cells want = (t == 1 || s == 4) ? kStart[static_cast<std::size_t>(t)]
                                                      : kTurned.at(t)[static_cast<std::size_t>(s - 1)];
                QCOMPARE(f.cells(), want);
                QVERIFY2(only_figure_in_well(f, t + 101), qPrintable(QStringLiteral("type %1 state %2").arg(t).arg(s)));
                QVERIFY(walls_intact(f));
            }
        }
    }

    void refusedTurnsLeaveFigureAndWellAsTheyWere() {
        EngineRig rig;
        EngineForm &f = rig.f();
        Integer status = 0;
        Integer blocked = 0;
        const auto turn_is_refused = [&f] {
            const auto fig = f.fig;
            const auto cells = f.well.cells;
            f.rotate();
            return f.fig == fig && f.well.cells == cells;
        };

        // The vertical bar against the left wall cannot lie down.
        f.clear_well();
        f.spawn_figure(0, status);
        for (int i = 0; i < 3; ++i) {
            f.move_sideways(0, blocked);
            QCOMPARE(blocked, Integer(0));
        }
        f.move_sideways(0, blocked); // the wall
        QCOMPARE(blocked, Integer(-1));
        QVERIFY(turn_is_refused());

        // Refused by the bounds test the cells keep the values they had,
        // here the settled values of a figure that has just entered.
        f.freeze_figure();
        QVERIFY(turn_is_refused());
        QCOMPARE(f.well(1, 0), Integer(1));

        // Over the top: type 6 with its row on row 0 would turn its cell 2 to row -1.
        f.clear_well();
        f.fig = {6, 0, 0, 0, 4, 5, 6, 5, 0, 0, 0, 1, 0};
        for (const auto &c : f.cells()) {
            f.well(c[0], c[1]) = 7;
        }
        QVERIFY(turn_is_refused());

        // Under the floor: the lying bar on row 19 would put cell 0 on row 21,
        // outside the well array (so the test must come before any look at it).
        f.clear_well();
        f.spawn_figure(0, status);
        f.rotate();
        f.move_down(1, blocked);
        QCOMPARE(f.lowest_row(), 19);
        QVERIFY(turn_is_refused());

        // Row 20 is outside the field too, not merely a taken cell: a lying
        // bar with settled values on row 18 keeps them (a collision would
        // have rewritten them as falling cells).
        f.clear_well();
        f.fig = {0, 1, 0, 0, 2, 3, 4, 5, 18, 18, 18, 18, 0};
        for (const auto &c : f.cells()) {
            f.well(c[0], c[1]) = 1;
        }
        QVERIFY(turn_is_refused());

        // A settled block in the way: nothing moves, the cells become falling cells.
        f.clear_well();
        f.spawn_figure(0, status);
        f.freeze_figure();
        f.well(5, 2) = 3;
        const auto fig_before = f.fig;
        f.rotate();
        QCOMPARE(f.fig, fig_before);
        QCOMPARE(f.well(5, 2), Integer(3));
        for (const auto &c : f.cells()) {
            QCOMPARE(f.well(c[0], c[1]), Integer(101));
        }
        QCOMPARE(f.well(2, 2), Integer(0));
        QCOMPARE(f.well(3, 2), Integer(0));
    }

    void movesStopAtWallsBlocksAndFloor() {
        EngineRig rig;
        EngineForm &f = rig.f();
        Integer status = 0;
        Integer blocked = 0;

        f.clear_well();
        f.spawn_figure(1, status);
        f.well(7, 1) = 2;
        f.move_sideways(1, blocked);
        QCOMPARE(blocked, Integer(0));
        const auto before = f.fig;
        f.move_sideways(1, blocked); // (7, 1) is taken
        QCOMPARE(blocked, Integer(-1));
        QCOMPARE(f.fig, before);
        QCOMPARE(f.well(7, 1), Integer(2));
        QVERIFY(walls_intact(f));

        // A drop from row 0 ends on row 19, with the pump run before every
        // row and once more for the try that finds the floor.
        f.clear_well();
        f.spawn_figure(0, status);
        const int pumps = rig.svc.pumpCount();
        f.move_down(1, blocked);
        QCOMPARE(blocked, Integer(-1));
        QCOMPARE(f.lowest_row(), 19);
        QCOMPARE(rig.svc.pumpCount() - pumps, 17);
        QVERIFY(only_figure_in_well(f, 101));

        f.clear_well();
        f.spawn_figure(3, status);
        f.move_down(0, blocked);
        QCOMPARE(blocked, Integer(0));
        QCOMPARE(f.lowest_row(), 3);
        QCOMPARE(rig.svc.pumpCount() - pumps, 18);
    }

    void spawnOntoTakenCellsReportsAFullWell() {
        EngineRig rig;
        EngineForm &f = rig.f();
        Integer status = 0;
        f.clear_well();
        f.well(4, 1) = 5;
        f.spawn_figure(0, status);
        QCOMPARE(status, Integer(3));
        QCOMPARE(f.cells(), kStart[0]);
        QCOMPARE(f.well(4, 0), Integer(101));
        QCOMPARE(f.well(4, 1), Integer(5));
        QCOMPARE(f.well(4, 2), Integer(101));
        QCOMPARE(f.well(4, 3), Integer(101));

        const auto fig_before = f.fig;
        const auto well_before = f.well.cells;
        f.spawn_figure(7, status);
        QCOMPARE(status, Integer(-1));
        QCOMPARE(f.fig, fig_before);
        QCOMPARE(f.well.cells, well_before);
    }

    void randomTypesAreEvenlySpread() {
        EngineRig rig;
        EngineForm &f = rig.f();
        std::array<int, 7> count{};
        for (int i = 0; i < 7000; ++i) {
            Integer r = -1;
            f.random_int(0, 6, r);
            QVERIFY(r >= 0 && r <= 6);
            ++count[static_cast<std::size_t>(r)];
        }
        for (int c : count) {
            QVERIFY2(c > 850 && c < 1150, qPrintable(QString::number(c)));
        }
        Integer r = 0;
        f.random_int(3, 3, r);
        QCOMPARE(r, Integer(3));
        for (int i = 0; i < 200; ++i) {
            f.random_int(-2, 2, r);
            QVERIFY(r >= -2 && r <= 2);
        }
    }

    // The run of types starts from the clock's second at the load: the same
    // second gives the same run, another second another run.
    void theRunOfTypesStartsFromTheClock() {
        const auto run = [](int seconds) {
            EngineRig rig(seconds);
            std::array<Integer, 40> types{};
            for (Integer &t : types) {
                rig.f().random_int(0, 6, t);
            }
            return types;
        };
        QCOMPARE(run(3600), run(3600));
        QVERIFY(run(3600) != run(3601));
        QVERIFY(run(0) != run(86399));
    }

    // ---- rows

    void fullRowsApartAreBothRemoved() {
        EngineRig rig;
        EngineForm &f = rig.f();
        f.clear_well();
        fill_row(f, 0, {});
        fill_row(f, 8, {2, 5});
        fill_row(f, 9, {});
        fill_row(f, 10, {7});
        fill_row(f, 19, {});
        f.well(3, 7) = 6;
        // The expected well: the rows that are not full, in order, under empty ones.
        std::vector<std::array<Integer, 8>> kept;
        for (int y = 0; y <= 19; ++y) {
            if (y == 0 || y == 9 || y == 19) {
                continue;
            }
            std::array<Integer, 8> row{};
            for (int x = 1; x <= 8; ++x) {
                row[static_cast<std::size_t>(x - 1)] = f.well(x, y);
            }
            kept.push_back(row);
        }
        Integer count = 0;
        f.clear_full_rows(count);
        QCOMPARE(count, Integer(3));
        for (int y = 0; y <= 19; ++y) {
            for (int x = 1; x <= 8; ++x) {
                const int k = y - 3;
                const Integer want = k < 0 ? 0 : kept[static_cast<std::size_t>(k)][static_cast<std::size_t>(x - 1)];
                QCOMPARE(f.well(x, y), want);
            }
        }
        QVERIFY(walls_intact(f));
    }

    // ---- landings through the gravity step

    void landingsCountRowsPointsAndSounds() {
        EngineRig rig;
        EngineForm &f = rig.f();
        rig.key(plat::kVkF3); // sound on
        QCOMPARE(f.sound_on, Integer(-1));
        QVERIFY(rig.start_game());

        // Four rows at once: 12 points, clip 105, and an empty well: Reset.
        for (int y = 16; y <= 19; ++y) {
            fill_row(f, y, {1});
        }
        QVERIFY(bring_in(rig, 0));
        f.time_left = 7;
        bar_to_column_one_and_drop(rig);
        QVERIFY(rig.run_until([&] { return landed(f); }, 1000));
        QCOMPARE(f.lines, Integer(4));
        QCOMPARE(f.score, Integer(12));
        QCOMPARE(f.Label_ln_num->caption(), QStringLiteral("4"));
        QCOMPARE(f.Label_Score_Num->caption(), QStringLiteral("12"));
        const QByteArray four = plat::loadCustom(105);
        if (!four.isEmpty()) {
            QCOMPARE(rig.svc.recording_sound.played().back(), four);
        }
        QCOMPARE(f.time_left, Integer(200));
        QCOMPARE(f.reset_blink, Integer(5));
        QCOMPARE(f.Label_Time->caption(), QStringLiteral("Reset"));

        // No full row: nothing counted, the labels are left alone, clip 101.
        QVERIFY(bring_in(rig, 0));
        f.Label_ln_num->setCaption(QStringLiteral("untouched"));
        rig.key(plat::kVkSpace, 32);
        const auto plays = rig.svc.recording_sound.played().size();
        QVERIFY(rig.run_until([&] { return landed(f); }, 1000));
        QCOMPARE(f.lines, Integer(4));
        QCOMPARE(f.score, Integer(12));
        QCOMPARE(f.Label_ln_num->caption(), QStringLiteral("untouched"));
        const QByteArray click = plat::loadCustom(101);
        if (!click.isEmpty()) {
            QCOMPARE(rig.svc.recording_sound.played().size(), plays + 1);
            QCOMPARE(rig.svc.recording_sound.played().back(), click);
        }

        // Two full rows with a gap row between them: both go, 3 points. The
        // line points are not capped, only the bonus is.
        f.clear_well();
        fill_row(f, 17, {1});
        fill_row(f, 18, {1, 2});
        fill_row(f, 19, {1});
        QVERIFY(bring_in(rig, 0));
        f.score = 9999;
        bar_to_column_one_and_drop(rig);
        QVERIFY(rig.run_until([&] { return landed(f); }, 1000));
        QCOMPARE(f.lines, Integer(6));
        QCOMPARE(f.score, Integer(9999 + 3));
        QCOMPARE(f.well(1, 19), Integer(1)); // the bar's rest, then the former row 18
        QCOMPARE(f.well(2, 19), Integer(0));
        QCOMPARE(f.well(3, 19), Integer(3));
        QCOMPARE(f.well(1, 18), Integer(1));
        QCOMPARE(f.well(3, 18), Integer(0));
        QVERIFY(walls_intact(f));
    }

    void theFirstMoveOfANewFigureCanLandIt() {
        EngineRig rig;
        EngineForm &f = rig.f();
        QVERIFY(rig.start_game());
        f.well(4, 4) = 3; // right under the bar's start cells
        f.next_fig = 0;
        QVERIFY(rig.run_until([&] { return f.need_fig == kFalse || landed(f); }, 1000));
        QVERIFY(landed(f));
        QCOMPARE(f.cells(), kStart[0]);
        for (const auto &c : f.cells()) {
            QCOMPARE(f.well(c[0], c[1]), Integer(1));
        }
    }

    // ---- endings

    void aWellFullEndsBeforeTheFigureMoves() {
        EngineRig rig;
        EngineForm &f = rig.f();
        QVERIFY(rig.start_game());
        f.well(4, 1) = 6; // every type needs (4, 1) or (5, 1)
        f.well(5, 1) = 6;
        f.next_fig = 2;
        QVERIFY(rig.run_until([&] { return rig.end_message_up(); }, 1000));
        QCOMPARE(f.end_code, Byte(3));
        QCOMPARE(f.msg_lines, QStringLiteral(" You are fail! \r\n  Press Esc... "));
        QCOMPARE(f.well(5, 0), Integer(3)); // the free start cells, settled
        QCOMPARE(f.well(4, 0), Integer(3));
        QCOMPARE(f.well(4, 2), Integer(3));
        QCOMPARE(f.well(4, 1), Integer(6)); // the taken ones keep their values
        QCOMPARE(f.Timer_Wait->interval(), 100);
        QCOMPARE(f.wait_step, Integer(0));
        QCOMPARE(f.knoppause_en, Integer(0));
    }

    void timeOverAndTheQuotaInTheSameMomentCompletesTheLevel() {
        // Time over alone.
        {
            EngineRig rig;
            EngineForm &f = rig.f();
            lang_rus = kTrue;
            QVERIFY(rig.start_game());
            f.time_left = 2;
            QVERIFY(rig.run_until([&] { return rig.end_message_up(); }, 3000));
            QCOMPARE(f.end_code, Byte(2));
            QCOMPARE(f.time_left, Integer(0));
            QCOMPARE(f.Label_Time_Num->caption(), QStringLiteral("0"));
            QCOMPARE(f.msg_lines, QStringLiteral(" Время вышло! \r\n    Жмите Esc... "));
        }
        // The landing that reaches the quota wins although the time is over.
        {
            EngineRig rig;
            EngineForm &f = rig.f();
            QVERIFY(rig.start_game());
            f.score_values = {900, 800, 700, 600, 500, 400, 300, 200, 100, 50};
            fill_row(f, 19, {1});
            f.well(2, 18) = 3;
            QVERIFY(bring_in(rig, 0));
            f.lines = 49;
            f.time_left = 0;
            f.time_over = kTrue;
            bar_to_column_one_and_drop(rig);
            QVERIFY(rig.run_until([&] { return rig.end_message_up(); }, 1000));
            QCOMPARE(f.end_code, Byte(4));
            QCOMPARE(f.lines, Integer(50));
            QCOMPARE(f.Label_Bon_Num->caption(), QStringLiteral("0"));
            QCOMPARE(f.msg_lines, QStringLiteral("       Level \r\n    completed \r\n   Press Esc... "));
        }
    }

    void theCompletedLevelIsComparedWithTheTable_data() {
        QTest::addColumn<int>("best");
        QTest::addColumn<int>("tenth");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        // The final score is 1 (one row) + the bonus of 60 s left, 140.
        const QString completed = QStringLiteral("       Level \r\n    completed \r\n   Press Esc... ");
        const QString top_ten =
            QStringLiteral(" Congratulate! \r\n    You are in\r\n    the top ten\r\n   Press Esc... ");
        const QString champion =
            QStringLiteral(" Congratulate! \r\n   You are the\r\n    champion!\r\n   Press Esc...  ");
        QTest::newRow("equal to the tenth") << 900 << 141 << 4 << completed;
        QTest::newRow("above the tenth") << 900 << 140 << 1 << top_ten;
        QTest::newRow("equal to the best") << 141 << 0 << 1 << top_ten;
        QTest::newRow("above the best") << 140 << 0 << 1 << champion;
    }
    void theCompletedLevelIsComparedWithTheTable() {
        QFETCH(int, best);
        QFETCH(int, tenth);
        QFETCH(int, code);
        QFETCH(QString, text);
        EngineRig rig;
        EngineForm &f = rig.f();
        QVERIFY(rig.start_game());
        f.score_values = {Integer(best), 130, 120, 110, 100, 90, 80, 70, 60, Integer(tenth)};
        fill_row(f, 19, {1});
        f.well(2, 18) = 3;
        QVERIFY(bring_in(rig, 0));
        f.lines = 49;
        f.time_left = 60;
        bar_to_column_one_and_drop(rig);
        QVERIFY(rig.run_until([&] { return rig.end_message_up(); }, 1000));
        QCOMPARE(f.score, Integer(141));
        QCOMPARE(f.Label_Score_Num->caption(), QStringLiteral("141"));
        QCOMPARE(f.Label_Bon_Num->caption(), QStringLiteral("140"));
        QCOMPARE(int(f.end_code), code);
        QCOMPARE(f.msg_lines, text);
    }

    // ---- the clock

    void speedUpsFollowTheLevelsPeriod_data() {
        QTest::addColumn<int>("level");
        QTest::newRow("level 1") << 0;
        QTest::newRow("level 15") << 14;
    }
    void speedUpsFollowTheLevelsPeriod() {
        QFETCH(int, level);
        EngineRig rig;
        EngineForm &f = rig.f();
        if (level == 14) {
            rig.key(plat::kVkSubtract); // Level- from 1 goes to 15
        }
        QVERIFY(rig.start_game());
        QCOMPARE(int(f.level), level);
        const int total = f.lvl_time[static_cast<std::size_t>(level)];
        const int period = f.lvl_speedup[static_cast<std::size_t>(level)];
        QCOMPARE(f.Label_Time_Num->caption(), QString::number(total));
        QCOMPARE(f.Play_Tmr_Vert->interval(), 300);
        QCOMPARE(f.Timer1->interval(), 1000);
        // Second by second, without the gravity in between.
        for (int s = 1; s <= total; ++s) {
            f.Timer1_Timer();
            QCOMPARE(int(f.time_left), total - s);
            QCOMPARE(f.Play_Tmr_Vert->interval(), 300 - 24 * (s / period));
            QCOMPARE(f.time_over, Integer(s == total ? -1 : 0));
            QVERIFY(f.Timer1->enabled());
        }
        QCOMPARE(f.Play_Tmr_Vert->interval(), level == 0 ? 180 : 60);
        QCOMPARE(f.Label_Time_Num->caption(), QStringLiteral("0"));
    }

    void aResetNearTheEndGivesBackTimeAndSpeedAndBlinks() {
        EngineRig rig;
        EngineForm &f = rig.f();
        QVERIFY(rig.start_game());
        for (int s = 0; s < 190; ++s) {
            f.Timer1_Timer();
        }
        QCOMPARE(f.Play_Tmr_Vert->interval(), 300 - 4 * 24);
        fill_row(f, 18, {4, 5});
        fill_row(f, 19, {4, 5});
        QVERIFY(bring_in(rig, 1));
        rig.key(plat::kVkSpace, 32);
        QVERIFY(rig.run_until([&] { return landed(f); }, 1000));
        QCOMPARE(f.lines, Integer(2));
        QCOMPARE(f.time_left, Integer(200));
        QCOMPARE(f.Label_Time_Num->caption(), QStringLiteral("200"));
        QCOMPARE(f.fall_interval, Integer(300));
        QCOMPARE(f.Play_Tmr_Vert->interval(), 300);
        QCOMPARE(f.speedup_secs, Integer(0));
        QCOMPARE(f.Label_Time->caption(), QStringLiteral("Reset"));

        // Red, hidden, shown, hidden, shown, then the time word again.
        const plat::Rgb red = plat::rgb(255, 0, 0);
        const plat::Rgb hidden = f.Label_Time->backColor();
        QCOMPARE(f.Label_Time->foreColor(), red);
        for (const plat::Rgb want : {hidden, red, hidden, red}) {
            f.Timer1_Timer();
            QCOMPARE(f.Label_Time->foreColor(), want);
            QCOMPARE(f.Label_Time->caption(), QStringLiteral("Reset"));
        }
        f.Timer1_Timer();
        QCOMPARE(f.Label_Time->foreColor(), plat::windowTextColor());
        QCOMPARE(f.Label_Time->caption(), QStringLiteral("Time"));
        QCOMPARE(f.reset_blink, Integer(0));
        f.Timer1_Timer();
        QCOMPARE(f.Label_Time->foreColor(), plat::windowTextColor());
    }

    void theQuotaWithAResetTakesTheBonusFromTheFullTime() {
        EngineRig rig;
        EngineForm &f = rig.f();
        QVERIFY(rig.start_game());
        f.score_values = {900, 800, 700, 600, 500, 400, 300, 200, 100, 50};
        fill_row(f, 18, {4, 5});
        fill_row(f, 19, {4, 5});
        QVERIFY(bring_in(rig, 1));
        f.lines = 48;
        f.time_left = 5;
        rig.key(plat::kVkSpace, 32);
        QVERIFY(rig.run_until([&] { return rig.end_message_up(); }, 1000));
        // 200 s left after the Reset: k = 5, bonus 200 + 40 * 5.
        QCOMPARE(f.Label_Bon_Num->caption(), QStringLiteral("400"));
        QCOMPARE(f.score, Integer(3 + 400));
        QCOMPARE(f.Label_Time->caption(), QStringLiteral("Time"));
        QCOMPARE(f.Label_Time->foreColor(), plat::windowTextColor());
        QCOMPARE(f.end_code, Byte(1));
    }

    void timeBonusRoundsHalvesToEvenAndCapsTheScore() {
        EngineRig rig;
        EngineForm &f = rig.f();
        struct Case {
            int level, left, score, bonus, total;
        };
        const Case cases[] = {
            {0, 100, 0, 180, 180},      // 2.5 -> 2
            {0, 20, 0, 20, 20},         // 0.5 -> 0
            {0, 60, 0, 140, 140},       // 1.5 -> 2
            {0, 0, 0, 0, 0},            //
            {0, 750, 9000, 1510, 9999}, // 18.75 -> 19
            {14, 3500, 5000, 7000, 9999},
            {14, 525, 100, 1225, 1325}, // 1.5 -> 2
        };
        for (const Case &c : cases) {
            f.level = static_cast<Integer>(c.level);
            f.time_left = static_cast<Integer>(c.left);
            f.score = static_cast<Integer>(c.score);
            QCOMPARE(int(f.add_time_bonus()), c.bonus);
            QCOMPARE(int(f.score), c.total);
        }
    }

    void theLevelLabelNamesLevelQuotaAndTime() {
        EngineRig rig;
        EngineForm &f = rig.f();
        QCOMPARE(f.level_caption(), QStringLiteral("Level 1\r\n50x200"));
        QCOMPARE(f.Label_Lev->caption(), QStringLiteral("Level 1\r\n50x200"));
        rig.key(plat::kVkAdd);
        QCOMPARE(f.Label_Lev->caption(), QStringLiteral("Level 2\r\n100x400"));
        lang_rus = kTrue;
        QCOMPARE(f.level_caption(), QStringLiteral("Уровень 2\r\n100x400"));
    }

    // ---- keys and the drop

    void aKeyDuringADropMovesTheFigureBetweenTwoRows() {
        EngineRig rig;
        EngineForm &f = rig.f();
        QVERIFY(rig.start_game());
        QVERIFY(bring_in(rig, 0)); // rows 1..4, column 4
        QCOMPARE(f.lowest_row(), 4);
        rig.key(plat::kVkSpace, 32);
        int row_at_key = -1;
        const int first = rig.svc.pumpCount() + 1;
        rig.svc.onPump = [&](int n) {
            if (n == first + 5) {
                rig.svc.post([&] {
                    row_at_key = f.lowest_row();
                    rig.key(plat::kVkLeft);
                });
            }
        };
        QVERIFY(rig.run_until([&] { return landed(f); }, 1000));
        rig.svc.onPump = nullptr;
        QCOMPARE(row_at_key, 4 + 5); // five rows fell before the key
        QCOMPARE(f.leftmost_column(), 3);
        QCOMPARE(f.lowest_row(), 19);
        QCOMPARE(f.well(3, 19), Integer(1));
        QCOMPARE(f.well(4, 19), Integer(0));
    }

    void theCountdownRunsInsideADropAndEndsTheGame() {
        EngineRig rig;
        EngineForm &f = rig.f();
        QVERIFY(rig.start_game());
        QVERIFY(bring_in(rig, 0));
        f.time_left = 1;
        rig.key(plat::kVkSpace, 32);
        rig.svc.setPumpCost(50); // sixteen pumps of 50 ms: the countdown comes due once on the way
        QVERIFY(rig.run_until([&] { return !f.Play_Tmr_Vert->enabled(); }, 1000));
        rig.svc.setPumpCost(0);
        QCOMPARE(f.time_left, Integer(0));
        QCOMPARE(f.lowest_row(), 19);
        QVERIFY(rig.end_message_up());
        QCOMPARE(f.end_code, Byte(2));
    }

    void aCloseConfirmedDuringADropEndsTheRun() {
        EngineRig rig;
        EngineForm &f = rig.f();
        QVERIFY(rig.start_game());
        QVERIFY(bring_in(rig, 0));
        rig.key(plat::kVkSpace, 32);
        const int first = rig.svc.pumpCount() + 1;
        rig.svc.onPump = [&](int n) {
            if (n == first + 2) {
                rig.svc.post([&] { f.close(); });
            }
        };
        QVERIFY(rig.run_until([&] { return f.unloaded(); }, 1000));
        rig.svc.onPump = nullptr;
        QCOMPARE(f.quit_pending, Integer(-1));
        QCOMPARE(rig.svc.messages.size(), std::size_t(1));
        QCOMPARE(rig.svc.messages[0].text, QStringLiteral("Game not finished! Quit?"));
        // The step finished its drop and then stopped everything.
        QCOMPARE(f.lowest_row(), 19);
        QVERIFY(!f.Play_Tmr_Vert->enabled());
        QVERIFY(!f.Timer1->enabled());
        const auto well_after = f.well.cells;
        rig.svc.advance(5000);
        QCOMPARE(f.well.cells, well_after);
    }

    void spaceTwiceDropsOnce() {
        EngineRig rig;
        EngineForm &f = rig.f();
        QVERIFY(rig.start_game());
        QVERIFY(bring_in(rig, 0));
        rig.key(plat::kVkSpace, 32);
        rig.key(plat::kVkDown);
        QCOMPARE(f.drop_req, Integer(1));
        QVERIFY(rig.run_until([&] { return landed(f); }, 400));
        QCOMPARE(f.drop_req, Integer(0));
        QVERIFY(bring_in(rig, 0));
        QCOMPARE(f.lowest_row(), 4); // the next one falls one row only
        rig.svc.advance(300);
        QCOMPARE(f.lowest_row(), 5);
    }

    void keysRightAfterALandingAreLost() {
        EngineRig rig;
        EngineForm &f = rig.f();
        QVERIFY(rig.start_game());
        QVERIFY(bring_in(rig, 0));
        rig.key(plat::kVkSpace, 32);
        QVERIFY(rig.run_until([&] { return landed(f); }, 400));
        const auto fig_before = f.fig;
        const auto well_before = f.well.cells;
        for (const int k : {int(plat::kVkLeft), int(plat::kVkUp), int(plat::kVkSpace), int(plat::kVkF2),
                            int(plat::kVkF3), int(plat::kVkP), int(plat::kVkEscape), int(plat::kVkReturn)}) {
            rig.key(k);
        }
        QCOMPARE(f.fig, fig_before);
        QCOMPARE(f.well.cells, well_before);
        QCOMPARE(f.drop_req, Integer(0));
        QCOMPARE(f.next_on, Integer(0));
        QCOMPARE(f.sound_on, Integer(0));
        QCOMPARE(f.play_on, Integer(-1));
        QVERIFY(f.Picture1->hasKeyFocus());
        QVERIFY(f.Timer1->enabled());
    }

    void functionKeysDuringPlayAndTheGreyedButtonsKeys() {
        EngineRig rig;
        EngineForm &f = rig.f();
        QVERIFY(rig.start_game());
        QVERIFY(bring_in(rig, 1));
        rig.key(plat::kVkF2);
        QCOMPARE(f.next_on, Integer(-1));
        rig.key(plat::kVkF2);
        QCOMPARE(f.next_on, Integer(0));
        rig.key(plat::kVkF3);
        QCOMPARE(f.sound_on, Integer(-1));
        QCOMPARE(f.settings_changed, Integer(-1));
        // Start and the level buttons are greyed during a game.
        const auto well_before = f.well.cells;
        rig.key(plat::kVkReturn, 13);
        rig.key(plat::kVkAdd);
        rig.key(plat::kVkSubtract);
        QCOMPARE(f.level, Integer(0));
        QCOMPARE(f.well.cells, well_before);
        QVERIFY(!f.Stk_output->enabled());
        // The square turns in place and only counts its state.
        const auto cells = f.cells();
        rig.key(plat::kVkUp);
        QCOMPARE(f.fig[1], Integer(1));
        QCOMPARE(f.cells(), cells);
    }

    // After the load nothing runs: no game, every timer of the game off with
    // its first interval, the well array still empty (walls come with a
    // game), the preview blank and the time counter at "0" - and they stay
    // so while time passes.
    void theLoadLeavesTheWindowIdle() {
        EngineRig rig;
        EngineForm &f = rig.f();
        QCOMPARE(f.Play_Tmr_Vert->interval(), 300);
        QCOMPARE(f.Timer2->interval(), 200);
        QCOMPARE(f.cell_w, 16.0F);
        QCOMPARE(f.cell_h, 16.0F);
        QCOMPARE(f.face_color, static_cast<Long>(plat::buttonFaceColor()));
        for (int pass = 0; pass < 2; ++pass) {
            QCOMPARE(f.game_on, kFalse);
            QCOMPARE(f.play_on, Integer(0));
            QCOMPARE(f.need_fig, kFalse);
            QCOMPARE(f.intro_row, Integer(0));
            QCOMPARE(f.wait_step, Integer(7));
            QCOMPARE(f.name_entry_on, kFalse);
            QCOMPARE(f.settings_changed, kFalse);
            for (const plat::Timer *t : {f.Play_Tmr_Vert.get(), f.Timer1.get(), f.Stk_output.get(), f.Timer_Wait.get(),
                                         f.open_win.get(), f.Timer2.get()}) {
                QVERIFY(!t->enabled());
            }
            QVERIFY(std::all_of(f.well.cells.begin(), f.well.cells.end(), [](Integer v) { return v == 0; }));
            QCOMPARE(f.Label_Time_Num->caption(), QStringLiteral("0"));
            QCOMPARE(f.Next_fig_win->pixel(10, 10), plat::buttonFaceColor());
            rig.svc.advance(5000);
        }
    }

    void startingAGamePreparesCountersLabelsAndMenus() {
        EngineRig rig;
        EngineForm &f = rig.f();
        rig.svc.advance(250);
        rig.key(plat::kVkReturn, 13);
        QVERIFY(f.Stk_output->enabled());
        QCOMPARE(f.Stk_output->interval(), 50);
        QCOMPARE(f.game_on, Integer(0));
        QVERIFY(walls_intact(f));
        QCOMPARE(f.Label_ln_num->caption(), QStringLiteral("0"));
        QCOMPARE(f.Label_Bon_Num->caption(), QStringLiteral("?"));
        QCOMPARE(f.Label_Score_Num->caption(), QStringLiteral("0"));
        QCOMPARE(f.Label_Time_Num->caption(), QStringLiteral("200"));
        QVERIFY(!f.HLP->isEnabled());
        QVERIFY(!f.LNGTT->menuAction()->isEnabled());
        QCOMPARE(f.knopstart_en, Integer(0));
        QCOMPARE(f.knoppause_en, Integer(-1));
        QCOMPARE(f.interval_step, Integer(24));
        QVERIFY(f.next_fig >= 0 && f.next_fig <= 6);
        // Keys during the intro: the moves wait for the game to start.
        rig.key(plat::kVkEscape);
        QCOMPARE(f.play_on, Integer(-1));
        rig.svc.advance(19 * 50);
        QCOMPARE(f.game_on, Integer(0));
        QVERIFY(!f.Play_Tmr_Vert->enabled());
        rig.svc.advance(50);
        QCOMPARE(f.game_on, Integer(-1));
        QVERIFY(f.Play_Tmr_Vert->enabled());
        QCOMPARE(f.Play_Tmr_Vert->interval(), 300);
        QVERIFY(f.Timer1->enabled());
        QCOMPARE(f.need_fig, Integer(-1));
        const Integer first = f.next_fig;
        QVERIFY(rig.run_until([&] { return f.need_fig == kFalse; }, 400));
        QCOMPARE(f.fig[0], first);
    }
};

QTEST_MAIN(EngineTest)
#include "test_engine.moc"
