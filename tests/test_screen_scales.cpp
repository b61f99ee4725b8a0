// Catches faults of picture boxes at 150 % and 200 %: sharp text and lines, whole-pixel pictures, moves between.
#include "support/rig.h"
#include <QPainter>
#include <QScreen>
#include <random>

class FormTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void drawnAtTheResolutionOfEachScreenTheBoxIsMovedTo() {
        const QList<QScreen *> screens = QGuiApplication::screens();
        QCOMPARE(words(screens.size(), screens[0]->devicePixelRatio(), screens.back()->devicePixelRatio()),
                 QString("2 1.5 2"));
        QWidget top;
        plat::KeyboardFocus focus;
        plat::PictureBox box(&top, focus);
        box.setOuterGeometry(0, 0, 160, 48);
        top.show();
        QVERIFY(QTest::qWaitForWindowExposed(&top));
        QCOMPARE(box.displayImage().devicePixelRatio(), 1.5); // drawn at 150 % as it goes, then moved to 200 % and back
        box.setBackColor(plat::rgb(255, 255, 255)), box.setFont(QStringLiteral("Arial"), 12, false);
        box.currentX = 3, box.currentY = 2;
        box.print(QStringLiteral("Wg Ё 17"));
        box.currentX = 70, box.currentY = 2; // printed whole, erased a letter at a time as the name box does
        box.print(QStringLiteral("Wo"), false);
        box.setForeColor(plat::rgb(255, 255, 255)), box.currentX = 70;
        box.print(QStringLiteral("W"), false), box.print(QStringLiteral("o"), false);
        box.line(2, 30, 60, 30, plat::rgb(255, 0, 0));
        box.line(71, 5, 71, 35, plat::rgb(0, 0, 255));
        box.setDrawWidth(2), box.line(80, 5, 110, 35, plat::rgb(0, 128, 0));
        QImage mask(2, 2, QImage::Format_RGB32), picture(mask), cell(16, 16, QImage::Format_RGB32);
        mask.fill(Qt::white), picture.fill(Qt::black), cell.fill(QColor(0, 128, 0));
        mask.setPixel(0, 0, 0), mask.setPixel(1, 1, 0), picture.setPixel(0, 0, 0xFF0000), picture.setPixel(1, 1, 0xFF);
        box.blit(124, 4, 2, 2, mask, plat::Rop::And), box.blit(124, 4, 2, 2, picture, plat::Rop::Or);
        box.blit(128, 24, 16, 16, cell, plat::Rop::Copy);
        QCOMPARE(pixels(box.image(), "30,30 30,31 71,20 124,4 125,4 125,5 128,24 143,39 144,39 72,10"),
                 QString("ff0000 ffffff ff ff0000 ffffff ff 8000 8000 ffffff ffffff")); // the game reads 1x
        for (QScreen *screen : {screens[0], screens[1], screens[0]}) {
            top.move(screen->geometry().topLeft() + QPoint(20, 20));
            QVERIFY(QTest::qWaitForWindowExposed(&top));
            const bool two = screen->devicePixelRatio() == 2.0;
            QImage want(two ? QSize(320, 96) : QSize(240, 72), QImage::Format_RGB32);
            want.fill(Qt::white);
            QPainter p(&want);
            // Written out in device pixels: 1x lines at even places are two pixels wide at 150 %, at odd ones one.
            p.fillRect(two ? QRect(4, 60, 116, 2) : QRect(3, 45, 87, 2), Qt::red);
            p.fillRect(two ? QRect(142, 10, 2, 60) : QRect(107, 8, 1, 45), Qt::blue);
            p.fillRect(two ? QRect(248, 8, 2, 2) : QRect(186, 6, 2, 2), Qt::red);
            p.fillRect(two ? QRect(250, 10, 2, 2) : QRect(188, 8, 1, 1), Qt::blue);
            p.fillRect(two ? QRect(256, 48, 32, 32) : QRect(192, 36, 24, 24), QColor(0, 128, 0));
            // The same text and diagonal, drawn here at this ratio.
            p.scale(screen->devicePixelRatio(), screen->devicePixelRatio());
            p.setFont(box.boxFont());
            p.drawText(QPointF(3, 2 + QFontMetricsF(box.boxFont()).ascent()), QStringLiteral("Wg Ё 17"));
            p.setPen(QPen(QColor(0, 128, 0), 2, Qt::SolidLine, Qt::FlatCap));
            p.drawLine(80, 5, 110, 35);
            p.end();
            want.setDevicePixelRatio(screen->devicePixelRatio());
            QCOMPARE(box.grab().toImage().convertToFormat(QImage::Format_RGB32), want);
        }
        // A long game's copies and fills, most hidden by later ones, and masked pictures over them, then a move to
        // 200 %: still the 1x picture with every pixel doubled, whatever the box forgot of what was covered.
        std::mt19937 gen(5);
        for (int i = 0; i < 5000; ++i) {
            const int x = int(gen() % 10) * 16, y = int(gen() % 3) * 16;
            gen() % 2 == 0 ? box.fillRect(x + 3, y + 3, x + 40, y + 30, plat::rgb(int(gen() % 256), 0, 0))
                           : box.blit(x, y, 16, 16, cell, plat::Rop::Copy);
        }
        for (int i = 0; i < 1200; ++i) {
            box.blit(i % 80 * 2, i / 80 * 3, 2, 2, mask, plat::Rop::And);
            box.blit(i % 80 * 2, i / 80 * 3, 2, 2, picture, plat::Rop::Or);
        }
        top.move(screens[1]->geometry().topLeft() + QPoint(20, 20));
        QVERIFY(QTest::qWaitForWindowExposed(&top));
        QImage doubled = box.image().scaled(320, 96).convertToFormat(QImage::Format_RGB32);
        doubled.setDevicePixelRatio(2.0);
        QCOMPARE(box.displayImage().convertToFormat(QImage::Format_RGB32), doubled);
    }
};

int main(int argc, char *argv[]) {
    QTemporaryDir dir; // two screens side by side; without them the first check fails
    QFile json(dir.filePath("screens.json"));
    json.open(QIODevice::WriteOnly);
    json.write(R"({"screens": [{"name": "left"}, {"name": "right", "x": 800}]})"); // 800 x 600 each
    json.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + json.fileName().toLocal8Bit());
    qputenv("QT_SCREEN_SCALE_FACTORS", "left=1.5;right=2");
    QApplication app(argc, argv);
    FormTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_screen_scales.moc"
