// Catches faults of the shell: the settings file, the image buttons, the captions, closing, Help and the layout.
#include "support/rig.h"

#include "shell/about_dialogs.h"

#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QWindow>

namespace {

const QString kIncorrect = "48 Configuration file is incorrect! Create default configuration.";

} // namespace

class FormTest : public QObject {
    Q_OBJECT

    static QString settings(Rig &rig) {
        return rig.show("sound_on next_on level changed") + (lang_rus ? " Rus" : " Eng");
    }

private Q_SLOTS:
    // the file; the settings it gives: sound next level changed language; the message
    void theSettingsFileIsReadLineByLine_data() {
        const QString erange = "16 " + error_text(ERANGE), enodata = "16 " + error_text(ENODATA);
        rows(
            {{"as written", cfg_file("Yes", "No", "3", "Eng"), "-1 0 3 0 Eng", ""},
             {"words in lower case", cfg_file("yes", "Yes", "3", "rus"), "0 -1 3 0 Eng", ""},
             {"blanks about 15, to 14", cfg_file("No", "No", " 15 ", "Rus"), "0 0 14 0 Rus", ""},
             {"7.5 to the even 8", cfg_file("No", "No", "7.5"), "0 0 8 0 Eng", ""},
             {"6.5 to the even 6", cfg_file("No", "No", "6.5"), "0 0 6 0 Eng", ""},
             {"32767 to 14", cfg_file("", "", "32767"), "0 0 14 0 Eng", ""},
             {"-32768 to 0", cfg_file("", "", "-32768"), "0 0 0 0 Eng", ""},
             {"no number", cfg_file("No", "No", "ab"), "0 0 0 0 Eng", ""},
             {"+3e1x to 30, to 14", cfg_file("", "No", "+3e1x"), "0 0 14 0 Eng", ""},
             {"32768 out of range", cfg_file("", "Yes", "32768"), "0 -1 0 -1 Rus", erange},
             {"1e400 out of range", cfg_file("", "", "1e400"), "0 0 0 -1 Rus", erange}, // empty values leave room
             {"1e-400 to 0", cfg_file("", "", "1e-400"), "0 0 0 0 Eng", ""},
             {"no Language> line", cfg_file("Yes", "Yes", "7").left(49).leftJustified(65), "-1 -1 7 -1 Rus", enodata},
             {"67 bytes", cfg_file("No", "No", "1") + "\r\n", "0 0 1 0 Eng", ""},
             {"a lone CR ends Sound>", cfg_file("Yes", "Yes", "10", "Rus").remove(22, 1), "-1 -1 10 0 Rus", ""},
             {"the last line without CR LF", cfg_file("Yes", "Yes", "10", "Rus").chopped(2), "-1 -1 10 0 Rus", ""},
             {"64 bytes", cfg_file("No", "No", "0").chopped(1), "-1 -1 0 -1 Rus", kIncorrect},
             {"69 bytes", cfg_file("Yes", "Yes", "10") + "\r\n", "-1 -1 0 -1 Rus", kIncorrect},
             {"the heading", cfg_file("Yes", "No", "3").replace("###ZWEBCFG###", "###ZWEBCFG##x"), "-1 -1 0 -1 Rus",
              kIncorrect},
             {"Sound>", cfg_file("No", "No", "3").replace("Sound>", "sound>"), "-1 -1 0 -1 Rus", kIncorrect},
             {"Language>", cfg_file("No", "No", "3").replace("Language>", "Languag>>"), "-1 -1 0 -1 Rus", kIncorrect}});
    }
    void theSettingsFileIsReadLineByLine() {
        QFETCH(QStringList, row);
        Rig rig(row[0].toLatin1());
        QCOMPARE(settings(rig), row[1]);
        QCOMPARE(rig.said(), row[2].isEmpty() ? QStringList() : QStringList{row[2]});
    }

    // Written at exit when missing or changed, even changed back; a file that cannot be measured is said so.
    void theSettingsFileAtExit() {
        Rig none(QByteArray{});
        none.f().close();
        QCOMPARE(none.read("zweb.cfg"), cfg_file("Yes", "Yes", "0", "Rus"));
        Rig back(cfg_file("Yes", "No", "3", "Eng")), down(cfg_file("Yes", "No", "3", "Eng")); // Level- alone too
        QCOMPARE(back.run("keys 33; close no") + down.run("keys -; close no"), QString());
        QCOMPARE(back.read("zweb.cfg") + down.read("zweb.cfg"),
                 cfg_file("Yes", "No", "3", "Eng") + cfg_file("Yes", "No", "2", "Eng"));
        QCOMPARE(back.disk.writes, 1);
        Rig unmeasured(cfg_file("Yes"), scores::defaultFile(), false);
        unmeasured.disk.rules = {{'s', "zweb.cfg", EIO}};
        unmeasured.reload();
        QCOMPARE(unmeasured.said(), QStringList{"16 " + error_text(EIO)});
        QCOMPARE(settings(unmeasured), QString("0 0 0 -1 Rus"));
    }

    // The faces read Start Pause Sound Next Level+ Level-: 0 raised (or on), 1 pressed (or off), 2 greyed.
    void theButtonsPressShowTheirFacesAndAct() {
        Rig rig(cfg_file("Yes", "Yes", "14"));
        rig.script({{"", "faces press", "020000 off"},
                    {"click up; click up; keys +-r", "level faces press intro", "0 020010 on off"}, // held 200 ms
                    {"click sound; click next", "sound_on next_on faces changed", "0 0 021110 -1"}, // switches never
                    {"wait 200; click next", "faces press", "021000 off"},
                    {"click down; click down; wait 200; click down", "level faces", "13 021001"},
                    {"wait 200; click pause", "faces press box", "021000 off hidden"}, // greyed: nothing
                    {"click start; click pause", "faces intro", "101022 on"},
                    {"wait 200", "faces", "201022"}, // Start comes back greyed: the game it started greyed it
                    {"click start; click up; wait 900; click down", "level faces intro", "13 201022 off"},
                    {"wait 300; click pause; click pause", "faces box input_locked", "211022 shown -1"},
                    {"wait 200; click pause", "box input_locked", "hidden 0"},
                    {"wait 200; keys e", "faces", "221022"}, // the exit prompt greys Pause, No brings it back
                    {"keys n", "faces", "201022"},
                    {"click sound", "faces", "200022"}});
        // Pause clicked just after the landing that fills the well: pressed while the game ends, then greyed.
        Rig full;
        full.script({{"start; land 0 _; row 0 ########; wait 150; click pause; wait 170", "faces end_code", "211122 3"},
                     {"wait 40; click pause", "faces box end_code", "221122 shown 3"}}); // greyed: nothing
    }

    void realClicksReachTheButtonsAndTheMenus() {
        Rig rig;
        Form &f = rig.f();
        f.show();
        QString faces; // of Start, Pause, Sound, Next, Level+ and Level-: the pictures 113 to 128 in turn
        int id = 113;
        for (const plat::ImageArray *b : {f.knopstart, f.knoppause, f.knopsound, f.knopnext, f.knopup, f.knopdown}) {
            for (int i = 0; i < b->count(); ++i, ++id) {
                faces += b->picture(i) == plat::loadBitmap(id) ? "" : QString(" %1").arg(id);
            }
        }
        const QImage down = f.knopdown->grab().toImage().convertToFormat(QImage::Format_RGB32); // face 0 shown
        QCOMPARE(faces + QString(" %1 %2").arg(id).arg(down == plat::loadBitmap(126)), QString(" 129 1"));
        QTest::mouseClick(f.knopup, Qt::LeftButton, {}, QPoint(12, 8));
        QTest::mouseClick(f.knopsound, Qt::LeftButton, {}, QPoint(20, 10));
        QTest::mouseClick(f.knopnext, Qt::RightButton, {}, QPoint(20, 10));
        QCOMPARE(rig.show("level sound_on next_on"), QString("1 -1 0"));
        QTest::mousePress(f.knopnext, Qt::LeftButton, {}, QPoint(20, 10)); // a click acts as the button is let go
        QCOMPARE(rig.show("next_on"), QString("0"));
        QTest::mouseRelease(f.knopnext, Qt::LeftButton, {}, QPoint(60, 10)); // and not off the button
        QTest::mouseClick(f.knopsound, Qt::LeftButton, {}, QPoint(20, 10));  // a double click, as the desktop gives
        QMouseEvent twice(QEvent::MouseButtonDblClick, QPointF(20, 10), f.knopsound->mapToGlobal(QPointF(20, 10)),
                          Qt::LeftButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(f.knopsound, &twice); // it, is one click
        QTest::mouseRelease(f.knopsound, Qt::LeftButton, {}, QPoint(20, 10));
        QCOMPARE(rig.show("next_on sound_on"), QString("0 0"));
        f.mnu_eng->trigger();
        QTest::mouseClick(f.Next_fig_win, Qt::LeftButton); // the preview passes the keyboard straight back
        QCOMPARE(f.Label_lines->caption() + " " + rig.show("focus"), QString("Lines play"));
    }

    void everyCaptionInBothLanguages() {
        Rig rig(cfg_file("No", "No", "2", "Rus"));
        Form &f = rig.f();
        const auto captions = [&] {
            QStringList out{f.Label_Lev->caption(),   f.Label_lines->caption(), f.Label_Bon->caption(),
                            f.Label_SCORE->caption(), f.Label_Time->caption(),  f.Label_Next->caption()};
            for (const QAction *a :
                 {f.HLP->menuAction(), f.mnu_about, f.Ctrls, f.LNGTT->menuAction(), f.mnu_rus, f.mnu_eng}) {
                out << a->text() + (a->isChecked() ? "*" : "");
            }
            return out.join('|');
        };
        const QString rus = "Уровень 3\r\n150x600|Строки|Бонус|Счёт|Время|Следующая|Справка|О Clockwell|"
                            "Управляющие клавиши|Язык|Русский*|Английский";
        QCOMPARE(captions(), rus);
        f.Picture1->fillRect(0, 0, 160, 336, plat::rgb(9, 9, 9));
        f.mnu_eng_Click();
        QCOMPARE(captions(), QString("Level 3\r\n150x600|Lines|Bonus|Score|Time|Next|Help|About Clockwell|"
                                     "Control keys|Language|Russian|English*"));
        QCOMPARE(words(rig.show("changed"), lang_rus, pixels(f.Picture1->image(), "80,300 80,1")),
                 QString("-1 0 0 9b32")); // repainted black, the table drawn again
        f.mnu_rus_Click();
        QCOMPARE(words(captions(), lang_rus), rus + " -1"); // and back; the prompts and the file follow lang_rus
    }

    void closingAsksOnlyDuringAGameAndNoGivesEveryTimerBack() {
        Rig idle(cfg_file("Yes"));
        idle.f().close();
        idle.f().close(); // once unloaded, nothing more
        QVERIFY(idle.f().unloaded() && idle.said().isEmpty());
        Rig rig; // the exit prompt open: the gravity and the wait run, the countdown not; all stop for the question
        const char *timers = "gravity press intro grow countdown wait cursor";
        QCOMPARE(rig.run("start; enter 0; keys e"), QString());
        rig.svc.onMessage = [&](const auto &) {
            QCOMPARE(rig.show(timers), QString("off/300 off off off off off off"));
        };
        rig.script({{"close no", "gravity press intro grow countdown wait cursor focus box play_on quit_pending",
                     "on/300 off off off off on off box shown 0 0"},
                    {"keys n; close yes", timers, "off/300 off off off off off off"}});
        QCOMPARE(rig.said(), QStringList(2, "36 Game not finished! Quit?"));
        QVERIFY(rig.f().unloaded() && !rig.f().isVisible() && rig.f().quit_pending == kTrue);
        // Logging off asks as a close does if the session lets the game ask, and ends at once if it does not.
        Rig off(cfg_file("Yes")), quiet;
        plat::FakeLogOff no, yes, mute;
        mute.interaction = false;
        QCOMPARE(off.run("start; enter 0; keys 3") + quiet.run("start"), QString());
        off.svc.answers = {plat::kAnswerNo, plat::kAnswerYes};
        off.f().log_off(no);
        const QString going = off.show("gravity countdown quit_pending") + words("", no.cancelled, off.f().unloaded());
        off.f().log_off(yes);
        quiet.f().log_off(mute);
        QCOMPARE(going + words("", yes.cancelled, off.f().unloaded(), quiet.f().unloaded(), mute.cancelled,
                               off.said().size(), quiet.said().size(), off.read("zweb.cfg") == cfg_file("No")),
                 QString("on/300 on 0 1 0 0 1 1 0 2 0 1"));
    }

    // About asked for again while open must be the same box, not a second one.
    void theHelpBoxesInBothLanguages_data() { rows({{"English", "Eng"}, {"Russian", "Rus"}}); }
    void theHelpBoxesInBothLanguages() {
        QFETCH(QStringList, row);
        const bool rus = row[0] == "Rus";
        Rig rig(cfg_file("No", "No", "0", qPrintable(row[0])));
        Form &f = rig.f();
        f.move(40, 30);
        f.mnu_about_Click();
        f.Ctrls_Click();
        QCOMPARE(rig.show("focus"), QString("play")); // the keys still play while both are open
        frmAbout *a = f.about_box;
        frmAbout1 *k = f.keys_box;
        QCOMPARE(places(Widgets{a->picIcon, a->lblTitle, a->lbltit1, a->lblVersion, a->lblCpr, a->lbldescription,
                                a->Lblcont, a->cmdOK, k->lblTitle, k->cmdOK}),
                 QString("16,18 36x36; 61,16 99x16; 152,17 89x17; 61,38 155x15; 16,64 251x15; 16,88 249x166; "
                         "16,256 249x36; 96,322 84x23; 8,8 189x16; 60,248 84x23"));
        QCOMPARE(places(k->keys) + " | " + places(k->Label1, 0),
                 QString("27,32 23x26; 27,64 23x26; 27,96 23x26; 27,128 23x26; 8,160 44x26; 8,192 44x26; 116,32 "
                         "23x24; 116,64 23x24; 116,96 23x24; 116,128 23x24; 116,160 23x24; 110,192 29x26 | 55,37; "
                         "55,69; 55,102; 56,148; 56,190; 144,36; 144,60; 144,93; 144,132; 144,165; 144,197"));
        const auto bold = [](const QLabel *l) { return l->font().bold(); }; // of both boxes, the title only
        QCOMPARE(words(a->width(), a->height(), a->pos() == f.pos(), a->lblTitle->font().pixelSize(),
                       a->lblTitle->font().bold(), a->lbltit1->font().pixelSize(),
                       std::ranges::count_if(a->findChildren<QLabel *>() + k->findChildren<QLabel *>(), bold),
                       a->lblVersion->font().pixelSize(), a->picIcon->pixmap().width(), k->width(), k->height(),
                       k->Label1[6]->width(), f.mnu_rus->isChecked(), f.mnu_eng->isChecked()),
                 QString("281 357 1 16 1 15 1 13 32 207 283 %1") // a label widened to its longest Russian word,
                     .arg(rus ? "53 1 0" : "49 0 1"));           // and the language menu marking the loaded language
        QCOMPARE(
            QStringList({a->windowTitle(), a->lblTitle->text(), a->lbltit1->text(), a->lblVersion->text()}).join('|'),
            rus ? QString("О Clockwell|Clockwell|for Windows|Версия 2.0")
                : QString("About Clockwell|Clockwell|for Windows|Version 2.0"));
        const QString text = a->lbldescription->text();
        QVERIFY(text.startsWith(rus ? "  Clockwell от классического blockfall от" : "  Clockwell differs from the") &&
                text.section('\n', 1).startsWith(rus ? "   Вы можете использовать" : "   The program is absolut"));
        // The separators and the Drop keys' bracket: a pixel before, at and after the ends of each line.
        QCOMPARE(pixels(a->grab().toImage(), "15,307 16,307 263,307 264,307 100,306 16,274 17,274") + " | " +
                     pixels(k->grab().toImage(), "7,232 8,232 15,232 16,232 196,232 197,232 55,140 56,140 65,140 "
                                                 "66,140 66,147 66,148 66,161 66,162 66,171 66,172 57,172 56,172"),
                 QString("efefef ffffff ffffff efefef efefef 0 ffffff | efefef 808080 808080 ffffff ffffff efefef "
                         "efefef 0 0 0 0 efefef efefef 0 0 0 0 efefef"));
        f.mnu_about_Click();
        QCOMPARE(f.about_box.data(), a);
        QStringList labels{k->windowTitle(), k->lblTitle->text() + QString::number(k->lblTitle->font().pixelSize())};
        for (const QLabel *l : k->Label1) {
            labels << QString(l->text()).replace('\n', ' ');
        }
        QCOMPARE(labels.join('|'), rus ? QString("Clockwell: yпр. клавиши|Управляющие клавиши:15|Влево|Вправо|Вращать|"
                                                 "Уронить|Пуск игры|Пауза|Следущ. Вкл/Выкл|Звук Вкл/Выкл|Уровень+|"
                                                 "Уровень-|Выход")
                                       : QString("Clockwell: control keys|Control keys:15|Left|Right|Rotate|Drop|"
                                                 "Start game|Pause|Next On/Off|Sound On/Off|Level+|Level-|Exit"));
        QTest::keyClick(a, rus ? Qt::Key_Escape : Qt::Key_Return);
        QTest::keyClick(k, rus ? Qt::Key_Return : Qt::Key_Escape);
        QVERIFY(!a->isVisible() && !k->isVisible());
    }

    // Caps outlined in black, white above and left, grey below and right, symbols black; each arrow the right one
    // turned, so mirror images (compared in black and white: anti-aliasing may round a mirrored edge either way).
    void theArrowKeysPointTheirWay() {
        const auto arrow = [](frmAbout1::Key key, bool flip_x, bool flip_y, int turn = 0) { // the cap's face
            const QImage face = frmAbout1::keyPicture(key, 25, 25).copy(3, 3, 19, 19).mirrored(flip_x, flip_y);
            return face.transformed(QTransform().rotate(turn))
                .convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
        };
        using K = frmAbout1::Key;
        const QImage right = arrow(K::Right, false, false);
        QVERIFY(count(right, Qt::black) > 40 &&
                count(frmAbout1::keyPicture(K::P, 23, 24).copy(3, 3, 17, 18), Qt::black) > 8);
        QCOMPARE(pixels(frmAbout1::keyPicture(K::P, 23, 24),
                        "0,0 1,1 1,12 2,20 19,2 1,22 20,2 21,1 2,21 3,3 22,23 22,1 0,23 0,22 21,0"),
                 QString("0 ffffff ffffff ffffff ffffff 808080 808080 808080 808080 e1e5b0 0 0 0 0 0"));
        for (const QImage &same : {arrow(K::Right, false, true), arrow(K::Left, true, false),
                                   arrow(K::Up, false, false, 90), arrow(K::Down, false, true, 90)}) {
            QCOMPARE(same, right);
        }
    }

    void theWindowsLayoutAndTheTimersBeforeTheLoad() {
        Rig rig(cfg_file(), scores::defaultFile(), false);
        lang_rus = kTrue;
        Form f(rig.svc);
        rig.wait(10000); // the timers enabled before the load have no interval yet: none may fire
        QCOMPARE(f.game_on, kFalse);
        f.Form_Load();
        QCOMPARE(places(Widgets{f.Picture1, f.knopstart, f.knoppause, f.knopsound, f.knopnext, f.knopup, f.knopdown,
                                f.Label_Lev, f.Label_lines, f.Label_Bon, f.Label_ln_num, f.Label_Bon_Num, f.Label_SCORE,
                                f.Label_Time, f.Label_Score_Num, f.Label_Time_Num, f.Label_Next, f.Next_fig_win,
                                f.Picture2}),
                 QString("16,1 160x336; 206,0 41x21; 262,0 41x21; 206,37 41x21; 262,37 41x21; "
                         "279,72 24x17; 279,90 24x17; 191,75 84x30; 188,124 52x16; 252,124 52x16; 188,145 52x22; "
                         "252,144 52x22; 188,172 52x16; 252,172 52x16; 188,192 52x22; 252,192 52x22; 198,231 96x16; "
                         "202,251 86x86; 32,192 89x41"));
        QVERIFY(!f.windowFlags().testFlag(Qt::WindowMaximizeButtonHint) &&
                f.windowFlags().testFlag(Qt::WindowMinimizeButtonHint) && f.windowTitle().startsWith("Clockwell"));
        f.show();
        // Wayland's title bar offers a maximize all the same: it must centre the fixed block, and a restore undo it.
        const QSize fixed = f.size();
        f.windowHandle()->setWindowStates(Qt::WindowMaximized);
        QTRY_VERIFY(f.width() > fixed.width() + 100 && f.height() > fixed.height() + 100);
        const QRect menu = f.menuBar()->geometry(), area = f.client->geometry();
        QCOMPARE(words(menu.width(), area.size().width(), area.height(), area.top() - menu.bottom()),
                 QString("314 314 353 1"));
        QVERIFY(qAbs(area.left() - (f.width() - 1 - area.right())) <= 1 &&
                qAbs(menu.top() - (f.height() - 1 - area.bottom())) <= 1);
        f.windowHandle()->setWindowStates(Qt::WindowNoState);
        QTRY_COMPARE(f.size(), fixed);
        QCOMPARE(words(f.menuBar()->y(), f.client->x(), f.maximumSize() == fixed), QString("0 0 1"));
    }
};

QTEST_MAIN(FormTest)
#include "test_shell.moc"
