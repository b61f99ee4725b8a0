// Catches faults in what the play area and the message box show, and in what the box's keys do.
#include "support/rig.h"

class FormTest : public QObject {
    Q_OBJECT

    // Row y, a mark a cell: W wall . empty o falling # settled 1..7 explosion frames, blank black, ? other.
    static QString row(const Form &f, int y) {
        QString out;
        for (int x = 0; x < 10; ++x) {
            const QImage cell = f.Picture1->image().copy(16 * x, 16 * y, 16, 16);
            QChar m = (cell.pixel(0, 0) | cell.pixel(15, 15) | cell.pixel(8, 8)) == qRgb(0, 0, 0) ? ' ' : '?';
            static QList<QImage> pictures;
            for (int i = static_cast<int>(pictures.size()); i < 11; ++i) {
                pictures << plat::loadBitmap(101 + i);
            }
            for (int i = 0; i < 11; ++i) {
                m = cell == pictures[i] ? QChar("W.o#1234567"[i]) : m;
            }
            out += m;
        }
        return out;
    }
    // The rectangles a box was asked to repaint since the last look, "x,y wxh; ...", or their count and union.
    static QString repainted(plat::PictureBox *box, bool joined = false) {
        QStringList out;
        QRect all;
        const QVector<QRect> rects = box->takeInvalidated();
        for (const QRect &r : rects) {
            out << QString("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
            all |= r;
        }
        return joined ? words(rects.size(), "over", all.x(), all.y(), all.width(), all.height()) : out.join("; ");
    }

private Q_SLOTS:
    void theExplosionBurstsInSevenFramesThenTheTableComes() {
        // after an end message's Esc, or a Y to the exit question; the figure (or the one that could not enter) too
        for (const auto &[steps, keys, box] :
             {std::array<const char *, 3>{"overflow; until grown", "e", "shown W...#....W"},
              {"start; enter 0; row 0 ...#....", "ey", "hidden W...#....W"}}) {
            Rig rig(cfg_file("Yes"));
            QCOMPARE(rig.run(steps + QString("; row 19 ##..##.#")), QString());
            rig.f().redraw_well();
            const QString was = row(rig.f(), 0) + row(rig.f(), 19) + row(rig.f(), 20); // top row settled, bottom, floor
            rig.keys(keys);
            QCOMPARE(rig.show("msg_closed wait_step box") + " " + was, QString("-1 0 ") + box + "W##..##.#WWWWWWWWWWW");
            for (int frame = 1; frame <= 7; ++frame) {
                rig.wait(100);
                QCOMPARE(row(rig.f(), 19) + row(rig.f(), 20) + row(rig.f(), 0)[4] + row(rig.f(), 3)[4] + " " +
                             rig.show("box wait_step game_on"),
                         QString("W%1%1..%1%1.%1WWWWWWWWWWW%1%1 hidden %1 -1").arg(frame));
            }
            QVERIFY(rig.svc.recording_sound.played().back() == plat::loadCustom(109));
            rig.wait(100);
            QCOMPARE(rig.show("game_on wait menus faces"), QString("0 off on 020100"));
            QCOMPARE(pixels(rig.f().Picture1->image(), "80,300 1,100"), QString("0 9b32")); // black; table frame
        }
    }

    void repaintsRefreshTheFiguresRectangleOrTheWholeBox() {
        Rig rig; // once the intro is over it has drawn the whole well, before the first figure comes
        Form &f = rig.f();
        QVERIFY(rig.run("wait 250; keys r").isEmpty() && rig.until([&] { return f.game_on == kTrue; }, 2000));
        QCOMPARE(row(f, 0) + row(f, 19) + row(f, 20), QString("W........WW........WWWWWWWWWWW"));
        QCOMPARE(rig.run("enter 1"), QString());
        (void)f.Picture1->takeInvalidated();
        rig.keys(">");
        QCOMPARE(repainted(f.Picture1, true) + " " + row(f, 1), QString("6 over 64 16 48 32 W....oo..W"));
        QCOMPARE(rig.run("keys _; until landed; enter 6"), QString());
        (void)f.Picture1->takeInvalidated();
        rig.keys("^"); // turned in place: the union of both shapes
        QCOMPARE(repainted(f.Picture1, true), QString("9 over 64 16 48 48"));
        for (plat::PictureBox *box : {f.Next_fig_win, f.Picture1}) {
            (void)box->takeInvalidated();
            f.blank_box(box, plat::rgb(9, 9, 9));
        }
        QCOMPARE(repainted(f.Next_fig_win) + "|" + repainted(f.Picture1), QString("0,0 86x86|0,0 160x336"));
    }

    // Whatever a key or gravity did, each cell must show what the well holds (falling blocks are 100 and up).
    void theScreenFollowsEveryMoveTurnAndStep_data() {
        QTest::addColumn<int>("type");
        for (int type = 0; type < 7; ++type) {
            QTest::addRow("type %d", type) << type;
        }
    }
    void theScreenFollowsEveryMoveTurnAndStep() {
        QFETCH(int, type);
        Rig rig;
        Form &f = rig.f();
        QCOMPARE(rig.run(QString("start; enter %1").arg(type)), QString());
        for (const char k : std::string("<<<<^>>>>>>^<<<<<<^>>>>>>^v<<<_")) {
            const char key[2] = {k, 0};
            rig.keys(key);
            rig.wait(k == 'v' || k == '_' ? 300 : 0);
            for (int y = 0; y < 20; ++y) {
                QString want = "W";
                for (int x = 1; x <= 8; ++x) {
                    want += f.well(x, y) == 0 ? '.' : f.well(x, y) >= 100 ? 'o' : '#';
                }
                QCOMPARE(key + row(f, y), key + want + "W");
            }
        }
    }

    void theCupAndTheCrownAreMaskedOverThePlayArea() {
        Rig rig;
        Form &f = rig.f();
        const plat::Rgb blue = plat::rgb(0, 0, 255);
        f.Picture1->fillRect(0, 0, 160, 336, blue);
        (void)f.Picture1->takePendingRepaint();
        (void)f.Picture1->takeInvalidated();
        f.draw_trophy(41, 46, 1);
        f.draw_trophy(60, 26, 2);
        QCOMPARE(repainted(f.Picture1), QString("41,46 78x76; 60,26 40x18"));
        // The crown's row below its mask reaches the screen only with the next repaint of its place.
        const QRegion pending = f.Picture1->takePendingRepaint();
        QVERIFY(pending.contains(QPoint(80, 43)) && !pending.contains(QPoint(80, 44)));
        // inside the shapes the gold alone, around them what was there, and the crown's row below its mask ORed
        QCOMPARE(pixels(f.Picture1->image(), "80,76 42,47 61,27 40,46 0,0 80,36 80,44"),
                 QString("eec449 ff ff ff ff e5b636 d5a2ff"));
        for (const auto &[lang, y] : {std::pair{"Eng", 46}, {"Rus", 55}}) { // higher in English: a line more
            Rig champ(cfg_file("No", "No", "0", lang));
            QCOMPARE(champ.run("start; set lines 49; row 19 .#######; enter 0"), QString());
            (void)champ.f().Picture1->takeInvalidated();
            QCOMPARE(champ.run("keys <<<_; until ending"), QString());
            QCOMPARE(repainted(champ.f().Picture1).section("; ", -2),
                     QString("41,%1 78x76; 60,%2 40x18").arg(y).arg(y - 20));
        }
    }

    // what the box shows, the key, then: box gravity countdown input_locked msg_closed end_code play_on focus
    void theBoxKeysActOnWhateverItShows_data() {
        rows({{"P on the pause", "pause", "p", "hidden on/300 on 0 0 0 -1 play"},
              {"Esc on the pause", "pause", "e", "shown off/300 off -1 -1 0 -1 box"},
              {"Y on the pause", "pause", "y", "hidden off/300 off -1 -1 2 2 play"},
              {"N on the pause", "pause", "n", "hidden on/300 on -1 0 2 1 play"},
              {"P on the exit prompt", "exit", "p", "shown on/300 off 0 0 0 0 box"},
              {"Esc on the exit prompt", "exit", "e", "shown on/300 off 0 0 0 0 box"},
              {"Y on the exit prompt", "exit", "y", "hidden off/300 off 0 -1 2 2 play"},
              {"N on the exit prompt", "exit", "n", "hidden on/300 on 0 0 2 1 play"},
              {"P on an end message", "end", "p", "shown off/300 off 0 0 3 -1 box"},
              {"Esc on an end message", "end", "e", "shown off/300 off 0 -1 3 -1 box"},
              {"Y on an end message", "end", "y", "hidden off/300 off 0 -1 2 2 play"},
              {"N on an end message", "end", "n", "hidden on/300 on 0 0 2 1 play"},
              // reading "Esc on a pause box": it is no answer to a later exit question
              {"Esc on the pause, P, Esc", "pause", "e; wait 250; keys p; wait 250; keys e; wait 500",
               "shown on/300 off 0 0 0 0 box"}});
    }
    void theBoxKeysActOnWhateverItShows() {
        QFETCH(QStringList, row);
        const QString steps = row[0] == "end" ? "overflow" : "start; enter 0; keys " + row[0].left(1);
        Rig rig;
        QCOMPARE(rig.run(steps + "; wait 250; keys " + row[1]), QString()); // past the Pause press
        QCOMPARE(rig.show("box gravity countdown input_locked msg_closed end_code play_on focus"), row[2]);
    }
};

QTEST_MAIN(FormTest)
#include "test_screen.moc"
