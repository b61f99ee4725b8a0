// The embedded pictures, clips and icon: the formats and sizes the game
// relies on, masks that fit their pictures, recognisable colours, and
// committed files that a fresh run of the generator reproduces exactly.
#include "asset_art.h"
#include "platform/resources.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <cstdint>

namespace {

struct BitmapEntry {
    int id;
    int w;
    int h;
};

constexpr BitmapEntry kBitmaps[] = {
    {101, 16, 16}, {102, 16, 16}, {103, 16, 16}, {104, 16, 16}, {105, 16, 16}, {106, 16, 16}, {107, 16, 16},
    {108, 16, 16}, {109, 16, 16}, {110, 16, 16}, {111, 16, 16}, {112, 16, 16}, {113, 41, 21}, {114, 41, 21},
    {115, 41, 21}, {116, 41, 21}, {117, 41, 21}, {118, 41, 21}, {119, 41, 21}, {120, 41, 21}, {121, 41, 21},
    {122, 41, 21}, {123, 24, 17}, {124, 24, 17}, {125, 24, 17}, {126, 24, 17}, {127, 24, 17}, {128, 24, 17},
    {129, 78, 76}, {130, 78, 76}, {131, 40, 18}, {132, 40, 19},
};

struct ClipEntry {
    int id;
    int bytes;
    int rate;
    double seconds;
};

constexpr ClipEntry kClips[] = {
    {101, 420, 11025, 0.034},  {102, 800, 11025, 0.068},  {103, 1048, 11025, 0.091}, {104, 944, 11025, 0.081},
    {105, 1348, 11025, 0.118}, {106, 40820, 8000, 5.097}, {107, 45060, 8000, 5.627}, {108, 101016, 8000, 12.621},
    {109, 4180, 11025, 0.375}, {110, 53496, 8000, 6.681}, {111, 47500, 8000, 5.932},
};

quint32 le(const QByteArray &b, int at, int bytes) {
    quint32 v = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        v = v << 8 | static_cast<quint8>(b[at + i]);
    }
    return v;
}

QByteArray resource(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    return f.readAll();
}

bool is_black(QRgb c) { return (c & 0xFFFFFFU) == 0; }
bool is_white(QRgb c) { return (c & 0xFFFFFFU) == 0xFFFFFFU; }

int count_pixels(const QImage &img, const std::function<bool(QRgb)> &test) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            n += test(img.pixel(x, y)) ? 1 : 0;
        }
    }
    return n;
}

bool reddish(QRgb c) { return qRed(c) > 180 && qGreen(c) < 60 && qBlue(c) < 60; }

} // namespace

class TestAssets : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // ------------------------------------------------------------- formats

    void bitmapsHaveTheirSizesAndDepths() {
        for (const BitmapEntry &e : kBitmaps) {
            const QImage img = plat::loadBitmap(e.id);
            QVERIFY2(!img.isNull(), qPrintable(QString::number(e.id)));
            QCOMPARE(img.size(), QSize(e.w, e.h));
            const QByteArray b = resource(QStringLiteral(":/bmp/%1.bmp").arg(e.id));
            const int bits = e.id == 130 ? 32 : 24;
            const int stride = (e.w * bits / 8 + 3) / 4 * 4;
            QCOMPARE(b.size(), 54 + stride * e.h);
            QVERIFY(b.startsWith("BM"));
            QCOMPARE(le(b, 2, 4), quint32(b.size()));
            QCOMPARE(le(b, 10, 4), 54U);
            QCOMPARE(le(b, 14, 4), 40U);
            QCOMPARE(le(b, 18, 4), quint32(e.w));
            QCOMPARE(le(b, 22, 4), quint32(e.h)); // positive: stored bottom-up
            QCOMPARE(le(b, 26, 2), 1U);
            QCOMPARE(le(b, 28, 2), quint32(bits));
            QCOMPARE(le(b, 30, 4), 0U);
        }
    }

    void clipsHaveTheirFormatsAndLengths() {
        for (const ClipEntry &e : kClips) {
            const QByteArray w = plat::loadCustom(e.id);
            const QString id = QString::number(e.id);
            QCOMPARE(w.size(), e.bytes);
            QVERIFY(w.startsWith("RIFF"));
            QCOMPARE(le(w, 4, 4), quint32(e.bytes - 8));
            QCOMPARE(w.mid(8, 8), QByteArray("WAVEfmt "));
            QCOMPARE(le(w, 16, 4), 16U);
            QCOMPARE(le(w, 20, 2), 1U); // PCM
            QCOMPARE(le(w, 22, 2), 1U); // mono
            QCOMPARE(le(w, 24, 4), quint32(e.rate));
            QCOMPARE(le(w, 28, 4), quint32(e.rate)); // bytes per second
            QCOMPARE(le(w, 32, 2), 1U);              // block align
            QCOMPARE(le(w, 34, 2), 8U);
            QCOMPARE(w.mid(36, 4), QByteArray("data"));
            const quint32 n = le(w, 40, 4);
            QCOMPARE(n, quint32(e.bytes - 44));
            QVERIFY2(std::abs(double(n) / e.rate - e.seconds) < 0.001, qPrintable(id));
            // Audible, never clipped, and ending at rest so the end does not click.
            int lo = 255;
            int hi = 0;
            for (int i = 44; i < w.size(); ++i) {
                lo = std::min(lo, int(quint8(w[i])));
                hi = std::max(hi, int(quint8(w[i])));
            }
            QVERIFY2(hi - lo > 60, qPrintable(id));
            QVERIFY2(lo > 0 && hi < 255, qPrintable(id));
            QVERIFY2(std::abs(int(quint8(w[w.size() - 1])) - 128) <= 1, qPrintable(id));
            QVERIFY2(std::abs(int(quint8(w[44])) - 128) <= 8, qPrintable(id));
        }
    }

    void iconIsThirtyTwoPixelsInSixteenColours() {
        const QImage icon = plat::loadIcon();
        QCOMPARE(icon.size(), QSize(32, 32));
        const int clear = count_pixels(icon, [](QRgb c) { return qAlpha(c) == 0; });
        QVERIFY(clear > 50 && clear < 700);
        const QByteArray b = resource(QStringLiteral(":/icon.ico"));
        QCOMPARE(le(b, 2, 2), 1U); // an icon
        QCOMPARE(le(b, 4, 2), 1U); // one image
        QCOMPARE(quint8(b[6]), quint8(32));
        QCOMPARE(quint8(b[7]), quint8(32));
        QCOMPARE(quint8(b[8]), quint8(16));
        QCOMPARE(le(b, 12, 2), 4U);
        QCOMPARE(le(b, 14, 4) + le(b, 18, 4), quint32(b.size()));
        QCOMPARE(le(b, 22 + 8, 4), 64U); // colour picture and mask stacked
    }

    // -------------------------------------------------------------- trophy

    void masksFitTheirPictures() {
        const QImage cup_mask = plat::loadBitmap(129);
        const QImage cup = plat::loadBitmap(130);
        const QImage crown_mask = plat::loadBitmap(131);
        const QImage crown = plat::loadBitmap(132);
        QCOMPARE(crown.height(), crown_mask.height() + 1);
        for (const auto &[mask, pic] : {std::pair{cup_mask, cup}, std::pair{crown_mask, crown}}) {
            for (int y = 0; y < mask.height(); ++y) {
                for (int x = 0; x < mask.width(); ++x) {
                    const QRgb m = mask.pixel(x, y);
                    QVERIFY(is_black(m) || is_white(m));
                    QVERIFY2(is_black(m) != is_black(pic.pixel(x, y)),
                             qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
                }
            }
            const int w = pic.width() - 1;
            const int h = pic.height() - 1;
            for (const QPoint p : {QPoint(0, 0), QPoint(w, 0), QPoint(0, h), QPoint(w, h)}) {
                QVERIFY(is_black(pic.pixel(p)));
            }
            // A real shape, not a box: a fair share of the area, with black around.
            const int shape = count_pixels(mask, is_black);
            QVERIFY(shape > mask.width() * mask.height() / 4);
            QVERIFY(shape < mask.width() * mask.height() * 3 / 4);
        }
        // The extra crown row adds a little gold, nothing more.
        int extra = 0;
        for (int x = 0; x < crown.width(); ++x) {
            extra += is_black(crown.pixel(x, 18)) ? 0 : 1;
        }
        QVERIFY(extra > 0 && extra < crown.width());
        // Golden: red over green over blue wherever the cup shows.
        const int golden = count_pixels(cup, [](QRgb c) { return qRed(c) > qGreen(c) && qGreen(c) > qBlue(c); });
        QCOMPARE(golden, count_pixels(cup, [](QRgb c) { return !is_black(c); }));
    }

    void trophyOverTheWellKeepsTheBackgroundAroundIt() {
        // AND with the mask, then OR with the picture, over a lit background.
        const QImage mask = plat::loadBitmap(129);
        const QImage cup = plat::loadBitmap(130);
        const QRgb back = qRgb(150, 40, 170);
        for (int y = 0; y < mask.height(); ++y) {
            for (int x = 0; x < mask.width(); ++x) {
                const QRgb shown = ((back & mask.pixel(x, y)) | cup.pixel(x, y)) & 0xFFFFFFU;
                QCOMPARE(shown, (is_black(cup.pixel(x, y)) ? back : cup.pixel(x, y)) & 0xFFFFFFU);
            }
        }
    }

    // --------------------------------------------------------------- cells

    void cellsAreTellApart() {
        const QImage wall = plat::loadBitmap(101);
        const QImage empty = plat::loadBitmap(102);
        const QImage falling = plat::loadBitmap(103);
        const QImage settled = plat::loadBitmap(104);
        QVERIFY(wall != empty && wall != falling && wall != settled && empty != falling && empty != settled &&
                falling != settled);
        const QRgb orange = falling.pixel(8, 8);
        QVERIFY(qRed(orange) > 200 && qGreen(orange) > 90 && qGreen(orange) < 190 && qBlue(orange) < 80);
        const QRgb purple = settled.pixel(8, 8);
        QVERIFY(qRed(purple) > 100 && qBlue(purple) > 100 && qGreen(purple) < 80);
        // The empty cell: a grey dot in the middle of black.
        const QRgb dot = empty.pixel(8, 8);
        QVERIFY(qRed(dot) == qGreen(dot) && qGreen(dot) == qBlue(dot) && qRed(dot) > 60 && qRed(dot) < 200);
        QCOMPARE(count_pixels(empty, [](QRgb c) { return !is_black(c); }), 4);
        // The wall: purple with a dark hole.
        QVERIFY(is_black(wall.pixel(8, 8)));
        const QRgb rim = wall.pixel(2, 8);
        QVERIFY(qRed(rim) > 80 && qBlue(rim) > 80 && qGreen(rim) < 60);
    }

    void explosionGrowsAndBurnsOut() {
        QList<QImage> frames;
        for (int id = 105; id <= 112; ++id) {
            frames.append(plat::loadBitmap(id));
        }
        for (int i = 0; i < frames.size(); ++i) {
            QVERIFY(frames[i] != plat::loadBitmap(104));
            for (int j = 0; j < i; ++j) {
                QVERIFY2(frames[i] != frames[j], qPrintable(QStringLiteral("%1 %2").arg(i).arg(j)));
            }
        }
        auto yellow = [](QRgb c) { return qRed(c) > 200 && qGreen(c) > 180 && qBlue(c) < 150; };
        auto fire = [&](QRgb c) { return yellow(c) || reddish(c) || (qRed(c) > 200 && qBlue(c) < 60); };
        // First a small yellow cross on the purple block.
        QVERIFY(yellow(frames[0].pixel(10, 8)) && yellow(frames[0].pixel(8, 6)));
        QVERIFY(count_pixels(frames[0], yellow) < 30);
        QCOMPARE(frames[0].pixel(1, 8), plat::loadBitmap(104).pixel(1, 8));
        // The fire spreads...
        QVERIFY(count_pixels(frames[4], fire) > count_pixels(frames[2], fire));
        QVERIFY(count_pixels(frames[4], fire) > 120);
        QVERIFY(count_pixels(frames[4], reddish) > 0);
        // ...and leaves a black hole ringed with flames.
        QVERIFY(is_black(frames[7].pixel(8, 8)));
        QVERIFY(count_pixels(frames[7], fire) > 40);
    }

    // ------------------------------------------------------------- buttons

    void buttonFacesShowTheirStates() {
        for (const int raised : {113, 116, 123, 126}) {
            const QImage up = plat::loadBitmap(raised);
            const QImage pressed = plat::loadBitmap(raised + 1);
            const QImage greyed = plat::loadBitmap(raised + 2);
            QVERIFY(up != pressed && up != greyed && pressed != greyed);
            // Lit from the top left when raised, the other way round when pressed.
            const QPoint tl(0, 0);
            const QPoint br(up.width() - 1, up.height() - 1);
            QVERIFY(qGray(up.pixel(tl)) > qGray(up.pixel(br)) + 100);
            QVERIFY(qGray(pressed.pixel(tl)) + 100 < qGray(pressed.pixel(br)));
            QVERIFY(qGray(greyed.pixel(tl)) > qGray(greyed.pixel(br)) + 100);
            // A black symbol on the working faces, none on the greyed one.
            QVERIFY(count_pixels(up, is_black) > 20);
            QVERIFY(count_pixels(greyed, is_black) == 0);
            QCOMPARE(up.pixel(3, up.height() - 4), qRgb(192, 192, 192));
        }
        // Switches: on is pressed in, off is raised and struck through in red.
        for (const int on : {119, 121}) {
            const QImage a = plat::loadBitmap(on);
            const QImage b = plat::loadBitmap(on + 1);
            QVERIFY(a != b);
            QCOMPARE(count_pixels(a, reddish), 0);
            QVERIFY(count_pixels(b, reddish) > 20);
            QVERIFY(qGray(a.pixel(0, 0)) < qGray(a.pixel(40, 20)));
            QVERIFY(qGray(b.pixel(0, 0)) > qGray(b.pixel(40, 20)));
        }
        auto magenta = [](QRgb c) { return qRed(c) > 180 && qBlue(c) > 180 && qGreen(c) < 60; };
        QVERIFY(count_pixels(plat::loadBitmap(121), magenta) >= 4 * 12);
        QVERIFY(count_pixels(plat::loadBitmap(122), magenta) >= 4 * 10);
        // The arrows point their own ways: the up arrow is wide at its lower half.
        const QImage up = plat::loadBitmap(123);
        const QImage down = plat::loadBitmap(126);
        QVERIFY(is_black(up.pixel(7, 8)) && !is_black(up.pixel(7, 5)));
        QVERIFY(is_black(down.pixel(7, 8)) && !is_black(down.pixel(7, 11)));
    }

    // ----------------------------------------------------------- generator

    void generatorReproducesTheCommittedFiles() {
        const QDir committed(QStringLiteral(CLOCKWELL_ASSETS_DIR));
        QStringList expected;
        for (int i = 0; i < 2; ++i) {
            QTemporaryDir dir;
            QVERIFY(dir.isValid());
            std::string error;
            QVERIFY2(art::write_assets(dir.path().toStdString(), error), error.c_str());
            expected.clear();
            for (const art::AssetFile &f : art::all_assets()) {
                const QString name = QString::fromStdString(f.path);
                expected.append(name);
                const QByteArray fresh = resource(dir.filePath(name));
                QVERIFY2(!fresh.isEmpty(), qPrintable(name));
                QVERIFY2(fresh == resource(committed.filePath(name)), qPrintable(name));
                QVERIFY2(fresh == resource(QStringLiteral(":/") + name), qPrintable(name));
            }
        }
        QCOMPARE(expected.size(), 32 + 11 + 1);
        // Nothing stale lies beside them.
        for (const QString &sub : {QStringLiteral("bmp"), QStringLiteral("wav")}) {
            for (const QString &f : QDir(committed.filePath(sub)).entryList(QDir::Files)) {
                QVERIFY2(expected.contains(sub + QLatin1Char('/') + f), qPrintable(f));
            }
        }
    }

    void generatorReportsAnUnwritableFolder() {
        QTemporaryDir dir;
        QFile blocker(dir.filePath(QStringLiteral("file")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        std::string error;
        QVERIFY(!art::write_assets(blocker.fileName().toStdString() + "/out", error));
        QVERIFY(error.find("cannot") != std::string::npos);
    }

    // ---------------------------------------------------------- screenshot

    void contactSheet() {
        // Every picture at four times its size, for a person to look at.
        constexpr int kScale = 4;
        constexpr int kGap = 8;
        QImage sheet(1000, 1250, QImage::Format_RGB32);
        sheet.fill(qRgb(96, 104, 112));
        QPainter p(&sheet);
        int x = kGap;
        int y = kGap;
        int row_h = 0;
        auto place = [&](const QImage &img) {
            const QSize s = img.size() * kScale;
            if (x + s.width() > sheet.width()) {
                x = kGap;
                y += row_h + kGap;
                row_h = 0;
            }
            p.drawImage(QRect(QPoint(x, y), s), img);
            x += s.width() + kGap;
            row_h = std::max(row_h, s.height());
        };
        for (const BitmapEntry &e : kBitmaps) {
            if (e.id == 113 || e.id == 123 || e.id == 129) {
                x = sheet.width(); // a new row per group
            }
            place(plat::loadBitmap(e.id));
        }
        // The trophy as the game shows it: over settled blocks.
        QImage well(160, 120, QImage::Format_RGB32);
        QPainter wp(&well);
        for (int r = 0; r < 8; ++r) {
            for (int c = 0; c < 10; ++c) {
                wp.drawImage(c * 16, r * 16, plat::loadBitmap((r + c) % 3 == 0 ? 104 : 102));
            }
        }
        wp.end();
        auto over = [&](const QImage &mask, const QImage &pic, int ox, int oy) {
            for (int j = 0; j < pic.height(); ++j) {
                for (int i = 0; i < pic.width(); ++i) {
                    QRgb d = well.pixel(ox + i, oy + j);
                    if (j < mask.height()) {
                        d &= mask.pixel(i, j);
                    }
                    well.setPixel(ox + i, oy + j, d | pic.pixel(i, j));
                }
            }
        };
        over(plat::loadBitmap(129), plat::loadBitmap(130), 41, 24);
        over(plat::loadBitmap(131), plat::loadBitmap(132), 60, 4);
        place(well);
        place(plat::loadIcon());
        p.end();
        const QString out = QStringLiteral(CLOCKWELL_SCREENSHOT_DIR);
        QVERIFY(QDir().mkpath(out));
        QVERIFY(sheet.save(out + QStringLiteral("/assets.png")));
    }
};

QTEST_MAIN(TestAssets)
#include "test_assets.moc"
