// The shell: the settings file, the buttons, the two languages, closing the
// window, the Help boxes and the audio-device player.
#include "test_shell_form.h"

#include "platform/device_sound.h"
#include "platform/real_services.h"
#include "platform/resources.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cmath>

namespace {

const QByteArray kDefaultFile = "###ZWEBCFG###\r\nSound>\r\nYes\r\nNext>\r\nYes\r\nLevel>\r\n0\r\nLanguage>\r\nRus\r\n";
const QString kIncorrect = QStringLiteral("Configuration file is incorrect! Create default configuration.");

QString error_message(int err) {
    const plat::FileError e = plat::errorFromErrno(err);
    return QStringLiteral("Error %1: %2").arg(e.number).arg(e.description);
}

// A PCM WAV image of the given samples.
QByteArray make_wav(int rate, int channels, int bits, const QByteArray &samples, int tag = 1) {
    QByteArray w;
    const auto put32 = [&](quint32 v) {
        for (int i = 0; i < 4; ++i) {
            w.append(static_cast<char>((v >> (8 * i)) & 0xFF));
        }
    };
    const auto put16 = [&](quint16 v) {
        w.append(static_cast<char>(v & 0xFF));
        w.append(static_cast<char>(v >> 8));
    };
    w += "RIFF";
    put32(static_cast<quint32>(36 + samples.size()));
    w += "WAVEfmt ";
    put32(16);
    put16(static_cast<quint16>(tag));
    put16(static_cast<quint16>(channels));
    put32(static_cast<quint32>(rate));
    put32(static_cast<quint32>(rate * channels * bits / 8));
    put16(static_cast<quint16>(channels * bits / 8));
    put16(static_cast<quint16>(bits));
    w += "data";
    put32(static_cast<quint32>(samples.size()));
    w += samples;
    return w;
}

bool shown(const QWidget *w) { return w != nullptr && w->isVisible(); }

qint16 int16_at(const QByteArray &pcm, qsizetype index) {
    qint16 v = 0;
    std::memcpy(&v, pcm.constData() + index * 2, 2);
    return v;
}

} // namespace

class ShellTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    plat::VirtualServices svc_;

    QString cfg() const { return QDir(dir_.path()).filePath(QStringLiteral("zweb.cfg")); }

private Q_SLOTS:
    void init() {
        svc_.messages.clear();
        svc_.answers.clear();
        svc_.busy_cursor_history.clear();
        svc_.recording_sound.calls.clear();
        svc_.setFileSystem(nullptr);
        svc_.setSoundSink(nullptr);
        svc_.setProgramFolder(dir_.path());
        QFile::remove(cfg());
        // A valid empty score table, so that only the settings file speaks up.
        QByteArray table("###ZWEBSCO###");
        table.append('\0');
        for (int i = 0; i < 10; ++i) {
            table.append("\0\n", 2);
        }
        write_file(QDir(dir_.path()).filePath(QStringLiteral("zweb.sco")), table);
    }

    // ------------------------------------------------------------ settings file

    void noFileGivesDefaultsAndTheDefaultFileAtExit() {
        auto form = load_form(svc_);
        QCOMPARE(svc_.messages.size(), size_t(1));
        QCOMPARE(svc_.messages[0].text,
                 QStringLiteral("File ") + cfg() + QStringLiteral(" not found! Create default zweb.cfg."));
        QCOMPARE(svc_.messages[0].style, int(plat::kMsgExclamation));
        QCOMPARE(svc_.messages[0].title, QStringLiteral("Clockwell"));
        QCOMPARE(form->sound_on, kTrue);
        QCOMPARE(form->next_on, kTrue);
        QCOMPARE(form->level, Integer(0));
        QCOMPARE(lang_rus, kTrue);
        QVERIFY(form->mnu_rus->isChecked());
        QVERIFY(!form->mnu_eng->isChecked());
        QVERIFY(!QFile::exists(cfg())); // written at exit, not before
        form->close();
        QCOMPARE(read_file(cfg()), kDefaultFile);
        QCOMPARE(kDefaultFile.size(), qsizetype(67));
        const std::vector<bool> hourglass = {true, false};
        QCOMPARE(svc_.busy_cursor_history, hourglass);
    }

    void sizeWindow_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("accepted");
        const QByteArray shortest = cfg_file("No", "No", "3", "Eng");
        const QByteArray longest = cfg_file("Yes", "Yes", "13", "Eng");
        QCOMPARE(shortest.size(), qsizetype(65));
        QCOMPARE(longest.size(), qsizetype(68));
        QTest::newRow("64 bytes") << cfg_file("No", "No", "", "Eng") << false;
        QTest::newRow("65 bytes") << shortest << true;
        QTest::newRow("68 bytes") << longest << true;
        QTest::newRow("69 bytes") << cfg_file("Yes", "Yes", "13", "Eng ") << false;
        QTest::newRow("67 bytes and an empty line") << kDefaultFile + "\r\n" << false;
        QTest::newRow("65 bytes and an empty line") << shortest + "\r\n" << true;
    }
    void sizeWindow() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, accepted);
        write_file(cfg(), bytes);
        auto form = load_form(svc_);
        if (accepted) {
            QVERIFY(svc_.messages.empty());
            QCOMPARE(form->settings_changed, kFalse);
            QCOMPARE(lang_rus, kFalse);
            QCOMPARE(form->level, Integer(bytes.contains("13") ? 13 : 3));
            QVERIFY(!form->mnu_rus->isChecked());
            QVERIFY(form->mnu_eng->isChecked());
        } else {
            QCOMPARE(svc_.messages.size(), size_t(1));
            QCOMPARE(svc_.messages[0].text, kIncorrect);
            QCOMPARE(svc_.messages[0].style, int(plat::kMsgExclamation));
            QCOMPARE(form->settings_changed, kTrue);
            QCOMPARE(lang_rus, kTrue); // the defaults
            QCOMPARE(form->level, Integer(0));
        }
        form->close();
        QCOMPARE(read_file(cfg()), accepted ? bytes : kDefaultFile);
    }

    void levelLine_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("level");
        QTest::newRow("7 between blanks") << " 7 " << 7;
        QTest::newRow("7.5 rounds up to even") << "7.5" << 8;
        QTest::newRow("6.5 rounds down to even") << "6.5" << 6;
        QTest::newRow("20 is clamped") << "20" << 14;
        QTest::newRow("-3 is clamped") << "-3" << 0;
        QTest::newRow("letters") << "abc" << 0;
        QTest::newRow("exponent") << "1e1" << 10;
        QTest::newRow("prefix before letters") << "9x" << 9;
        QTest::newRow("exponent without digits") << "4e" << 4;
        QTest::newRow("point first") << ".6" << 1;
        QTest::newRow("plus sign") << "+12" << 12;
        QTest::newRow("tiny") << "1e-9" << 0;
        QTest::newRow("30000 fits, clamped") << "3e4" << 14;
    }
    void levelLine() {
        QFETCH(QString, text);
        QFETCH(int, level);
        write_file(cfg(), cfg_file("No", "No", text, "Rus"));
        auto form = load_form(svc_);
        QVERIFY2(svc_.messages.empty(), qPrintable(svc_.messages.empty() ? QString() : svc_.messages[0].text));
        QCOMPARE(int(form->level), level);
        QCOMPARE(form->settings_changed, kFalse);
        QVERIFY(form->Label_Lev->caption().startsWith(QStringLiteral("Уровень %1\r\n").arg(level + 1)));
    }

    void aLevelBeyondSixteenBitsIsAReadErrorThatKeepsWhatWasRead() {
        // Sound and preview were read; level and language keep their start-up values.
        write_file(cfg(), cfg_file("Yes", "No", "4e4", "Eng"));
        auto form = load_form(svc_);
        QCOMPARE(svc_.messages.size(), size_t(1));
        QCOMPARE(svc_.messages[0].text, error_message(ERANGE));
        QCOMPARE(svc_.messages[0].style, int(plat::kMsgCritical));
        QCOMPARE(svc_.messages[0].title, QStringLiteral("Clockwell"));
        QCOMPARE(form->sound_on, kTrue);
        QCOMPARE(form->next_on, kFalse);
        QCOMPARE(form->level, Integer(0));
        QCOMPARE(lang_rus, kTrue);
        QCOMPARE(form->settings_changed, kTrue);
        form->close();
        QCOMPARE(read_file(cfg()), cfg_file("Yes", "No", "0", "Rus"));
    }

    void aMissingNinthLineIsAReadError() {
        QByteArray bytes =
            cfg_bytes({"###ZWEBCFG###", "Sound>", "No", "Next>", "Yes", "Level>", "000005", "Language>"});
        QCOMPARE(bytes.size(), qsizetype(66));
        write_file(cfg(), bytes);
        auto form = load_form(svc_);
        QCOMPARE(svc_.messages.size(), size_t(1));
        QCOMPARE(svc_.messages[0].text, error_message(ENODATA));
        QCOMPARE(svc_.messages[0].style, int(plat::kMsgCritical));
        QCOMPARE(form->sound_on, kFalse);
        QCOMPARE(form->next_on, kTrue);
        QCOMPARE(form->level, Integer(5));
        QCOMPARE(form->settings_changed, kTrue);
    }

    void wrongKeyOrMagicGivesTheDefaults_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("magic") << cfg_bytes(
            {"###ZWEBCFG##X", "Sound>", "No", "Next>", "No", "Level>", "3", "Language>", "Eng"});
        QTest::newRow("sound key") << cfg_bytes(
            {"###ZWEBCFG###", "sound>", "No", "Next>", "No", "Level>", "3", "Language>", "Eng"});
        QTest::newRow("language key, after the other values")
            << cfg_bytes({"###ZWEBCFG###", "Sound>", "No", "Next>", "No", "Level>", "3", "Language:", "Eng"});
        QTest::newRow("key with a blank")
            << cfg_bytes({"###ZWEBCFG###", "Sound>", "No", "Next> ", "No", "Level>", "3", "Language>", "Eng"});
    }
    void wrongKeyOrMagicGivesTheDefaults() {
        QFETCH(QByteArray, bytes);
        write_file(cfg(), bytes);
        auto form = load_form(svc_);
        QCOMPARE(svc_.messages.size(), size_t(1));
        QCOMPARE(svc_.messages[0].text, kIncorrect);
        QCOMPARE(form->sound_on, kTrue);
        QCOMPARE(form->next_on, kTrue);
        QCOMPARE(form->level, Integer(0));
        QCOMPARE(lang_rus, kTrue);
        QCOMPARE(form->settings_changed, kTrue);
    }

    void valuesAreCaseSensitive() {
        write_file(cfg(), cfg_file("yes", "Yes", "2", "rus"));
        auto form = load_form(svc_);
        QVERIFY(svc_.messages.empty());
        QCOMPARE(form->sound_on, kFalse);
        QCOMPARE(form->next_on, kTrue);
        QCOMPARE(lang_rus, kFalse);
        QCOMPARE(form->Label_lines->caption(), QStringLiteral("Lines"));
        QCOMPARE(form->knopsound->topFace(), 1); // the sound-off face
        QCOMPARE(form->knopnext->topFace(), 0);
    }

    void aValidFileReadWithoutChangesIsNotRewritten() {
        FaultyFiles files;
        svc_.setFileSystem(&files);
        const QByteArray bytes = cfg_file("No", "Yes", "11", "Eng");
        write_file(cfg(), bytes);
        auto form = load_form(svc_);
        QCOMPARE(files.reads, 1);
        form->close();
        QVERIFY(form->unloaded());
        QCOMPARE(files.writes, 0);
        QCOMPARE(read_file(cfg()), bytes);
        QVERIFY(svc_.busy_cursor_history.empty());
    }

    void aSettingChangedAndChangedBackIsStillWritten() {
        FaultyFiles files;
        svc_.setFileSystem(&files);
        const QByteArray bytes = cfg_file("No", "Yes", "11", "Eng");
        write_file(cfg(), bytes);
        auto form = load_form(svc_);
        form->knopsound_Click(0);
        form->knopsound_Click(0);
        form->close();
        QCOMPARE(files.writes, 1);
        QCOMPARE(read_file(cfg()), bytes);
    }

    void eachSettingIsWrittenAsItStands() {
        write_file(cfg(), cfg_file("No", "No", "0", "Rus"));
        auto form = load_form(svc_);
        form->knopsound_Click(0);
        form->knopdown_Click(0); // level 15, internal 14
        form->mnu_eng_Click();
        form->close();
        const QByteArray want = "###ZWEBCFG###\r\nSound>\r\nYes\r\nNext>\r\nNo\r\nLevel>\r\n14\r\nLanguage>\r\nEng\r\n";
        QCOMPARE(read_file(cfg()), want);
    }

    void aReadErrorAndAnUnwritableFolderAreReportedAndTheGameGoesOn() {
        FaultyFiles files;
        files.read_error = plat::errorFromErrno(EIO);
        files.write_error = plat::errorFromErrno(EACCES);
        svc_.setFileSystem(&files);
        const QByteArray bytes = cfg_file("Yes", "Yes", "4", "Eng");
        write_file(cfg(), bytes);
        auto form = load_form(svc_);
        QCOMPARE(svc_.messages.size(), size_t(1));
        QCOMPARE(svc_.messages[0].text, error_message(EIO));
        QCOMPARE(svc_.messages[0].style, int(plat::kMsgCritical));
        // Nothing was read: the start-up values stay.
        QCOMPARE(form->sound_on, kFalse);
        QCOMPARE(form->next_on, kFalse);
        QCOMPARE(form->level, Integer(0));
        QCOMPARE(lang_rus, kTrue);
        QVERIFY(form->isVisible());
        form->knopup_Click(0); // the window works as ever
        QCOMPARE(form->level, Integer(1));
        form->close();
        QVERIFY(form->unloaded());
        QVERIFY(!form->isVisible());
        QCOMPARE(svc_.messages.size(), size_t(2));
        QCOMPARE(svc_.messages[1].text, error_message(EACCES));
        QCOMPARE(svc_.messages[1].style, int(plat::kMsgCritical));
        QCOMPARE(svc_.messages[1].title, QStringLiteral("Clockwell"));
        QCOMPARE(read_file(cfg()), bytes); // the old file is untouched
        const std::vector<bool> hourglass = {true, false};
        QCOMPARE(svc_.busy_cursor_history, hourglass);
    }

    void aFileThatCannotBeMeasuredIsAReadError() {
        FaultyFiles files;
        files.size_error = plat::errorFromErrno(EACCES);
        svc_.setFileSystem(&files);
        write_file(cfg(), kDefaultFile);
        auto form = load_form(svc_);
        QCOMPARE(svc_.messages.size(), size_t(1));
        QCOMPARE(svc_.messages[0].text, error_message(EACCES));
        QCOMPARE(form->settings_changed, kTrue);
    }

    void theRealDiskReportsAFolderThatIsNotThere() {
        // A folder that does not exist cannot take the file, root or not.
        svc_.setProgramFolder(dir_.path() + QStringLiteral("/no/such/folder"));
        auto form = load_form(svc_);
        // Each missing file is named; the score file's repair cannot be written.
        QVERIFY(svc_.messages.size() >= 2);
        QVERIFY(svc_.messages[0].text.endsWith(QStringLiteral(" not found! Create default zweb.cfg.")));
        const std::size_t at_load = svc_.messages.size();
        form->close();
        QCOMPARE(svc_.messages.size(), at_load + 1);
        QCOMPARE(svc_.messages.back().text, error_message(ENOENT));
        QCOMPARE(svc_.messages.back().style, int(plat::kMsgCritical));
        QVERIFY(form->unloaded());
    }

    // ------------------------------------------------------------ window layout

    void timersAndMenusBeforeTheLoad() {
        ShellForm form(svc_);
        struct Design {
            plat::Timer *timer;
            bool enabled;
            int interval;
        };
        const Design all[] = {{form.Play_Tmr_Vert.get(), true, 0}, {form.Timer1.get(), false, 100},
                              {form.Timer2.get(), false, 0},       {form.Timer_Wait.get(), true, 0},
                              {form.Stk_output.get(), true, 0},    {form.open_win.get(), false, 0},
                              {form.knop_prs.get(), true, 0}};
        for (const Design &d : all) {
            QCOMPARE(d.timer->enabled(), d.enabled);
            QCOMPARE(d.timer->interval(), d.interval);
        }
        // An interval of 0 never fires, enabled or not.
        svc_.advance(1000);
        QCOMPARE(form.intro_row, Integer(0));
        QCOMPARE(form.HLP->actions(), QList<QAction *>({form.mnu_about, form.Ctrls}));
        QCOMPARE(form.LNGTT->actions(), QList<QAction *>({form.mnu_rus, form.mnu_eng}));
        QVERIFY(form.mnu_rus->isChecked());
        QVERIFY(!form.mnu_eng->isChecked());
        QVERIFY(!form.Picture2->shown());
    }

    void theMainWindowsControlsSitWhereTheyBelong() {
        write_file(cfg(), kDefaultFile);
        auto form = load_form(svc_);
        QVERIFY(form->windowTitle().startsWith(QStringLiteral("Clockwell")));
        QVERIFY(form->windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(form->client->size(), QSize(314, 353));
        QCOMPARE(form->client->mapTo(form.get(), QPoint(0, 0)).y(), form->menuBar()->height());
        // A fixed border: the window cannot be made larger or smaller.
        QCOMPARE(form->minimumSize(), form->maximumSize());
        QCOMPARE(form->size(), QSize(314, 353 + form->menuBar()->height()));

        QCOMPARE(form->Picture1->geometry(), QRect(16, 1, 160, 336));
        QCOMPARE(QSize(int(form->Picture1->scaleWidth()), int(form->Picture1->scaleHeight())), QSize(160, 336));
        QCOMPARE(form->Next_fig_win->geometry(), QRect(202, 251, 86, 86));
        QCOMPARE(QSize(int(form->Next_fig_win->scaleWidth()), int(form->Next_fig_win->scaleHeight())), QSize(82, 82));
        QVERIFY(form->Picture2->parentWidget() == form->Picture1);
        QCOMPARE(form->Picture2->geometry(), QRect(32, 192, 89, 41));
        QCOMPARE(form->Picture2->backColor(), plat::rgb(0, 192, 192));
        QVERIFY(form->Picture2->boxFont().bold());
        QCOMPARE(form->Picture2->boxFont().pointSizeF(), 12.0);
        QVERIFY(form->Picture1->hasKeyFocus());

        const std::pair<plat::ImageArray *, QRect> buttons[] = {
            {form->knopstart, QRect(206, 0, 41, 21)},  {form->knoppause, QRect(262, 0, 41, 21)},
            {form->knopsound, QRect(206, 37, 41, 21)}, {form->knopnext, QRect(262, 37, 41, 21)},
            {form->knopup, QRect(279, 72, 24, 17)},    {form->knopdown, QRect(279, 90, 24, 17)}};
        for (const auto &[button, place] : buttons) {
            QCOMPARE(button->geometry(), place);
        }

        struct LabelDesign {
            plat::Label *label;
            QRect place;
            Qt::Alignment align;
            double points;
            bool framed;
        };
        const LabelDesign labels[] = {
            {form->Label_Lev, QRect(191, 75, 84, 30), Qt::AlignHCenter, 9.75, false},
            {form->Label_lines, QRect(188, 124, 52, 16), Qt::AlignHCenter, 9.75, false},
            {form->Label_Bon, QRect(252, 124, 52, 16), Qt::AlignHCenter, 9.75, false},
            {form->Label_ln_num, QRect(188, 145, 52, 22), Qt::AlignRight, 12, true},
            {form->Label_Bon_Num, QRect(252, 144, 52, 22), Qt::AlignRight, 12, true},
            {form->Label_SCORE, QRect(188, 172, 52, 16), Qt::AlignHCenter, 9.75, false},
            {form->Label_Time, QRect(252, 172, 52, 16), Qt::AlignHCenter, 9.75, false},
            {form->Label_Score_Num, QRect(188, 192, 52, 22), Qt::AlignRight, 12, true},
            {form->Label_Time_Num, QRect(252, 192, 52, 22), Qt::AlignRight, 12, true},
            {form->Label_Next, QRect(198, 231, 96, 16), Qt::AlignHCenter, 9.75, false},
        };
        for (const LabelDesign &l : labels) {
            QCOMPARE(l.label->geometry(), l.place);
            QCOMPARE(l.label->alignment() & Qt::AlignHorizontal_Mask, l.align);
            QCOMPARE(l.label->font().pointSizeF(), l.points);
            QVERIFY(l.label->font().bold());
            QCOMPARE(l.label->frameShape() == QFrame::Box, l.framed);
        }
        // Both lines of the level caption fit its label.
        const QFontMetrics m(form->Label_Lev->font());
        QVERIFY(2 * m.height() <= form->Label_Lev->height());
    }

    // ------------------------------------------------------------ buttons

    void idleFacesAfterLoad() {
        write_file(cfg(), cfg_file("No", "Yes", "0", "Rus"));
        auto form = load_form(svc_);
        QCOMPARE(form->knopstart->topFace(), 0);
        QCOMPARE(form->knoppause->topFace(), 2);
        QCOMPARE(form->knopup->topFace(), 0);
        QCOMPARE(form->knopdown->topFace(), 0);
        QCOMPARE(form->knopsound->topFace(), 1);
        QCOMPARE(form->knopnext->topFace(), 0);
        QCOMPARE(form->knopstart->count(), 3);
        QCOMPARE(form->knopsound->count(), 2);
        // Exactly one face of each button shows at rest.
        for (plat::ImageArray *b :
             {form->knopstart, form->knoppause, form->knopup, form->knopdown, form->knopsound, form->knopnext}) {
            int shown = 0;
            for (int i = 0; i < b->count(); ++i) {
                shown += b->faceVisible(i) ? 1 : 0;
            }
            QCOMPARE(shown, 1);
        }
        QVERIFY(!form->knop_prs->enabled());
        QCOMPARE(form->knop_prs->interval(), 200);
        QCOMPARE(form->knop_busy, kFalse);
        QVERIFY(form->knopstart->picture(1).isNull() == plat::loadBitmap(114).isNull());
    }

    void levelButtonsWrapAndIgnoreASecondClickWithin200ms() {
        write_file(cfg(), cfg_file("No", "No", "14", "Eng"));
        auto form = load_form(svc_);
        QCOMPARE(form->level, Integer(14));
        form->knopup_Click(0);
        QCOMPARE(form->level, Integer(0));
        QCOMPARE(form->knopup->topFace(), 1); // pressed
        QCOMPARE(form->Label_Lev->caption(),
                 QStringLiteral("Level 1\r\n%1x%2").arg(form->lvl_lines[0]).arg(form->lvl_time[0]));
        QCOMPARE(form->settings_changed, kTrue);
        svc_.advance(150);
        form->knopup_Click(0); // still pressed: ignored
        form->knopdown_Click(0);
        QCOMPARE(form->level, Integer(0));
        svc_.advance(50);
        QCOMPARE(form->knopup->topFace(), 0);
        QCOMPARE(form->knop_busy, kFalse);
        form->knopdown_Click(0);
        QCOMPARE(form->level, Integer(14));
        QCOMPARE(form->Label_Lev->caption(),
                 QStringLiteral("Level 15\r\n%1x%2").arg(form->lvl_lines[14]).arg(form->lvl_time[14]));
        svc_.advance(200);
        form->knopup_Click(0);
        QCOMPARE(form->level, Integer(0));
    }

    void switchesToggleAlwaysAndMarkTheSettings() {
        write_file(cfg(), cfg_file("Yes", "Yes", "0", "Rus"));
        auto form = load_form(svc_);
        form->knopup_Click(0); // a press animation does not hold the switches back
        form->knopsound_Click(0);
        form->knopnext_Click(0);
        QCOMPARE(form->sound_on, kFalse);
        QCOMPARE(form->next_on, kFalse);
        QCOMPARE(form->knopsound->topFace(), 1);
        QCOMPARE(form->knopnext->topFace(), 1);
        form->knopsound_Click(0);
        QCOMPARE(form->sound_on, kTrue);
        QCOMPARE(form->knopsound->topFace(), 0);
        QVERIFY(!form->knopsound->faceVisible(1));
        QCOMPARE(form->settings_changed, kTrue);
    }

    void aGreyedButtonIgnoresClicks() {
        write_file(cfg(), kDefaultFile);
        auto form = load_form(svc_);
        form->knoppause_Click(0);
        QCOMPARE(form->knop_busy, kFalse);
        QCOMPARE(form->knoppause->topFace(), 2);
        QVERIFY(!form->knop_prs->enabled());
        QCOMPARE(form->input_locked, kFalse);
    }

    void aButtonGreyedDuringItsPressComesBackGreyed() {
        write_file(cfg(), kDefaultFile);
        auto form = load_form(svc_);
        form->knopup_Click(0);
        form->knopdown_en = kFalse; // as a game starting at that moment would leave them
        form->knopup_en = kFalse;
        form->knopup->setFaceVisible(0, false);
        form->knopup->setFaceVisible(2, true);
        QCOMPARE(form->knopup->topFace(), 1); // the pressed face stays on top meanwhile
        svc_.advance(200);
        QCOMPARE(form->knopup->topFace(), 2);
        QVERIFY(!form->knopup->faceVisible(0));
        QVERIFY(!form->knopup->faceVisible(1));
    }

    // ------------------------------------------------------------ languages

    void switchingLanguageRewritesEveryCaptionAndKeepsTheLevel() {
        write_file(cfg(), cfg_file("Yes", "Yes", "5", "Rus"));
        auto form = load_form(svc_);
        QCOMPARE(form->Label_Lev->caption(),
                 QStringLiteral("Уровень 6\r\n%1x%2").arg(form->lvl_lines[5]).arg(form->lvl_time[5]));
        QCOMPARE(form->Label_Next->caption(), QStringLiteral("Следующая"));
        QCOMPARE(form->HLP->title(), QStringLiteral("Справка"));
        QCOMPARE(form->mnu_about->text(), QStringLiteral("О Clockwell"));
        // Something on the play area that the switch must paint over.
        form->Picture1->fillRect(0, 0, 160, 336, plat::rgb(255, 255, 255));

        form->mnu_eng_Click();
        QCOMPARE(lang_rus, kFalse);
        QVERIFY(form->mnu_eng->isChecked());
        QVERIFY(!form->mnu_rus->isChecked());
        QCOMPARE(form->settings_changed, kTrue);
        QCOMPARE(form->Label_Lev->caption(),
                 QStringLiteral("Level 6\r\n%1x%2").arg(form->lvl_lines[5]).arg(form->lvl_time[5]));
        const QStringList labels = {form->Label_lines->caption(), form->Label_Bon->caption(),
                                    form->Label_SCORE->caption(), form->Label_Time->caption(),
                                    form->Label_Next->caption()};
        QCOMPARE(labels, QStringList({"Lines", "Bonus", "Score", "Time", "Next"}));
        const QStringList menus = {form->HLP->title(),   form->mnu_about->text(), form->Ctrls->text(),
                                   form->LNGTT->title(), form->mnu_rus->text(),   form->mnu_eng->text()};
        QCOMPARE(menus, QStringList({"Help", "About Clockwell", "Control keys", "Language", "Russian", "English"}));
        // Painted over: black, with the score table drawn again.
        int white = 0;
        for (int y = 0; y < 336; ++y) {
            for (int x = 0; x < 160; ++x) {
                white += form->Picture1->pixel(x, y) == plat::rgb(255, 255, 255) ? 1 : 0;
            }
        }
        QCOMPARE(white, 0);

        // The play area now looks as it does in a window loaded in English.
        const QImage switched = form->Picture1->image();
        form->mnu_rus_Click();
        const QImage russian = form->Picture1->image();
        QCOMPARE(form->Label_Time->caption(), QStringLiteral("Время"));
        QCOMPARE(form->mnu_rus->text(), QStringLiteral("Русский"));
        QCOMPARE(form->Label_Lev->caption(),
                 QStringLiteral("Уровень 6\r\n%1x%2").arg(form->lvl_lines[5]).arg(form->lvl_time[5]));
        write_file(cfg(), cfg_file("Yes", "Yes", "5", "Eng"));
        auto english = load_form(svc_);
        QCOMPARE(english->Picture1->image(), switched);
        if (!form->score_names[0].isEmpty() || form->score_values[0] != 0 || switched != russian) {
            // Once the score table is drawn, its headings differ between the languages.
            QVERIFY(switched != russian);
        }
    }

    void choosingTheCheckedLanguageAgainRedrawsAndMarks() {
        write_file(cfg(), cfg_file("Yes", "Yes", "5", "Eng"));
        auto form = load_form(svc_);
        QCOMPARE(form->settings_changed, kFalse);
        form->Picture1->fillRect(0, 0, 160, 336, plat::rgb(255, 255, 255));
        form->mnu_eng_Click();
        QCOMPARE(form->Picture1->pixel(80, 330), plat::rgb(0, 0, 0));
        QCOMPARE(form->settings_changed, kTrue);
        QVERIFY(form->mnu_eng->isChecked());
    }

    void menusAndButtonsAnswerTheRealInput() {
        // Through the window system's own paths: a menu item chosen, a mouse click on a face.
        write_file(cfg(), cfg_file("Yes", "Yes", "0", "Rus"));
        auto form = load_form(svc_);
        for (int twice = 0; twice < 2; ++twice) {
            form->mnu_eng->trigger(); // choosing the checked item again keeps its mark
            QCOMPARE(lang_rus, kFalse);
            QVERIFY(form->mnu_eng->isChecked());
            QVERIFY(!form->mnu_rus->isChecked());
        }
        QCOMPARE(form->Label_Time->caption(), QStringLiteral("Time"));
        form->mnu_rus->trigger();
        QCOMPARE(lang_rus, kTrue);
        QVERIFY(form->mnu_rus->isChecked());
        QVERIFY(!form->mnu_eng->isChecked());
        form->settings_changed = kFalse;

        QTest::mouseClick(form->knopup, Qt::LeftButton, {}, QPoint(12, 8));
        QCOMPARE(form->level, Integer(1));
        QCOMPARE(form->knopup->topFace(), 1);
        QTest::mouseClick(form->knopsound, Qt::LeftButton, {}, QPoint(20, 10));
        QCOMPARE(form->sound_on, kFalse);
        QCOMPARE(form->knopsound->topFace(), 1);
        QCOMPARE(form->settings_changed, kTrue);
        svc_.advance(200);
        QCOMPARE(form->knopup->topFace(), 0);
        QTest::mouseClick(form->knoppause, Qt::LeftButton, {}, QPoint(20, 10)); // greyed
        QCOMPARE(form->knop_busy, kFalse);
        QTest::mouseClick(form->knopdown, Qt::LeftButton, {}, QPoint(12, 8));
        QCOMPARE(form->level, Integer(0));
        QVERIFY(form->Picture1->hasKeyFocus()); // a click on a button leaves the keyboard where it was
        form->mnu_about->trigger();
        QVERIFY(shown(form->about_box));
        form->Ctrls->trigger();
        QVERIFY(shown(form->keys_box));
    }

    // ------------------------------------------------------------ closing

    void closingWithNoGameAsksNothing() {
        write_file(cfg(), kDefaultFile);
        auto form = load_form(svc_);
        form->close();
        QVERIFY(svc_.messages.empty());
        QVERIFY(form->unloaded());
        QVERIFY(!form->isVisible());
        for (plat::Timer *t : {form->Play_Tmr_Vert.get(), form->knop_prs.get(), form->Stk_output.get(),
                               form->open_win.get(), form->Timer1.get(), form->Timer_Wait.get(), form->Timer2.get()}) {
            QVERIFY(!t->enabled());
        }
    }

    void closingAgainAfterTheEndDoesNothingMore() {
        FaultyFiles files;
        svc_.setFileSystem(&files);
        auto form = load_form(svc_); // no file: written at exit
        form->game_on = kTrue;
        form->close();
        QCOMPARE(svc_.messages.size(), size_t(2)); // not found, then the question
        QCOMPARE(files.writes, 1);
        form->show();
        form->close();
        form->unload_main_window();
        Integer cancel = 0;
        form->Form_Unload(cancel);
        QCOMPARE(svc_.messages.size(), size_t(2));
        QCOMPARE(files.writes, 1);
        QVERIFY(!form->isVisible());
    }

    void answeringNoKeepsEveryTimerAsItWas() {
        write_file(cfg(), kDefaultFile);
        auto form = load_form(svc_);
        form->game_on = kTrue;
        form->Play_Tmr_Vert->setInterval(120);
        form->Play_Tmr_Vert->setEnabled(true);
        form->Timer1->setInterval(1000);
        form->Timer1->setEnabled(true);
        form->open_win->setInterval(20);
        form->open_win->setEnabled(false);
        form->Timer_Wait->setInterval(100);
        form->Timer_Wait->setEnabled(true);
        struct State {
            bool on;
            int ms;
            bool operator==(const State &) const = default;
        };
        const auto states = [&] {
            std::vector<State> s;
            for (plat::Timer *t :
                 {form->Play_Tmr_Vert.get(), form->knop_prs.get(), form->Stk_output.get(), form->open_win.get(),
                  form->Timer1.get(), form->Timer_Wait.get(), form->Timer2.get()}) {
                s.push_back({t->enabled(), t->interval()});
            }
            return s;
        };
        const std::vector<State> before = states();
        std::vector<State> during;
        svc_.onMessage = [&](const plat::VirtualServices::Shown &) { during = states(); };
        svc_.answers.push_back(plat::kAnswerNo);
        form->Picture2->takeFocus();
        form->close();
        svc_.onMessage = nullptr;
        QCOMPARE(svc_.messages.size(), size_t(1));
        QCOMPARE(svc_.messages[0].text, QStringLiteral("Game not finished! Quit?"));
        QCOMPARE(svc_.messages[0].style, int(plat::kMsgYesNoQuestion));
        QCOMPARE(svc_.messages[0].title, QStringLiteral("Clockwell"));
        for (const State &s : during) {
            QVERIFY(!s.on); // all frozen while the question is open
        }
        QVERIFY(states() == before);
        QVERIFY(form->isVisible());
        QVERIFY(!form->unloaded());
        QCOMPARE(form->quit_pending, kFalse);
        QVERIFY(form->Picture1->hasKeyFocus());
    }

    void closingDuringTheIntroAsks() {
        write_file(cfg(), kDefaultFile);
        auto form = load_form(svc_);
        form->game_on = kFalse;
        form->Stk_output->setInterval(50);
        form->Stk_output->setEnabled(true);
        form->close();
        QCOMPARE(svc_.messages.size(), size_t(1));
        QCOMPARE(form->quit_pending, kTrue);
        QVERIFY(form->unloaded());
        QVERIFY(!form->Stk_output->enabled());
    }

    void closingTheWindowClosesTheHelpBoxes() {
        write_file(cfg(), kDefaultFile);
        auto form = load_form(svc_);
        form->mnu_about_Click();
        form->Ctrls_Click();
        QPointer<frmAbout> about = form->about_box;
        QPointer<frmAbout1> keys = form->keys_box;
        QVERIFY(shown(about));
        QVERIFY(shown(keys));
        form->close();
        QVERIFY(!shown(about));
        QVERIFY(!shown(keys));
    }

    // ------------------------------------------------------------ Help boxes

    void aboutBoxInBothLanguages() {
        write_file(cfg(), kDefaultFile);
        auto form = load_form(svc_);
        form->move(140, 90);
        form->mnu_about_Click();
        frmAbout *ru = form->about_box;
        QVERIFY(ru != nullptr);
        QCOMPARE(ru->windowTitle(), QStringLiteral("О Clockwell"));
        QCOMPARE(ru->lblVersion->text(), QStringLiteral("Версия 2.0"));
        QVERIFY(ru->lbldescription->text().startsWith(QStringLiteral("  Clockwell от классического blockfall")));
        QVERIFY(
            ru->lbldescription->text().contains(QStringLiteral("игры.\n   Вы можете использовать эту програм- му")));
        QCOMPARE(ru->size(), QSize(281, 357));
        QCOMPARE(ru->minimumSize(), ru->maximumSize());
        QCOMPARE(ru->pos(), form->pos());
        QVERIFY(!ru->isModal());
        QVERIFY(ru->parentWidget() == form.get()); // owned: no task-bar entry of its own
        QVERIFY(!(ru->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(ru->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(ru->cmdOK->isDefault());
        QCOMPARE(ru->lblTitle->text(), QStringLiteral("Clockwell"));
        QCOMPARE(ru->lblTitle->palette().color(QPalette::WindowText), QColor(230, 0, 0));
        QCOMPARE(ru->lblTitle->font().pixelSize(), 16); // 12 points at 96 dots per inch
        QVERIFY(ru->lblTitle->font().bold());
        QCOMPARE(ru->lblTitle->geometry(), QRect(61, 16, 99, 16));
        QCOMPARE(ru->lblVersion->geometry(), QRect(61, 38, 155, 15));
        QCOMPARE(ru->lbldescription->geometry(), QRect(16, 88, 249, 168));
        QVERIFY(ru->lbldescription->wordWrap());

        QVERIFY(ru->lbldescription->heightForWidth(ru->lbldescription->width()) <= ru->lbldescription->height());
        // Choosing the item again brings the same box forward.
        form->mnu_about_Click();
        QCOMPARE(form->about_box.data(), ru);

        // A switch leaves the open box alone; a box opened after it is English.
        form->mnu_eng_Click();
        QCOMPARE(ru->windowTitle(), QStringLiteral("О Clockwell"));
        ru->cmdOK->click();
        QVERIFY(!ru->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(form->about_box.isNull());
        form->mnu_about_Click();
        frmAbout *en = form->about_box;
        QCOMPARE(en->windowTitle(), QStringLiteral("About Clockwell"));
        QCOMPARE(en->lblVersion->text(), QStringLiteral("Version 2.0"));
        QCOMPARE(en->lbldescription->text(),
                 QStringLiteral("  Clockwell differs from the classic blockfall in that it is necessary to fill in a "
                                "given number of lines in a given time. The time and number of lines vary depending "
                                "on the level of the complexity of the game.\n   The program is absolutely free. You "
                                "can use it as you like. The author is not responsible for any consequences of using "
                                "this program."));
        // The description fits its panel.
        const QLabel *d = en->lbldescription;
        QVERIFY(d->heightForWidth(d->width()) <= d->height());
    }

    void enterAndEscCloseBothBoxes() {
        write_file(cfg(), kDefaultFile);
        auto form = load_form(svc_);
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
            form->mnu_about_Click();
            form->Ctrls_Click();
            QDialog *boxes[] = {form->about_box, form->keys_box};
            for (QDialog *b : boxes) {
                QVERIFY(b->isVisible());
                QTest::keyClick(b, key);
                QVERIFY2(!b->isVisible(), key == Qt::Key_Return ? "Enter" : "Esc");
            }
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(form->about_box.isNull());
            QVERIFY(form->keys_box.isNull());
        }
    }

    // Every caption of the key box is seen whole: each line fits its width
    // and its lines fit its height, inside the box.
    static void captionsFit(const frmAbout1 *box) {
        for (const QLabel *l : box->Label1) {
            const QStringList lines = l->text().split(QLatin1Char('\n'));
            for (const QString &line : lines) {
                QVERIFY2(l->fontMetrics().horizontalAdvance(line) <= l->width(), qPrintable(line));
            }
            QVERIFY2(l->fontMetrics().lineSpacing() * lines.size() <= l->height() + 2, qPrintable(l->text()));
            QVERIFY(l->geometry().right() < box->width());
        }
    }

    void controlKeysBoxInBothLanguages() {
        write_file(cfg(), kDefaultFile);
        auto form = load_form(svc_);
        form->Ctrls_Click();
        frmAbout1 *ru = form->keys_box;
        QCOMPARE(ru->windowTitle(), QStringLiteral("Clockwell: yпр. клавиши"));
        QCOMPARE(ru->lblTitle->text(), QStringLiteral("Управляющие клавиши:"));
        QCOMPARE(ru->size(), QSize(207, 283));
        QCOMPARE(ru->pos(), form->pos());
        QStringList texts;
        for (QLabel *l : ru->Label1) {
            texts << QString(l->text()).replace(QLatin1Char('\n'), QLatin1Char(' '));
        }
        QCOMPARE(texts, QStringList({"Влево", "Вправо", "Вращать", "Уронить", "Пуск игры", "Пауза", "Следущ. Вкл/Выкл",
                                     "Звук Вкл/Выкл", "Уровень+", "Уровень-", "Выход"}));
        captionsFit(ru);
        form->Ctrls_Click();
        QCOMPARE(form->keys_box.data(), ru);
        ru->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        form->mnu_eng_Click();
        form->Ctrls_Click();
        frmAbout1 *en = form->keys_box;
        QCOMPARE(en->windowTitle(), QStringLiteral("Clockwell: control keys"));
        QCOMPARE(en->lblTitle->text(), QStringLiteral("Control keys:"));
        texts.clear();
        for (QLabel *l : en->Label1) {
            texts << QString(l->text()).replace(QLatin1Char('\n'), QLatin1Char(' '));
        }
        QCOMPARE(texts, QStringList({"Left", "Right", "Rotate", "Drop", "Start game", "Pause", "Next On/Off",
                                     "Sound On/Off", "Level+", "Level-", "Exit"}));
        captionsFit(en);
        QCOMPARE(en->Label1[4]->geometry(), QRect(56, 190, 35, 33));
        QCOMPARE(en->Label1[6]->geometry().topLeft(), QPoint(144, 60));
        QCOMPARE(en->Label1[7]->geometry().topLeft(), QPoint(144, 93));
        QCOMPARE(en->Label1[4]->text(), QStringLiteral("Start\ngame"));
        QCOMPARE(en->Label1[6]->text(), QStringLiteral("Next\nOn/Off"));
        QCOMPARE(en->keys[4]->geometry(), QRect(8, 160, 44, 26));
        QCOMPARE(en->keys[11]->geometry(), QRect(110, 192, 29, 26));
        QVERIFY(en->cmdOK->isDefault());
        QCOMPARE(en->cmdOK->geometry(), QRect(60, 248, 84, 23));
    }

    void keyPicturesHaveTheirCapEdgesAndASymbol() {
        using Key = frmAbout1::Key;
        const std::pair<Key, QSize> all[] = {{Key::Left, {23, 26}}, {Key::Right, {23, 26}}, {Key::Up, {23, 26}},
                                             {Key::Down, {23, 26}}, {Key::Space, {44, 26}}, {Key::Enter, {44, 26}},
                                             {Key::P, {23, 24}},    {Key::F2, {23, 24}},    {Key::F3, {23, 24}},
                                             {Key::Plus, {23, 24}}, {Key::Minus, {23, 24}}, {Key::Esc, {29, 26}}};
        for (const auto &[k, size] : all) {
            const QImage img = frmAbout1::keyPicture(k, size.width(), size.height());
            const int w = size.width();
            const int h = size.height();
            QCOMPARE(img.size(), size);
            for (int y = 3; y < h - 3; ++y) {
                QCOMPARE(QColor(img.pixel(1, y)), QColor(255, 255, 255));     // lit left edge
                QCOMPARE(QColor(img.pixel(w - 2, y)), QColor(128, 128, 128)); // shaded right edge
            }
            for (int x = 3; x < w - 3; ++x) {
                QCOMPARE(QColor(img.pixel(x, 1)), QColor(255, 255, 255));     // lit top edge
                QCOMPARE(QColor(img.pixel(x, h - 2)), QColor(128, 128, 128)); // shaded bottom edge
            }
            QCOMPARE(QColor(img.pixel(3, 3)), QColor(225, 229, 176)); // the cap
            int dark = 0;
            for (int y = 3; y < h - 3; ++y) {
                for (int x = 3; x < w - 3; ++x) {
                    dark += qGray(img.pixel(x, y)) < 80 ? 1 : 0;
                }
            }
            QVERIFY2(dark >= 6, qPrintable(QString::number(int(k))));
        }
        // The arrows point their own ways: the left one is the right one mirrored.
        const QImage left = frmAbout1::keyPicture(Key::Left, 23, 26);
        const QImage right = frmAbout1::keyPicture(Key::Right, 23, 26);
        QVERIFY(left != right);
        int differ = 0;
        for (int y = 3; y < 23; ++y) {
            for (int x = 3; x < 20; ++x) {
                const bool a = qGray(left.pixel(x, y)) < 80;
                const bool b = qGray(right.pixel(22 - x, y)) < 80;
                differ += a != b ? 1 : 0;
            }
        }
        QVERIFY2(differ <= 2, qPrintable(QString::number(differ)));
    }

    void screenshots() {
        // Pictures of the window and the boxes for a person to look at.
        const QString out = QStringLiteral(CLOCKWELL_SCREENSHOT_DIR);
        QVERIFY(QDir().mkpath(out));
        for (const bool rus : {true, false}) {
            write_file(cfg(), cfg_file("Yes", "No", "4", rus ? "Rus" : "Eng"));
            auto form = load_form(svc_);
            const QString lang = rus ? QStringLiteral("rus") : QStringLiteral("eng");
            QVERIFY(form->grab().save(out + QStringLiteral("/shell_main_%1.png").arg(lang)));
            form->mnu_about_Click();
            QVERIFY(form->about_box->grab().save(out + QStringLiteral("/shell_about_%1.png").arg(lang)));
            form->Ctrls_Click();
            QVERIFY(form->keys_box->grab().save(out + QStringLiteral("/shell_keys_%1.png").arg(lang)));
        }
    }

    // ------------------------------------------------------------ sound cues

    void noisePlayStopsThenPlays() {
        write_file(cfg(), kDefaultFile);
        auto form = load_form(svc_);
        const QByteArray a = "first clip";
        const QByteArray b = "second clip";
        form->NoisePlay(a, 1);
        form->NoisePlay(b, 1);
        const auto &calls = svc_.recording_sound.calls;
        QCOMPARE(calls.size(), size_t(4));
        QVERIFY(!calls[0].play);
        QVERIFY(calls[1].play && calls[1].wav == a);
        QVERIFY(!calls[2].play);
        QVERIFY(calls[3].play && calls[3].wav == b);
    }

    void aLongClipIsLoadedOnlyWhenSoundIsOn() {
        write_file(cfg(), cfg_file("No", "Yes", "0", "Rus"));
        auto form = load_form(svc_);
        form->play_long_clip(108);
        QVERIFY(form->snd_long.isEmpty());
        QVERIFY(svc_.recording_sound.calls.empty());
        form->knopsound_Click(0);
        form->play_long_clip(108);
        QCOMPARE(form->snd_long, plat::loadCustom(108));
        const auto &calls = svc_.recording_sound.calls;
        QVERIFY(!calls.empty());
        QVERIFY(!calls.front().play); // the old clip is stopped before its bytes are replaced
        if (!form->snd_long.isEmpty()) {
            QVERIFY(calls.back().play && calls.back().wav == plat::loadCustom(108));
        }
        form->play_long_clip(106);
        QCOMPARE(form->snd_long, plat::loadCustom(106));
        // Switching the sound off does not stop what plays.
        const size_t n = calls.size();
        form->knopsound_Click(0);
        QCOMPARE(calls.size(), n);
    }

    void theShortClipsAreTheBuiltInOnes() {
        write_file(cfg(), kDefaultFile);
        auto form = load_form(svc_);
        QCOMPARE(form->snd_land, plat::loadCustom(101));
        QCOMPARE(form->snd_lines1, plat::loadCustom(102));
        QCOMPARE(form->snd_lines4, plat::loadCustom(105));
        QCOMPARE(form->snd_close, plat::loadCustom(109));
        QVERIFY(form->snd_long.isEmpty());
    }

    // ------------------------------------------------------------ audio device

    void wavImagesAreReadOrRefused() {
        const QByteArray samples = QByteArray::fromHex("80ff0040");
        const auto clip = plat::parseWav(make_wav(11025, 1, 8, samples));
        QVERIFY(clip.has_value());
        QCOMPARE(clip->rate, 11025);
        QCOMPARE(clip->channels, 1);
        QCOMPARE(clip->bits, 8);
        QCOMPARE(clip->samples, samples);

        QByteArray with_list = make_wav(8000, 1, 8, samples);
        // An extra chunk of odd length before the data is skipped with its pad byte.
        with_list.insert(36, QByteArray("LIST\x03\x00\x00\x00"
                                        "abc\x00",
                                        12));
        const auto listed = plat::parseWav(with_list);
        QVERIFY(listed.has_value());
        QCOMPARE(listed->samples, samples);

        QByteArray cut = make_wav(8000, 1, 8, QByteArray(100, '\x80'));
        cut.chop(40);
        QCOMPARE(plat::parseWav(cut)->samples.size(), qsizetype(60)); // plays what it has

        QVERIFY(!plat::parseWav(QByteArray()).has_value());
        QVERIFY(!plat::parseWav(make_wav(8000, 1, 8, samples).left(30)).has_value());
        QVERIFY(!plat::parseWav(make_wav(8000, 1, 8, samples, 3)).has_value()); // floating point
        QVERIFY(!plat::parseWav(make_wav(8000, 1, 24, samples)).has_value());
        QVERIFY(!plat::parseWav(make_wav(8000, 0, 8, samples)).has_value());
        QVERIFY(!plat::parseWav(make_wav(8000, 1, 8, QByteArray())).has_value());
        QByteArray riff = make_wav(8000, 1, 8, samples);
        riff[0] = 'X';
        QVERIFY(!plat::parseWav(riff).has_value());
        // A chunk claiming to be longer than the file does not run past its end.
        QByteArray huge = make_wav(8000, 1, 8, samples);
        huge[16] = '\xff';
        huge[17] = '\xff';
        QVERIFY(!plat::parseWav(huge).has_value() || plat::parseWav(huge)->samples.size() <= 4);
    }

    void clipsAreConvertedForTheDevice() {
        // A ramp from silence to nearly full scale, 8-bit at 8000 Hz.
        QByteArray ramp;
        for (int i = 0; i < 9; ++i) {
            ramp.append(static_cast<char>(128 + i * 15));
        }
        const plat::PcmClip clip = *plat::parseWav(make_wav(8000, 1, 8, ramp));
        QCOMPARE(plat::convertClip(clip, plat::clipFormat(clip)), ramp); // taken as it is

        QAudioFormat out;
        out.setSampleRate(16000);
        out.setChannelCount(2);
        out.setSampleFormat(QAudioFormat::Int16);
        const QByteArray pcm = plat::convertClip(clip, out);
        QCOMPARE(pcm.size(), qsizetype(18 * 2 * 2));
        for (int i = 0; i < 18; ++i) {
            // Twice the rate: every other output frame lies half-way between two inputs.
            const double src = std::min(i / 2.0, 8.0);
            const int lo = static_cast<int>(src);
            const int hi = std::min(lo + 1, 8);
            const double v = ((lo * 15) + (hi * 15 - lo * 15) * (src - lo)) / 128.0;
            QVERIFY2(std::abs(int16_at(pcm, 2 * i) - std::lround(v * 32767)) <= 1, qPrintable(QString::number(i)));
            QCOMPARE(int16_at(pcm, 2 * i + 1), int16_at(pcm, 2 * i)); // both channels
        }

        // 16-bit stereo to 8-bit mono mixes the channels.
        QByteArray stereo;
        for (const qint16 s : {qint16(16384), qint16(-16384), qint16(32767), qint16(32767)}) {
            stereo.append(reinterpret_cast<const char *>(&s), 2);
        }
        const plat::PcmClip st = *plat::parseWav(make_wav(8000, 2, 16, stereo));
        QAudioFormat mono;
        mono.setSampleRate(8000);
        mono.setChannelCount(1);
        mono.setSampleFormat(QAudioFormat::UInt8);
        const QByteArray mixed = plat::convertClip(st, mono);
        QCOMPARE(mixed.size(), qsizetype(2));
        QCOMPARE(int(static_cast<unsigned char>(mixed[0])), 128);
        QVERIFY(static_cast<unsigned char>(mixed[1]) >= 254);

        // Float output at 44100 Hz: the length follows the rate, values stay in range.
        QAudioFormat f;
        f.setSampleRate(44100);
        f.setChannelCount(1);
        f.setSampleFormat(QAudioFormat::Float);
        const QByteArray fl = plat::convertClip(clip, f);
        QCOMPARE(fl.size(), qsizetype(((9 * 44100 + 7999) / 8000) * 4));
        float last = 0;
        std::memcpy(&last, fl.constData() + fl.size() - 4, 4);
        QVERIFY(std::abs(last - 120.0F / 128.0F) < 1e-3F);
    }

    void theDeviceSinkOfThisMachineIsHarmless() {
        auto sink = plat::createDeviceSoundSink();
        QVERIFY(sink != nullptr);
        QByteArray tone;
        for (int i = 0; i < 400; ++i) {
            tone.append(static_cast<char>(128 + std::lround(60 * std::sin(i * 0.3))));
        }
        QByteArray wav = make_wav(11025, 1, 8, tone);
        sink->play(wav);
        wav.fill('\0'); // the sink plays its own copy
        sink->play(make_wav(8000, 1, 8, tone));
        sink->stop();
        sink->stop();
        sink->play(QByteArray("not a clip"));
        sink->play(QByteArray());
        for (int id = 101; id <= 111; ++id) {
            sink->play(plat::loadCustom(id));
        }
        QCoreApplication::processEvents();
        sink->stop();
        sink.reset();
    }

    void realServicesPlayThroughTheDeviceSink() {
        plat::RealServices real(dir_.path());
        real.sound().play(plat::loadCustom(101));
        real.sound().stop();
        QVERIFY(&real.sound() == &real.sound());
    }
};

QTEST_MAIN(ShellTest)
#include "test_shell.moc"
