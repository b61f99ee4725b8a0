// The services the game stands on: the virtual clock, the code page, the
// picture boxes, the keyboard routing and the files.
#include "platform/cp1251.h"
#include "platform/keyboard.h"
#include "platform/picture_box.h"
#include "platform/posix_files.h"
#include "platform/resources.h"
#include "platform/virtual_services.h"

#include <QTemporaryDir>
#include <QTest>

#include <iconv.h>
#include <sys/stat.h>

#include <string>
#include <vector>

using plat::rgb;

class PlatformTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void timersFireInOrderOfDueTimeThenScheduling() {
        plat::VirtualServices clock;
        std::vector<std::string> log;
        auto a = clock.createTimer([&] { log.push_back("a@" + std::to_string(clock.now())); });
        auto b = clock.createTimer([&] { log.push_back("b@" + std::to_string(clock.now())); });
        a->setInterval(30);
        a->setEnabled(true);
        b->setInterval(20);
        b->setEnabled(true);
        clock.advance(60);
        // b at 20, 40, 60; a at 30, 60; at 60 a was scheduled (at 30) before b (at 40).
        const std::vector<std::string> want = {"b@20", "a@30", "b@40", "a@60", "b@60"};
        QCOMPARE(log, want);
        QCOMPARE(clock.now(), qint64(60));
    }

    void timerSwitchesBehaveLikeTheDesktopTimer() {
        plat::VirtualServices clock;
        int ticks = 0;
        auto t = clock.createTimer([&] { ++ticks; });
        t->setEnabled(true); // interval 0 never fires
        clock.advance(1000);
        QCOMPARE(ticks, 0);
        t->setInterval(100); // restarts the countdown from now
        clock.advance(50);
        t->setEnabled(true); // already enabled: no restart
        clock.advance(50);
        QCOMPARE(ticks, 1);
        clock.advance(30);
        t->setInterval(100); // re-timing an enabled timer restarts it
        clock.advance(90);
        QCOMPARE(ticks, 1);
        clock.advance(10);
        QCOMPARE(ticks, 2);
        t->setEnabled(false);
        clock.advance(1000);
        QCOMPARE(ticks, 2);
    }

    void aHandlerThatDisablesItselfIsNotReentered() {
        plat::VirtualServices clock;
        clock.setPumpCost(40);
        int depth = 0;
        int max_depth = 0;
        int other = 0;
        std::unique_ptr<plat::Timer> slow;
        auto fast = clock.createTimer([&] { ++other; });
        slow = clock.createTimer([&] {
            slow->setEnabled(false);
            ++depth;
            max_depth = std::max(max_depth, depth);
            for (int i = 0; i < 5; ++i) {
                clock.pumpEvents(); // 40 ms of virtual time each
            }
            --depth;
            slow->setEnabled(true);
        });
        fast->setInterval(50);
        fast->setEnabled(true);
        slow->setInterval(100);
        slow->setEnabled(true);
        clock.advance(100);
        QCOMPARE(max_depth, 1);
        // The pumps inside the slow tick ran the fast timer at 150, 200, 250, 300.
        QCOMPARE(other, 6);
        QCOMPARE(clock.now(), qint64(300));
        QCOMPARE(clock.pumpCount(), 5);
    }

    void postedEventsArriveAtTheirTimeOrInThePump() {
        plat::VirtualServices clock;
        std::vector<int> seen;
        clock.post([&] { seen.push_back(1); }, 10);
        clock.post([&] { seen.push_back(2); });
        clock.pumpEvents();
        QCOMPARE(seen, std::vector<int>({2}));
        clock.advance(9);
        QCOMPARE(seen.size(), size_t(1));
        clock.advance(1);
        QCOMPARE(seen, std::vector<int>({2, 1}));
        QVERIFY_THROWS_EXCEPTION(std::logic_error, [&] {
            clock.post([&] { clock.advance(1); });
            clock.advance(1);
        }());
    }

    void codePageMatchesTheSystemConverter() {
        iconv_t cd = iconv_open("UTF-16LE", "CP1251");
        QVERIFY(cd != reinterpret_cast<iconv_t>(-1));
        for (int code = 0; code < 256; ++code) {
            if (code == 0x98) {
                continue; // unused in the code page
            }
            char in = static_cast<char>(code);
            char16_t out = 0;
            char *ip = &in;
            auto *op = reinterpret_cast<char *>(&out);
            size_t il = 1;
            size_t ol = 2;
            QVERIFY(iconv(cd, &ip, &il, &op, &ol) != static_cast<size_t>(-1));
            QCOMPARE(plat::fromCp1251(static_cast<unsigned char>(code)).unicode(), out);
            QCOMPARE(plat::toCp1251(QChar(out)), code);
        }
        iconv_close(cd);
        QCOMPARE(plat::toCp1251(QChar(0x4E2D)), -1);
        const QString name = QStringLiteral("Ёжик№1");
        QCOMPARE(plat::decodeCp1251(plat::encodeCp1251(name)), name);
    }

    void linesCoverTheirWidthAndLeaveOutTheEndPoint() {
        QWidget parent;
        plat::KeyboardFocus focus;
        plat::PictureBox box(&parent, focus);
        box.setOuterGeometry(0, 0, 20, 20);
        box.setBackColor(rgb(0, 0, 0));
        box.setDrawWidth(3);
        box.line(2, 10, 12, 10, rgb(192, 192, 192));
        for (int x = 0; x < 20; ++x) {
            for (int y = 0; y < 20; ++y) {
                const bool inside = x >= 2 && x < 12 && y >= 9 && y <= 11;
                QCOMPARE(box.pixel(x, y), inside ? rgb(192, 192, 192) : rgb(0, 0, 0));
            }
        }
        box.cls();
        box.setDrawWidth(2);
        box.line(5, 0, 5, 20, rgb(0, 155, 50));
        QCOMPARE(box.pixel(4, 0), rgb(0, 155, 50));
        QCOMPARE(box.pixel(5, 19), rgb(0, 155, 50));
        QCOMPARE(box.pixel(6, 5), rgb(0, 0, 0));
        QCOMPARE(box.pixel(3, 5), rgb(0, 0, 0));
    }

    void maskedCopiesCombineWithTheBackground() {
        QWidget parent;
        plat::KeyboardFocus focus;
        plat::PictureBox box(&parent, focus);
        box.setOuterGeometry(0, 0, 4, 1);
        box.setBackColor(rgb(0, 0, 255));
        QImage mask(4, 1, QImage::Format_RGB32);
        QImage pic(4, 1, QImage::Format_RGB32);
        mask.setPixel(0, 0, qRgb(255, 255, 255));
        mask.setPixel(1, 0, qRgb(0, 0, 0));
        mask.setPixel(2, 0, qRgb(0, 0, 0));
        mask.setPixel(3, 0, qRgb(255, 255, 255));
        pic.fill(qRgb(0, 0, 0));
        pic.setPixel(1, 0, qRgb(255, 200, 0));
        pic.setPixel(2, 0, qRgb(250, 250, 0));
        box.blit(0, 0, 4, 1, mask, plat::Rop::And);
        box.blit(0, 0, 4, 1, pic, plat::Rop::Or);
        QCOMPARE(box.pixel(0, 0), rgb(0, 0, 255)); // white mask, black picture: background kept
        QCOMPARE(box.pixel(1, 0), rgb(255, 200, 0));
        QCOMPARE(box.pixel(2, 0), rgb(250, 250, 0));
        QCOMPARE(box.pixel(3, 0), rgb(0, 0, 255));
        // A source smaller than the copy leaves the rest alone.
        box.blit(2, 0, 9, 9, QImage(1, 1, QImage::Format_RGB32), plat::Rop::Copy);
        QCOMPARE(box.pixel(3, 0), rgb(0, 0, 255));
    }

    void repaintRequestsNobodyTakesStayBounded() {
        // A long game draws millions of cells; only the latest requests are kept.
        QWidget parent;
        plat::KeyboardFocus focus;
        plat::PictureBox box(&parent, focus);
        box.setOuterGeometry(0, 0, 16, 16);
        for (int i = 0; i < 200000; ++i) {
            box.invalidate(QRect(i % 7, 0, 1, 1));
        }
        box.invalidate(QRect(3, 3, 5, 5));
        const QVector<QRect> kept = box.takeInvalidated();
        QVERIFY(kept.size() > 1000 && kept.size() <= 8192);
        QCOMPARE(kept.back(), QRect(3, 3, 5, 5));
        QVERIFY(box.takeInvalidated().isEmpty());
    }

    void textMeasuresMatchWhatIsDrawn() {
        QWidget parent;
        plat::KeyboardFocus focus;
        plat::PictureBox box(&parent, focus);
        box.setOuterGeometry(0, 0, 200, 80);
        box.setBackColor(rgb(255, 255, 255));
        box.setFont(QStringLiteral("MS Sans Serif"), 12, true);
        box.setForeColor(rgb(0, 0, 0));
        const QString text = QStringLiteral("WWW\r\nW");
        QCOMPARE(box.textHeight(text), 2 * box.textHeight(QStringLiteral("W")));
        QVERIFY(box.textWidth(text) > 2.5 * box.textWidth(QStringLiteral("W")));
        box.print(text);
        int right = -1;
        int bottom = -1;
        for (int y = 0; y < 80; ++y) {
            for (int x = 0; x < 200; ++x) {
                if (box.pixel(x, y) != rgb(255, 255, 255)) {
                    right = std::max(right, x);
                    bottom = std::max(bottom, y);
                }
            }
        }
        QVERIFY(right >= 0);
        QVERIFY(right < box.textWidth(text) + 1);
        QVERIFY(bottom < box.textHeight(text));
        QCOMPARE(box.currentY, box.textHeight(text));
        // Printing the same text again in the background colour erases it.
        box.currentX = box.currentY = 0;
        box.setForeColor(rgb(255, 255, 255));
        box.print(text);
        for (int y = 0; y < 80; ++y) {
            for (int x = 0; x < 200; ++x) {
                QCOMPARE(box.pixel(x, y), rgb(255, 255, 255));
            }
        }
    }

    void keysGoToTheFocusedBoxAndHiddenBoxesLetGo() {
        QWidget parent;
        plat::KeyboardFocus focus;
        plat::PictureBox play(&parent, focus);
        plat::PictureBox msg(&play, focus);
        focus.setFallback(&play);
        std::vector<std::string> log;
        play.onKeyDown = [&](int k, int) {
            log.push_back("play " + std::to_string(k));
            msg.setShown(true);
            msg.takeFocus();
        };
        msg.onKeyDown = [&](int k, int) { log.push_back("msg " + std::to_string(k)); };
        msg.onKeyPress = [&](int c) { log.push_back("msg char " + std::to_string(c)); };
        play.onKeyPress = [&](int c) { log.push_back("play char " + std::to_string(c)); };
        parent.show();
        play.takeFocus();
        focus.deliver(80, 0, 'p');
        // The character goes where the key went down, though the key moved the focus.
        focus.deliver(89, 0, 0xDD);
        QCOMPARE(log, (std::vector<std::string>{"play 80", "play char 112", "msg 89", "msg char 221"}));
        msg.setShown(false);
        QCOMPARE(focus.holder(), &play);
        QKeyEvent cyr(QEvent::KeyPress, 0x0422, Qt::NoModifier, QStringLiteral("т"));
        QCOMPARE(plat::virtualKeyOf(cyr), int(plat::kVkN));
        QCOMPARE(plat::charCodeOf(cyr), 0xF2);
        QKeyEvent pad(QEvent::KeyPress, Qt::Key_Plus, Qt::KeypadModifier, QStringLiteral("+"));
        QCOMPARE(plat::virtualKeyOf(pad), int(plat::kVkAdd));
    }

    void aFailedWriteKeepsTheOldFile() {
        QTemporaryDir dir;
        plat::PosixFileSystem fs;
        const QString path = plat::joinPath(dir.path(), QStringLiteral("f.bin"));
        QVERIFY(!fs.writeAll(path, QByteArray("old")).has_value());
        QCOMPARE(*fs.readAll(path).value, QByteArray("old"));
        QCOMPARE(*fs.size(path).value, qint64(3));
        // A directory in the way of the temporary file makes the write fail.
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("f.bin.new")));
        const auto err = fs.writeAll(path, QByteArray("new content"));
        QVERIFY(err.has_value());
        QCOMPARE(err->number, EISDIR);
        QCOMPARE(*fs.readAll(path).value, QByteArray("old"));
        const auto missing = fs.readAll(path + QStringLiteral("x"));
        QVERIFY(!missing.ok());
        QCOMPARE(missing.error.number, ENOENT);
        QVERIFY(!missing.error.description.isEmpty());
    }

    void aMissingResourceIsReportedAndEveryBuiltInOneLoads() {
        QStringList reports;
        const auto old = plat::setResourceFailureHandler([&](const QString &text) { reports << text; });
        for (int id = 101; id <= 132; ++id) {
            QVERIFY2(!plat::loadBitmap(id).isNull(), qPrintable(QString::number(id)));
        }
        for (int id = 101; id <= 111; ++id) {
            QVERIFY2(plat::loadCustom(id).startsWith("RIFF"), qPrintable(QString::number(id)));
        }
        QCOMPARE(plat::loadIcon().size(), QSize(32, 32));
        QCOMPARE(reports, QStringList{});
        QVERIFY(plat::loadBitmap(133).isNull());
        QVERIFY(plat::loadCustom(100).isEmpty());
        QCOMPARE(reports,
                 (QStringList{QStringLiteral("Resource 133 (bitmap) cannot be loaded: the program is damaged."),
                              QStringLiteral("Resource 100 (CUSTOM) cannot be loaded: the program is damaged.")}));
        plat::setResourceFailureHandler(old);
    }
};

QTEST_MAIN(PlatformTest)
#include "test_platform.moc"
