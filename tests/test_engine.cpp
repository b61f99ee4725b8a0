// Catches faults of the game engine: figures, moves, rows, points, endings, levels, countdown, Reset and keys.
#include "support/rig.h"

class FormTest : public QObject {
    Q_OBJECT

    // A figure of type t in turn state s on the cells "x,y x,y x,y x,y" of an empty well, with cell value v.
    static void put(Rig &rig, int t, int s, const QString &cells, int v) {
        Form &f = rig.f();
        f.clear_well();
        f.fig[0] = static_cast<Integer>(t);
        f.fig[1] = static_cast<Integer>(s);
        const QStringList xy = QString(cells).replace(',', ' ').split(' ');
        for (std::size_t i = 0; i < 4; ++i) {
            f.fig[4 + i] = static_cast<Integer>(xy[qsizetype(2 * i)].toInt());
            f.fig[8 + i] = static_cast<Integer>(xy[qsizetype(2 * i + 1)].toInt());
            f.well(f.fig[4 + i], f.fig[8 + i]) = static_cast<Integer>(v);
        }
    }
    // The figure's four cells of v, the 50 wall and floor cells of 9, and no trail anywhere else.
    static bool onlyFigure(const Form &f, int v) {
        const auto &c = f.well.cells;
        return std::count(c.begin(), c.end(), v) == 4 && std::count(c.begin(), c.end(), 9) == 50 &&
               std::count(c.begin(), c.end(), 0) == 156;
    }
    static int clip(Rig &rig) {
        const auto p = rig.svc.recording_sound.played();
        for (int id = 101; id <= 111 && !p.empty(); ++id) {
            if (p.back() == plat::loadCustom(id)) {
                return id;
            }
        }
        return 0;
    }

private Q_SLOTS:
    void everyTypeEntersAndTurnsThroughItsFourStates() {
        const char *states[7][4] = {{"4,0 4,1 4,2 4,3", "2,2 3,2 4,2 5,2", "4,4 4,3 4,2 4,1", "6,2 5,2 4,2 3,2"},
                                    {"4,0 5,0 4,1 5,1", "4,0 5,0 4,1 5,1", "4,0 5,0 4,1 5,1", "4,0 5,0 4,1 5,1"},
                                    {"5,0 4,0 4,1 4,2", "3,0 3,1 4,1 5,1", "3,2 4,2 4,1 4,0", "5,2 5,1 4,1 3,1"},
                                    {"4,0 5,0 5,1 5,2", "4,2 4,1 5,1 6,1", "6,2 5,2 5,1 5,0", "6,0 6,1 5,1 4,1"},
                                    {"4,0 4,1 5,1 5,2", "3,1 4,1 4,0 5,0", "4,2 4,1 3,1 3,0", "5,1 4,1 4,2 3,2"},
                                    {"5,0 5,1 4,1 4,2", "4,1 5,1 5,2 6,2", "5,2 5,1 6,1 6,0", "6,1 5,1 5,0 4,0"},
                                    {"4,1 5,1 6,1 5,2", "5,2 5,1 5,0 6,1", "6,1 5,1 4,1 5,0", "5,0 5,1 5,2 4,1"}};
        Rig rig;
        Form &f = rig.f();
        for (int type = 0; type < 7; ++type) {
            f.clear_well();
            Integer status = 9;
            f.spawn_figure(static_cast<Integer>(type), status);
            QVERIFY(status == 0 && f.fig[0] == type);
            for (int turn = 0; turn <= 4; ++turn) { // four turns give back the start
                QCOMPARE(rig.cells() + QString(" %1").arg(f.fig[1]),
                         QString("%1 %2").arg(states[type][turn % 4]).arg(turn % 4));
                QVERIFY(onlyFigure(f, type + 101));
                f.rotate();
            }
        }
    }

    void turnsAtTheEdgesOfTheField_data() {
        // type, state, cells, a settled block's column on row 0 (or none), the cells after the turn (or none: refused)
        rows({{"I at the left wall", "0", "0", "3,0 3,1 3,2 3,3", "", "1,2 2,2 3,2 4,2"},
              {"I too near the left wall", "0", "0", "1,0 1,1 1,2 1,3", "", ""},
              {"I at the right wall", "0", "2", "6,4 6,3 6,2 6,1", "", "8,2 7,2 6,2 5,2"},
              {"I too near the right wall", "0", "2", "7,4 7,3 7,2 7,1", "", ""},
              {"I at the floor", "0", "1", "2,17 3,17 4,17 5,17", "", "4,19 4,18 4,17 4,16"},
              {"I too near the floor", "0", "1", "2,18 3,18 4,18 5,18", "", ""},
              {"I at the top", "0", "3", "6,2 5,2 4,2 3,2", "", "4,0 4,1 4,2 4,3"},
              {"I too near the top", "0", "3", "6,1 5,1 4,1 3,1", "", ""},
              {"T under a block", "6", "0", "4,1 5,1 6,1 5,2", "5", ""},
              {"T beside a block", "6", "0", "4,1 5,1 6,1 5,2", "4", "5,2 5,1 5,0 6,1"}});
    }
    void turnsAtTheEdgesOfTheField() {
        QFETCH(QStringList, row);
        const int t = row[0].toInt(), s = row[1].toInt();
        const QString &before = row[2], &blocker = row[3], &after = row[4];
        for (const int v : {t + 101, t + 1}) { // falling, and right after entering (still settled values)
            Rig rig;
            Form &f = rig.f();
            put(rig, t, s, before, v);
            if (!blocker.isEmpty()) {
                f.well(blocker.toInt(), 0) = 1;
            }
            const auto well = f.well.cells;
            f.rotate();
            QCOMPARE(rig.cells() + QString(" %1").arg(f.fig[1]),
                     QString("%1 %2").arg(after.isEmpty() ? before : after).arg(after.isEmpty() ? s : (s + 1) % 4));
            if (after.isEmpty() && blocker.isEmpty()) {
                QVERIFY(f.well.cells == well); // refused by the bounds: every cell keeps what it held
            } else {
                for (std::size_t i = 0; i < 4; ++i) {
                    QCOMPARE(f.well(f.fig[4 + i], f.fig[8 + i]), Integer(t + 101));
                }
            }
        }
    }

    void movesStopAtWallsBlocksAndTheFloor() {
        Rig rig;
        Form &f = rig.f();
        Integer blocked = 9;
        const auto move = [&](int how) { // 0..2 sideways in that direction, 3 down, 4 dropped
            Integer mode = static_cast<Integer>(how - 3);
            how < 3 ? f.move_sideways(static_cast<Integer>(how), blocked) : f.move_down(mode, blocked);
            return rig.cells() + QString(" %1").arg(blocked);
        };
        put(rig, 1, 0, "4,0 5,0 4,1 5,1", 102);
        QCOMPARE(move(1), QString("5,0 6,0 5,1 6,1 0"));
        QCOMPARE(move(0), QString("4,0 5,0 4,1 5,1 0"));
        f.well(3, 1) = 5;
        QCOMPARE(move(0), QString("4,0 5,0 4,1 5,1 -1"));
        QVERIFY(f.well(4, 1) == 102 && f.well(3, 1) == 5 && f.well(3, 0) == 0);
        put(rig, 0, 0, "1,0 1,1 1,2 1,3", 101);
        QCOMPARE(move(0), QString("1,0 1,1 1,2 1,3 -1"));
        put(rig, 0, 0, "8,0 8,1 8,2 8,3", 101);
        QCOMPARE(move(1), QString("8,0 8,1 8,2 8,3 -1"));
        QCOMPARE(move(3), QString("8,1 8,2 8,3 8,4 0"));
        QCOMPARE(move(4), QString("8,16 8,17 8,18 8,19 -1"));
        QCOMPARE(move(3), QString("8,16 8,17 8,18 8,19 -1"));
        QVERIFY(onlyFigure(f, 101));

        f.clear_well(); // a figure that cannot enter writes its free cells and records all four
        f.well(4, 1) = 3;
        f.spawn_figure(0, blocked);
        QCOMPARE(rig.cells() + QString(" %1").arg(blocked), QString("4,0 4,1 4,2 4,3 3"));
        QVERIFY(f.well(4, 0) == 101 && f.well(4, 1) == 3 && f.well(4, 2) == 101 && f.well(4, 3) == 101);
    }

    void randomTypesAreEvenAndFollowTheClock() {
        const auto run = [](int second, int n) {
            Rig rig(cfg_file(), scores::defaultFile(), false);
            rig.svc.setSecondsSinceMidnight(second);
            rig.reload();
            QString types;
            for (Integer t = 0; n-- > 0; types += QString::number(t)) {
                rig.f().random_int(0, 6, t);
            }
            return types;
        };
        const QString many = run(100, 7000);
        for (const QChar t : QString("0123456")) {
            QVERIFY2(many.count(t) > 850 && many.count(t) < 1150, qPrintable(QString::number(many.count(t))));
        }
        QVERIFY(run(4000, 20) == run(4000, 20) && run(4000, 20) != run(4001, 20)); // started from the second of the day
    }

    void landingsCountRowsPointsAndClips_data() {
        rows({{"no row", "0", "7 20 50 x/?/x/200 101"},
              {"one row", "1", "8 21 50 8/?/21/200 102"},
              {"two rows", "2", "9 23 50 9/?/23/200 103"},
              {"three rows", "3", "10 26 50 10/?/26/200 104"},
              {"four rows", "4", "11 32 50 11/?/32/200 105"}});
    }
    void landingsCountRowsPointsAndClips() {
        QFETCH(QStringList, row);
        Rig rig(cfg_file("Yes"));
        Form &f = rig.f();
        QCOMPARE(rig.run("start; set lines 7; set score 20; set time_left 50; row 19 #......."), QString()); // no Reset
        const int n = row[0].toInt();
        f.Label_ln_num->setCaption("x");
        f.Label_Score_Num->setCaption("x");
        for (int y = 18; y > 18 - n; --y) {
            rig.row(y, ".#######");
        }
        QCOMPARE(rig.run("row 0 ......#.; row 1 .......#; land 0 <<<_"), QString()); // the top rows come down too
        QCOMPARE(rig.show("lines score time_left labels") + QString(" %1").arg(clip(rig)), row[1]);
        QVERIFY(f.well(7, n) == 1 && f.well(8, n + 1) == 1 && f.well(7, 0) + f.well(8, 1) == (n == 0 ? 2 : 0));
        QCOMPARE(rig.run("set next_fig 1; wait 300"), QString()); // the next tick brings the next, one row down
        QCOMPARE(rig.cells() + " " + rig.show("input_locked"), QString("4,1 5,1 4,2 5,2 0"));
    }

    // The three endings: their message in each language, clip, end code, timers, the Pause button, the focus.
    void theEndingsOfAGame_data() {
        const QString champion = " Congratulate! \r\n   You are the\r\n    champion!\r\n   Press Esc...  ";
        const QString top = " Congratulate! \r\n    You are in\r\n    the top ten\r\n   Press Esc... ";
        const QString done = "       Level \r\n    completed \r\n   Press Esc... ";
        const QString rchampion = " Поздравляем! \r\n    Вы чемпион! \r\n    Жмите Esc... ";
        const QString rtop = " Поздравляем! \r\n   Вы в десятке\r\n    сильнейших\r\n    Жмите Esc... ";
        const QString rdone = "     Уровень\r\n      пройдён\r\n    Жмите Esc... ";
        const QString quota = "start; set lines 49; row 19 .#######; row 18 ..######; enter 0; set time_left 100; ";
        // steps; the English and the Russian message; score, end code, clip, bonus (with 100 s left it is 180)
        rows({{"overflow", "overflow", " You are fail! \r\n  Press Esc... ", " Вы проиграли! \r\n    Жмите Esc... ",
               "0 3 108 ?"},
              {"time over", "start; enter 1; set time_left 1; until ending 1400", " Time is over! \r\n  Press Esc... ",
               " Время вышло! \r\n    Жмите Esc... ", "0 2 106 ?"},
              {"champion", quota + "set best 180; keys <<<_; until ending", champion, rchampion, "181 1 110 180"},
              {"top ten", quota + "set best 181; keys <<<_; until ending", top, rtop, "181 1 107 180"},
              {"level done", quota + "set best 900; set tenth 181; keys <<<_; until ending", done, rdone,
               "181 4 111 180"},
              {"level done at the top score (9819 + 1 + 180 = 10000)",
               quota + "set score 9819; set best 9999; set tenth 9999; keys <<<_; until ending", done, rdone,
               "9999 4 111 180"},
              // the countdown has just reached 0: the quota wins, and with no time left there is no bonus
              {"quota as the time ends", quota + "set time_left 0; set time_over -1; keys <<<_; until ending", champion,
               rchampion, "1 1 110 0"},
              // the last row also empties the well: Reset first, then the bonus of the full 200 s (k = 5: 400)
              {"quota with a Reset",
               "start; set lines 49; set best 9000; set tenth 9000; row 19 ####....; enter 0; set time_left 30; "
               "keys ^>>>_; until ending",
               done, rdone, "401 4 111 400"}});
    }
    void theEndingsOfAGame() {
        QFETCH(QStringList, row);
        for (const bool rus : {false, true}) {
            Rig rig(cfg_file("Yes", "No", "0", rus ? "Rus" : "Eng"));
            QCOMPARE(rig.run(row[0]), QString());
            QCOMPARE(rig.f().msg_lines, row[rus ? 2 : 1]);
            QCOMPARE(rig.show("score end_code") + QString(" %1 ").arg(clip(rig)) + rig.f().Label_Bon_Num->caption(),
                     row[3]);
            const plat::Label &time = *rig.f().Label_Time; // a Reset's blinking ended
            QCOMPARE(rig.show("gravity countdown wait wait_step focus faces") + " " + time.caption() +
                         (time.foreColor() == plat::windowTextColor() ? "" : " in colour"),
                     QString("off/300 off on 0 box 220122 ") + (rus ? "Время" : "Time"));
        }
    }

    void theFifteenLevels() {
        // the level's caption, time, the gravity interval once the whole time has run down, the bonus at half time
        const std::array<const char *, 15> levels = {
            "Level 1\r\n50x200 200 180 180",      "Level 2\r\n100x400 400 180 360",
            "Level 3\r\n150x600 600 180 540",     "Level 4\r\n200x800 800 180 720",
            "Level 5\r\n250x1000 1000 180 900",   "Level 6\r\n300x1200 1200 180 1260",
            "Level 7\r\n350x1400 1400 180 1260",  "Level 8\r\n400x1600 1600 180 1440",
            "Level 9\r\n450x1800 1800 156 1800",  "Level 10\r\n500x2000 2000 108 2000",
            "Level 11\r\n550x2200 2200 108 2200", "Level 12\r\n700x2450 2450 60 2450",
            "Level 13\r\n800x2800 2800 60 2800",  "Level 14\r\n900x3150 3150 60 3150",
            "Level 15\r\n1000x3500 3500 60 3500"};
        Rig rig;
        Form &f = rig.f();
        for (const char *level : levels) {
            const QStringList w = QString(level).split(' ');
            QCOMPARE(f.Label_Lev->caption(), w[0] + " " + w[1]);
            f.start_game();
            const int time = w[2].toInt();
            QCOMPARE(rig.show("time_left labels"), QString("%1 0/?/0/%1").arg(time));
            f.time_left = static_cast<Integer>(time / 2);
            const Integer bonus = f.add_time_bonus();
            QCOMPARE(QString::number(bonus) + " " + rig.show("score"), w[4] + " " + w[4]);
            f.time_left = static_cast<Integer>(time);
            for (int s = 1; s <= time; ++s) {
                QCOMPARE(f.time_over, kFalse);
                f.Timer1_Timer();
            }
            QCOMPARE(rig.show("time_over fall_interval gravity labels"), QString("-1 %1 off/%1 0/?/0/0").arg(w[3]));
            f.level_up();
        }
        QCOMPARE(f.Label_Lev->caption(), QString("Level 1\r\n50x200"));
        f.level_down(); // below the first level comes the last
        QCOMPARE(f.Label_Lev->caption() + " " + rig.show("level"), QString("Level 15\r\n1000x3500 14"));
    }

    void aResetGivesBackTimeAndSpeedAndBlinks() {
        Rig rig;
        Form &f = rig.f();
        QCOMPARE(rig.run("start; row 19 ####....; enter 0; set time_left 7; set fall_interval 180; set lines 3; "
                         "set score 10; keys ^>>>_; until landed"),
                 QString());
        QCOMPARE(rig.show("time_left fall_interval gravity lines score labels"),
                 QString("200 300 on/300 4 11 4/?/11/200"));
        // One second each: Reset in red, hidden, shown, hidden, shown, then the time word in its own colour.
        QString blinks;
        for (int second = 0; second < 7; ++second, f.Timer1_Timer()) {
            const plat::Rgb c = f.Label_Time->foreColor();
            blinks += f.Label_Time->caption() + (c == plat::rgb(255, 0, 0)        ? "/red "
                                                 : c == f.Label_Time->backColor() ? "/hidden "
                                                 : c == plat::windowTextColor()   ? "/plain "
                                                                                  : "/? ");
        }
        QCOMPARE(blinks, QString("Reset/red Reset/hidden Reset/red Reset/hidden Reset/red Time/plain Time/plain "));
        QCOMPARE(int(f.speedup_secs), 7);
        Rig kept; // a block in the bottom row's last column only: no Reset (its first: the landings)
        QCOMPARE(kept.run("start; row 19 ....####; row 18 .......#; enter 0; set time_left 50; keys ^<_; until landed"),
                 QString());
        QCOMPARE(kept.f().Label_Time->caption() + " " + kept.show("lines time_left"), QString("Time 1 50"));
    }

    void eachKeyInEachPhase_data() {
        // the phase's steps; what each key of "< > ^ _ v p e r 2 3 + -" does there
        rows({{"intro", "wait 250", "- - - - - - - start next sound level level"},
              {"start delay", "wait 250; keys r; wait 300", "- - - - - - - - next sound - -"},
              {"falling", "start; enter 0", "move move turn drop drop pause exit - next sound - -"},
              {"landed", "start; land 0 _", "- - - - - - - - - - - -"},
              // after Esc on a pause box and the pause ended, the figure obeys as before
              {"after a pause", "start; enter 0; keys p; wait 250; keys e; wait 250; keys p",
               "move move turn drop drop pause exit - next sound - -"},
              // reading "the keys while a game ends": its message acknowledged, the blocks bursting
              {"ending", "overflow; until grown; keys e; wait 150", "- - - - - - - - next sound - -"}});
    }
    void eachKeyInEachPhase() {
        QFETCH(QStringList, row);
        const QStringList keys = QString("< > ^ _ v p e r 2 3 + -").split(' ');
        for (qsizetype k = 0; k < keys.size(); ++k) {
            Rig rig;
            Form &f = rig.f();
            QCOMPARE(rig.run(row[0]), QString());
            const QString cells = rig.cells(), before = rig.show("next_on sound_on level intro");
            const Integer state = f.fig[1];
            rig.keys(qPrintable(keys[k]));
            const QStringList was = before.split(' '), now = rig.show("next_on sound_on level intro").split(' ');
            QString seen = QString(rig.cells() != cells && f.fig[1] == state ? "move+" : "") +
                           (f.fig[1] != state ? "turn+" : "") + (f.drop_req == 1 ? "drop+" : "") +
                           (f.Picture2->shown() && f.play_on != 0 ? "pause+" : "") +
                           (f.Picture2->shown() && f.play_on == 0 ? "exit+" : "") + (now[3] != was[3] ? "start+" : "") +
                           (now[0] != was[0] ? "next+" : "") + (now[1] != was[1] ? "sound+" : "") +
                           (now[2] != was[2] ? "level+" : "");
            seen.chop(1);
            QCOMPARE(keys[k] + " " + (seen.isEmpty() ? "-" : seen), keys[k] + " " + row[1].section(' ', k, k));
        }
    }

    void eventsInsideADrop() {
        Rig rig; // a key that arrives between two rows of a drop moves the figure there
        QCOMPARE(rig.run("start; enter 0"), QString());
        rig.svc.onPump = [&](int) {
            if (rig.f().fig[8] == 8) {
                rig.svc.post([&] { rig.keys(">"); });
            }
        };
        QCOMPARE(rig.run("keys _; until landed"), QString());
        rig.svc.onPump = nullptr;
        QCOMPARE(rig.cells(), QString("5,16 5,17 5,18 5,19"));

        // In a single row's step a drop goes to the floor; reading "a pause inside a step": the gravity stays off.
        // Both after an N to the exit question, whose answer stays in play_on.
        for (const auto &[key, after] :
             {std::pair{"_", "4,16 4,17 4,18 4,19 -1 on/300"}, {"p", "4,2 4,3 4,4 4,5 0 off/300"}}) {
            Rig one;
            QCOMPARE(one.run("start; enter 0; keys en; wait 250"), QString());
            one.svc.onPump = [&](int) {
                one.svc.onPump = nullptr;
                one.svc.post([&] { one.keys(key); });
            };
            for (const int ms : {100, *key == 'p' ? 1000 : 0}) { // paused, it stays so
                one.wait(ms);
                QCOMPARE(one.cells() + " " + one.show("need_fig gravity"), QString(after));
            }
        }
        Rig reset; // the countdown reaching 0 inside a drop: the landing first (here a Reset), then time over
        QCOMPARE(reset.run("start; row 19 ####....; enter 0; keys ^>>>; set time_left 1; wait 690"), QString());
        reset.svc.setPumpCost(10);
        QCOMPARE(reset.run("keys _; until landed"), QString());
        QCOMPARE(reset.show("time_over time_left wait end_code") + reset.f().msg_lines.left(15),
                 QString("-1 200 on 2 Time is over! "));
    }

    void theLoadLeavesTheWindowIdleAndAGameStartsFromScratch() {
        Rig rig;
        Form &f = rig.f();
        rig.wait(5000); // and stays so
        QCOMPARE(rig.show("game_on wait_step name_entry_on gravity countdown intro wait grow cursor labels"),
                 QString("0 7 0 off/300 off off off off off ///0"));
        // Leftovers the soak's games do not check; it does check lines, score and the well.
        QCOMPARE(rig.run("keys r; set time_over -1; set msg_closed -1; set quit_pending -1; set input_locked -1"),
                 QString());
        f.reset_blink = 3;
        f.start_game();
        QCOMPARE(rig.show("intro time_over msg_closed quit_pending input_locked need_fig play_on fall_interval "
                          "time_left labels"),
                 QString("on 0 0 0 0 -1 -1 300 200 0/?/0/200"));
        QVERIFY(f.reset_blink == 0 && f.interval_step == 24);
        rig.script({{"", "menus focus faces", "off play 101122"},
                    {"wait 995", "game_on gravity countdown", "0 off/300 off"},
                    {"wait 5", "game_on gravity countdown", "-1 on/300 on"},
                    {"wait 299", "need_fig", "-1"},
                    {"wait 700", "need_fig labels", "0 0/?/0/200"}, // a second of the clock is 1000 ms
                    {"wait 1", "labels", "0/?/0/199"}});
    }
};

QTEST_MAIN(FormTest)
#include "test_engine.moc"
