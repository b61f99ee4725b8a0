// Catches faults beside and over the well; expected pictures come from the assets and fonts, not the window.
#include "support/rig.h"

#include <QPainter>

namespace {

// The top-left corners of each figure type's four cells in the preview.
const std::array<const char *, 7> kPlaces = {
    "33,8 33,24 33,40 33,56",  "25,25 41,25 25,41 41,41", "25,17 25,33 25,49 41,17", "41,17 41,33 41,49 25,17",
    "25,17 25,33 41,33 41,49", "41,17 41,33 25,33 25,49", "33,17 33,33 33,49 49,33"};

// The preview's inner 82 x 82 pixels, with the settled block on each cell of the type (none for -1).
QImage preview(int type, QImage::Format format) {
    QImage img(82, 82, format);
    img.fill(QColor(0xef, 0xef, 0xef));
    QPainter p(&img);
    for (const QString &c :
         type >= 0 ? QString(kPlaces.at(static_cast<std::size_t>(type))).split(' ') : QStringList()) {
        p.drawImage(c.section(',', 0, 0).toInt(), c.section(',', 1, 1).toInt(), plat::loadBitmap(104));
    }
    return img;
}

// Text as a picture box prints it: the named face without smoothing or kerning, its top at (x, y), lines after a
// CR LF at the left edge.
QImage printed(QImage img, const QString &family, int points, const QColor &ink, int x, qreal y, const QString &text) {
    QFont font(family);
    font.setPointSize(points);
    font.setBold(true);
    font.setKerning(false);
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setStyleStrategy(QFont::NoAntialias);
    QPainter p(&img);
    p.setFont(font);
    p.setPen(ink);
    const QFontMetricsF fm(font, &img);
    for (const QString &line : text.split("\r\n")) {
        p.drawText(QPointF(std::exchange(x, 0), y + fm.ascent()), line);
        y += fm.height();
    }
    return img;
}

} // namespace

class FormTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // config's Next, steps, whether the next figure is then shown (the falling one is of type 2)
    void thePreviewShowsTheNextFigureOnlyWhenOnAndInAGame_data() {
        rows({{"on, in play", "Yes", "start; enter 2", "shown"},
              {"off, in play", "No", "start; enter 2", "blank"},
              {"F2 on in play", "No", "start; enter 2; keys 2", "shown"},
              {"F2 off in play", "Yes", "start; enter 2; keys 2", "blank"},
              {"F2 off and on in play", "Yes", "start; enter 2; keys 22", "shown"},
              {"F2 on while idle", "No", "keys 2", "blank"},
              {"F2 on in the intro", "No", "wait 250; keys r; wait 500; keys 2", "blank"},
              {"F2 on while idle, then a game", "No", "keys 2; start; enter 2", "shown"},
              {"F2 off while idle, then a game", "Yes", "keys 2; start; enter 2", "blank"},
              {"the game over", "Yes", "overflow; until grown; keys e; wait 1000", "blank"}});
    }
    void thePreviewShowsTheNextFigureOnlyWhenOnAndInAGame() {
        QFETCH(QStringList, row);
        Rig rig(cfg_file("No", qPrintable(row[0])));
        QCOMPARE(rig.run(row[1]), QString());
        const Form &f = rig.f();
        QVERIFY(f.game_on == kFalse || f.next_fig != 2); // the falling figure and the next one look different
        const QImage drawn = f.Next_fig_win->image();
        QVERIFY(drawn == preview(row[2] == "shown" ? f.next_fig : -1, drawn.format()));
    }

    void thePreviewPlacesEachTypeAboutItsCentre() {
        for (int type = 0; type < 8; ++type) { // 7 is no type: nothing; each cell repaints the whole box
            Rig rig;
            Form &f = rig.f();
            (void)f.Next_fig_win->takeInvalidated();
            f.draw_next_figure(static_cast<Integer>(type));
            const QImage drawn = f.Next_fig_win->image();
            QVERIFY2(drawn == preview(type < 7 ? type : -1, drawn.format()), qPrintable(QString::number(type)));
            QCOMPARE(f.Next_fig_win->takeInvalidated(), QVector<QRect>(type < 7 ? 4 : 0, QRect(0, 0, 86, 86)));
        }
        // The sunken frame: grey and dark lines above and left, light ones below and right, white outermost.
        QCOMPARE(pixels(Rig().f().Next_fig_win->grab().toImage(),
                        "0,0 84,0 85,0 0,84 0,85 1,1 83,1 84,1 1,83 1,84 84,84 84,85"),
                 QString("808080 808080 ffffff 808080 ffffff 404040 404040 dfdfdf 404040 dfdfdf dfdfdf ffffff"));
    }

    // steps, language, place and size once whole, after how many 20 ms ticks, back and text colour, where the text
    // starts, the text (an end message's as the game holds it): a raised box just around it, centred over the well
    void theMessagesOverThePlayArea_data() {
        const QString time = "start; enter 1; set time_left 1; until ending 1400", full = "overflow";
        const QString top = "set best 500; set tenth 1; quota", done = "set best 9999; set tenth 9999; quota";
        rows({{"pause, English", "start; enter 0; keys p", "Eng", "46,159 68x18 0", "c8c8", "#000000", "2,0",
               " Pause... "},
              {"pause, Russian", "start; enter 0; keys p", "Rus", "47,159 67x18 0", "c8c8", "#000000", "2,0",
               " Пауза... "},
              {"exit, English", "start; enter 0; keys e", "Eng", "37,159 87x18 0", "c8c8", "#000000", "2,0",
               " Exit [Y/N]? "},
              {"exit, Russian", "start; enter 0; keys e", "Rus", "24,159 113x18 0", "c8c8", "#000000", "2,0",
               " Выход [Y/N]? "},
              {"the top ten, English", top, "Eng", "21,128 119x80 19", "c8c8", "#000000", "4,4"},
              {"the champion, English", "quota", "Eng", "21,128 119x80 19", "c86450", "#fafa00", "4,4"},
              {"the champion, Russian", "quota", "Rus", "15,137 131x62 16", "c86450", "#fafa00", "4,4"},
              {"level completed, Russian", done, "Rus", "18,137 125x62 16", "c8c8", "#000000", "4,4"},
              {"the time over, English", time, "Eng", "24,146 112x44 14", "c8c8", "#000000", "4,4"},
              {"the time over, Russian", time, "Rus", "14,146 133x44 17", "c8c8", "#000000", "4,4"},
              {"the well full, English", full, "Eng", "26,146 109x44 14", "c8c8", "#000000", "4,4"},
              {"the well full, Russian", full, "Rus", "12,146 136x44 17", "c8c8", "#000000", "4,4"}});
    }
    void theMessagesOverThePlayArea() {
        QFETCH(QStringList, row);
        Rig rig(cfg_file("No", "No", "0", qPrintable(row[1])));
        QCOMPARE(rig.run(row[0]), QString());
        const plat::PictureBox &box = *rig.f().Picture2;
        QStringList frames; // an end message grows from 4 x 4 in the middle, 8 wider and 4 higher a tick
        int ticks = 0;
        for (; rig.f().open_win->enabled() && ticks < 100; ++ticks) {
            frames << places(Widgets{&box});
            rig.wait(20);
        }
        QCOMPARE(places(Widgets{&box}) + QString(" %1").arg(ticks), row[2]);
        QCOMPARE(frames.mid(0, 3).join("; "), ticks == 0 ? QString() : "78,166 4x4; 74,164 12x8; 70,162 20x12");
        QCOMPARE(rig.show("box focus"), QString("shown box"));
        const QImage img = box.image();
        const int w = img.width(), h = img.height(); // raised: light on the top and left two pixels, dark opposite
        QCOMPARE(pixels(img, QString::asprintf("%d,0 %d,1 0,%d 1,%d %d,%d %d,%d %d,%d %d,%d %d,0 0,%d 2,2", w / 2,
                                               w / 2, h / 2, h / 2, w - 1, h / 2, w - 2, h / 2, w / 2, h - 1, w / 2,
                                               h - 2, w - 1, h - 1)),
                 "c0c0c0 c0c0c0 c0c0c0 c0c0c0 808080 808080 808080 808080 808080 808080 " + row[3]);
        const QRect inside(2, 2, w - 4, h - 4); // within the 3-pixel edges
        QImage want(img.size(), img.format());
        want.fill(QColor(QRgb(row[3].toUInt(nullptr, 16))));
        const int x = row[5].section(',', 0, 0).toInt(), y = row[5].section(',', 1).toInt();
        QVERIFY(
            img.copy(inside) ==
            printed(want, "Liberation Sans", 12, QColor(row[4]), x, y, row.value(6, rig.f().msg_lines)).copy(inside));
    }

    // language, the two column titles, in yellow either side of the column rule at x = 95; below the rule under
    // them the ten places, a row every 29 pixels, the best in red and the others (empty here) in blue
    void theScoreTableText_data() { rows({{"English", "Eng", "Name", "Score"}, {"Russian", "Rus", "Имя", "Счёт"}}); }
    void theScoreTableText() {
        QFETCH(QStringList, row);
        Rig rig(cfg_file("No", "No", "0", qPrintable(row[0])),
                bytes("###ZWEBSCO###\0Ann\0\5\0\0\n") + bytes("\0\0\n").repeated(9));
        QImage want(160, 336, QImage::Format_RGB32);
        want.fill(Qt::black);
        want = printed(want, "Liberation Mono", 13, QColor(210, 210, 0), 10, 3, row[1]);
        want = printed(want, "Liberation Mono", 13, QColor(210, 210, 0), 103, 3, row[2]);
        for (int i = 0; i < 10; ++i) {
            const QColor ink = i == 0 ? QColor(255, 0, 0) : QColor(0, 100, 255);
            want = printed(printed(want, "Liberation Mono", 13, ink, 10, 30 + 29 * i, i == 0 ? "Ann" : "........"),
                           "Liberation Mono", 13, ink, 95, 30 + 29 * i, i == 0 ? " 500" : " 0");
        }
        const QImage img = rig.f().Picture1->image().convertToFormat(QImage::Format_RGB32);
        for (const QRect &r :
             {QRect(2, 3, 91, 18), QRect(97, 3, 61, 18), QRect(2, 27, 91, 306), QRect(97, 27, 61, 306)}) {
            QVERIFY(img.copy(r) == want.copy(r)); // between the frame and the rules
        }
    }

    // level, the second of each change of the gravity interval in the first 200 s and the new interval
    void theSpeedUpsOfTheFirst200Seconds_data() {
        rows({{"level 1", "0", "40:276 80:252 120:228 160:204 200:180"},
              {"level 2", "1", "80:276 160:252"},
              {"level 5", "4", "200:276"},
              {"level 9", "8", ""}});
    }
    void theSpeedUpsOfTheFirst200Seconds() {
        QFETCH(QStringList, row);
        Rig rig(cfg_file("No", "No", qPrintable(row[0])));
        QVERIFY(rig.start());
        QStringList seen;
        for (int second = 1, before = 300; second <= 200; ++second) {
            rig.f().Timer1_Timer();
            const int now = rig.f().Play_Tmr_Vert->interval();
            seen << (now != before ? QString("%1:%2").arg(second).arg(now) : QString());
            before = now;
        }
        QCOMPARE(seen.join(' ').simplified(), row[1]);
    }

    // steps, then lines, bonus, score and time as the ending leaves them once the table is back
    void theNumbersAfterEachEnding_data() {
        rows({{"the well full", "overflow; keys e", "0/?/0/200"},
              {"the time over", "start; enter 1; set time_left 1; until ending 1400; keys e", "0/?/0/0"},
              {"the quota",
               "start; set lines 49; row 19 .#######; row 18 ..######; enter 0; set time_left 101; wait 1000; "
               "set tenth 900; keys <<<_; until ending; keys e",
               "50/180/181/100"},
              {"the exit prompt", "start; enter 1; wait 2000; keys e; keys y", "0/?/0/198"}});
    }
    void theNumbersAfterEachEnding() {
        QFETCH(QStringList, row);
        Rig rig;
        QCOMPARE(rig.run(row[0] + "; wait 1000"), QString());
        QCOMPARE(rig.show("game_on labels"), "0 " + row[1]);
    }

    // language, title: the name box's place, frame, title band and title, and the empty field
    void theNameBox_data() { rows({{"English", "Eng", "Your Name"}, {"Russian", "Rus", "Ваше Имя"}}); }
    void theNameBox() {
        QFETCH(QStringList, row);
        Rig rig(cfg_file("No", "No", "0", qPrintable(row[0])));
        rig.f().show_scores(500, 1);
        QCOMPARE(rig.show("box focus"), QString("shown box"));
        const plat::PictureBox &box = *rig.f().Picture2;
        QCOMPARE(places(Widgets{&box}), QString("5,140 150x56"));
        const QImage img = box.image();
        // the frame two pixels wide along each side, the title's band, the field's light edge and dark outline
        QCOMPARE(pixels(img, "5,0 5,1 145,0 145,1 0,5 1,5 0,50 1,50 148,25 149,25 148,50 149,50 5,54 5,55 145,54 "
                             "145,55 149,10 148,10 2,10 2,2 145,10 3,19 30,20 30,47 2,30 140,30 11,28 139,46 30,37"),
                 QString("b4b400 ").repeated(17) + "96 96 96 96 96 c8c8c8 c8c8c8 c8c8c8 c8c8c8 646464 646464 646464");
        QImage band(img.size(), img.format());
        band.fill(QColor(0, 0, 150));
        const qreal title = QFontMetricsF(QFont("Liberation Sans", 12, QFont::Bold)).horizontalAdvance(row[1]);
        const QRect inside(4, 2, 142, 16);
        band = printed(band, "Liberation Sans", 12, QColor(200, 200, 0), qRound(75 - title / 2), 1, row[1]);
        QVERIFY(img.copy(inside) == band.copy(inside));
    }
};

QTEST_MAIN(FormTest)
#include "test_view.moc"
