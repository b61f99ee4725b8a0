// Catches faults of the services the game stands on: message boxes, keys, focus, disk, built-in assets, WAV clips.
#include "support/rig.h"

#include "asset_art.h"
#include "platform/device_sound.h"
#include "platform/real_services.h"

#include <QDataStream>
#include <QDirIterator>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>

#include <sys/stat.h>

class FormTest : public QObject {
    Q_OBJECT

    // A PCM WAV image of these samples.
    static QByteArray wav(int rate, int channels, int bits, const QByteArray &samples, int tag = 1) {
        QByteArray w;
        QDataStream out(&w, QIODevice::WriteOnly);
        out.setByteOrder(QDataStream::LittleEndian);
        out.writeRawData("RIFF", 4);
        out << quint32(36 + samples.size());
        out.writeRawData("WAVEfmt ", 8);
        out << quint32(16) << quint16(tag) << quint16(channels) << quint32(rate) << quint32(rate * channels * bits / 8)
            << quint16(channels * bits / 8) << quint16(bits);
        out.writeRawData("data", 4);
        out << quint32(samples.size());
        return w + samples;
    }

private Q_SLOTS:
    // Esc on a question must answer No, as its No button does; the text is shown as it is, not as markup. A timer
    // enabled before it has an interval must not fire (the window enables some before the load), nor one not enabled.
    void realMessageBoxesAndTimers() {
        plat::RealServices real;
        int fired = 0;
        const auto timer = real.createTimer([&] { ++fired; }), idle = real.createTimer([&] { fired += 100; });
        idle->setInterval(5); // never enabled
        timer->setEnabled(true);
        QTest::qWait(30);
        QCOMPARE(fired, 0);
        timer->setInterval(5);
        QTRY_VERIFY(fired > 2);
        QStringList seen;
        for (const int style : {48, 16, 36}) {
            // Esc on the box once it is up; a box that never comes fails after 5 s instead of hanging the suite
            QTimer poll;
            int ticks = 0;
            QObject::connect(&poll, &QTimer::timeout, [&] {
                auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                if (box != nullptr) {
                    seen << words(box->icon(), box->buttons().size(), box->textFormat(), box->text(),
                                  box->windowTitle());
                    QTest::keyClick(box, Qt::Key_Escape);
                } else if (++ticks > 500) {
                    seen << "no box";
                    QApplication::closeAllWindows();
                } else {
                    return;
                }
                poll.stop();
            });
            poll.start(10);
            seen << QString::number(real.messageBox("<b>x</b>", style, "Clockwell"));
        }
        QCOMPARE(seen.join('|'),
                 QString("2 1 0 <b>x</b> Clockwell|1|3 1 0 <b>x</b> Clockwell|1|4 2 0 <b>x</b> Clockwell|7"));
    }

    // Key / shift / character codes. A Latin label names a letter; another layout's key is the letter at its place on
    // a US keyboard by its native scan code (evdev code + 8), none without one; the character stays the layout's.
    void keysBecomeTheirCodes() {
        const auto codes = [](int key, Qt::KeyboardModifiers mods, const QString &text, quint32 scan = 0) {
            const QKeyEvent e(QEvent::KeyPress, key, mods, scan, 0, 0, text);
            return QString("%1/%2/%3").arg(plat::virtualKeyOf(e)).arg(plat::shiftStateOf(e)).arg(plat::charCodeOf(e));
        };
        QCOMPARE(
            QStringList({codes(Qt::Key_Left, {}, ""), codes(Qt::Key_Plus, Qt::KeypadModifier, "+"),
                         codes(Qt::Key_Plus, Qt::ShiftModifier, "+"), codes(Qt::Key_Minus, Qt::KeypadModifier, "-"),
                         codes(Qt::Key_F3, {}, ""), codes(Qt::Key_A, Qt::ControlModifier, "\x01"),
                         codes(Qt::Key_Enter, Qt::KeypadModifier, "\r"), codes(Qt::Key_Backspace, {}, "\b"),
                         codes(Qt::Key_Escape, Qt::AltModifier, "\x1b"), codes(Qt::Key_5, {}, "5"),
                         codes(Qt::Key_unknown, {}, "€"), codes(Qt::Key_unknown, {}, "中"),
                         codes(Qt::Key_Shift, Qt::ShiftModifier, ""), codes(Qt::Key_Delete, {}, "\x7f"),
                         // us P; de Z, Y; ru Н at Y, Й at Q, Х at [; ru(phonetic) П, Н; el π; fr é at 2; no place
                         codes(Qt::Key_P, {}, "p", 33), codes(Qt::Key_Z, {}, "z", 29), codes(Qt::Key_Y, {}, "Y", 52),
                         codes(0x41d, {}, "н", 29), codes(0x419, {}, "й", 24), codes(0x425, {}, "х", 34),
                         codes(0x41f, {}, "П", 33), codes(0x41d, {}, "н", 57), codes(0x3a0, {}, "π", 33),
                         codes(0xc9, {}, "é", 11), codes(0x41d, {}, "н")})
                .join(' '),
            QString(
                "37/0/-1 107/0/43 187/1/43 109/0/45 114/0/-1 65/2/1 13/0/13 8/0/8 27/4/27 53/0/53 0/0/136 "
                "0/0/301 16/0/-1 0/0/-1 80/0/112 90/0/122 89/0/89 89/0/237 81/0/233 0/0/245 80/0/207 78/0/237 80/0/448 "
                "50/0/489 0/0/237"));
    }

    void theDiskKeepsAFileUntilTheNewOneIsWhole() {
        Rig rig(cfg_file(), scores::defaultFile(), false);
        plat::PosixFileSystem disk;
        const QString path = rig.path("f");
        const mode_t mask = ::umask(022); // the usual mask: a new file is read and written by its owner, read by all
        QVERIFY(!disk.writeAll(path, "old") && (int(QFile::permissions(path)) & 0x7777) == 0x6644);
        ::umask(mask);
        QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions(0x6600)));
        QVERIFY(!disk.writeAll(path, "old")); // the new file keeps the old one's mode
        QCOMPARE(int(QFile::permissions(path)) & 0x7777, 0x6600);
        QCOMPARE(words(disk.writeAll(rig.path("no/such/folder"), "x")->number, disk.remove(path + "x")->number),
                 words(ENOENT, ENOENT));
        QVERIFY(!disk.remove(path) && !disk.exists(path));
        QCOMPARE(QDir(rig.dir.path()).entryList({"f*"}, QDir::Files), QStringList());
    }

    // Generated, committed and embedded assets must be the same files, of the sizes the drawing relies on.
    void theBuiltInPicturesClipsAndIcons() {
        QTemporaryDir dir;
        std::string error;
        QVERIFY2(art::write_assets(dir.path().toStdString(), error), error.c_str());
        QStringList written, committed;
        for (QDirIterator it(dir.path(), QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
            const QString name = QDir(dir.path()).relativeFilePath(it.next());
            written << name;
            const QByteArray fresh = slurp(dir.filePath(name));
            QVERIFY2(!fresh.isEmpty() && fresh == slurp(CLOCKWELL_ASSETS_DIR "/" + name) && fresh == slurp(":/" + name),
                     qPrintable(name));
        }
        for (QDirIterator it(CLOCKWELL_ASSETS_DIR, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
            committed << QDir(CLOCKWELL_ASSETS_DIR).relativeFilePath(it.next());
        }
        written.sort();
        committed.sort();
        QCOMPARE(committed, written); // nothing stale beside them
        QCOMPARE(written.size(), 32 + 11 + 1 + 8);
        QString sizes;
        for (int id = 101; id <= 132; ++id) { // 24 bits a pixel, the golden cup 32
            const QImage b = plat::loadBitmap(id);
            sizes += words(b.width(), b.height(), int(uchar(slurp(QString(":/bmp/%1.bmp").arg(id))[28]))) + "|";
        }
        QCOMPARE(sizes, QString("16 16 24|").repeated(12) + QString("41 21 24|").repeated(10) +
                            QString("24 17 24|").repeated(6) + "78 76 24|78 76 32|40 18 24|40 19 24|");
        QStringList said;
        const auto old = plat::setResourceFailureHandler([&](const QString &text) { said << text; });
        QVERIFY(plat::loadBitmap(133).isNull() && plat::loadCustom(100).isEmpty());
        plat::setResourceFailureHandler(old);
        QCOMPARE(said, (QStringList{"Resource 133 (bitmap) cannot be loaded: the program is damaged.",
                                    "Resource 100 (CUSTOM) cannot be loaded: the program is damaged."}));
    }

    void wavClipsAreReadOrRefused() {
        const auto clip = plat::parseWav(plat::loadCustom(101));
        QCOMPARE(clip ? words(clip->rate, clip->channels, clip->bits, clip->samples.size()) : "none",
                 QString("11025 1 8 376"));
        const QByteArray good = wav(8000, 2, 16, QByteArray(8, '\1'));
        QCOMPARE(plat::parseWav(good)->samples.size(), 8);
        QCOMPARE(plat::parseWav(good.chopped(3))->samples.size(), 4); // cut short: the whole frames it has
        for (const QByteArray &b :
             {QByteArray(good).replace(0, 4, "RIFX"), QByteArray(good).replace(8, 4, "WAVF"),
              QByteArray(good).replace(12, 4, "fmtx"), QByteArray(good).replace(16, 1, "\x0f"),
              QByteArray(good).replace(36, 4, "date"), good.left(11), wav(8000, 1, 8, "ab", 3), wav(8000, 1, 24, "abc"),
              wav(8000, 0, 8, "ab"), wav(999, 1, 8, "ab"), wav(8000, 9, 8, "abcdefghi"), wav(8000, 2, 16, "abc")}) {
            QVERIFY(!plat::parseWav(b).has_value());
        }
        QByteArray padded = wav(8000, 1, 8, "a");
        padded.insert(36, QByteArray("fmtx\3\0\0\0xyz\0", 12)); // an odd chunk, padded to even, not "fmt "
        QCOMPARE(plat::parseWav(padded)->samples, QByteArray("a"));
    }

    // Any right conversion keeps silence, full scale and the length the rates ask; a mono device hears both channels.
    void clipsAreConvertedForTheDevice() {
        for (const auto &[bits, channels, zero, up, down] :
             {std::tuple{8, 1, "\x80", "\xff", "\0"}, {16, 2, "\xff\x7f\0\x80", "\xff\x7f\xff\x7f", "\0\x80\0\x80"}}) {
            for (const int rate : {8000, 16000, 4000}) {
                for (const auto &[size, kind] :
                     {std::pair{1, QAudioFormat::UInt8}, {2, QAudioFormat::Int16}, {4, QAudioFormat::Float}}) {
                    QAudioFormat device;
                    device.setSampleRate(rate);
                    device.setChannelCount(3 - channels);
                    device.setSampleFormat(kind);
                    for (const auto &[sample, low] : {std::pair{zero, -0.01}, {up, 0.98}, {down, -1.01}}) {
                        const QByteArray frame(sample, bits / 8 * channels);
                        const QByteArray out = plat::convertClip({8000, channels, bits, frame.repeated(64)}, device);
                        QCOMPARE(out.size(), 64 * rate / 8000 * (3 - channels) * size);
                        for (qsizetype i = 0; i < out.size(); i += size) {
                            qint16 n = 0;
                            float x = 0;
                            std::memcpy(size == 2 ? static_cast<void *>(&n) : &x, out.constData() + i,
                                        size == 1 ? 0 : size);
                            const double v = size == 1 ? (uchar(out[i]) - 128) / 127.0 : size == 2 ? n / 32767.0 : x;
                            QVERIFY2(v >= low && v <= low + 0.03, qPrintable(words(bits, rate, size, i, v)));
                        }
                    }
                }
            }
        }
        QCOMPARE(plat::convertClip({8000, 1, 8, "\x80"}, QAudioFormat()).size(), 0);
    }
};

QTEST_MAIN(FormTest)
#include "test_platform.moc"
