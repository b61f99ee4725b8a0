// Catches faults of the picture boxes on scaled screens: text and lines drawn at the screen's own resolution,
// pictures enlarged as whole pixels with their masks still meaning what they meant, text erased by printing it
// again, and a move to a screen of another scale that keeps what the box holds. Two offscreen screens, at 150 %
// and at 200 %.
#include "support/rig.h"

#include "platform/keyboard.h"
#include "platform/picture_box.h"

#include <QPainter>
#include <QScreen>
#include <QWindow>

class FormTest : public QObject {
    Q_OBJECT

    // Device pixels of an image set to one colour.
    static void paint(QImage &img, const QRect &r, const QColor &c) {
        for (int y = r.top(); y <= r.bottom(); ++y) {
            for (int x = r.left(); x <= r.right(); ++x) {
                img.setPixel(x, y, c.rgb());
            }
        }
    }

private Q_SLOTS:
    void drawnAtTheResolutionOfEachScreenTheBoxIsMovedTo() {
        const QList<QScreen *> screens = QGuiApplication::screens();
        QCOMPARE(screens.size(), 2);
        QCOMPARE(words(screens[0]->devicePixelRatio(), screens[1]->devicePixelRatio()), QString("1.5 2"));
        QWidget top;
        plat::KeyboardFocus focus;
        plat::PictureBox box(&top, focus);
        box.setOuterGeometry(0, 0, 160, 48);
        top.setGeometry(QRect(screens[0]->geometry().topLeft() + QPoint(20, 20), QSize(160, 48)));
        top.show();
        QVERIFY(QTest::qWaitForWindowExposed(&top));

        const QColor white(255, 255, 255), red(255, 0, 0), blue(0, 0, 255), green(0, 128, 0);
        box.setBackColor(plat::rgb(255, 255, 255));
        box.setFont(QStringLiteral("Arial"), 12, false);
        box.currentX = 3;
        box.currentY = 2;
        box.print(QStringLiteral("Wg Ё 17"));
        // A word printed whole, then erased a letter at a time as the name box does.
        box.currentX = 70;
        box.currentY = 2;
        box.print(QStringLiteral("Wo"));
        box.setForeColor(plat::rgb(255, 255, 255));
        box.currentX = 70;
        box.currentY = 2;
        box.print(QStringLiteral("W"), false);
        box.print(QStringLiteral("o"), false);
        box.line(2, 30, 60, 30, plat::rgb(255, 0, 0));
        box.line(71, 5, 71, 35, plat::rgb(0, 0, 255));
        box.setDrawWidth(2);
        box.line(80, 5, 110, 35, plat::rgb(0, 128, 0));
        // An AND mask then an OR picture of 2 x 2 pixels, and a 16 x 16 cell.
        QImage mask(2, 2, QImage::Format_RGB32), picture(2, 2, QImage::Format_RGB32),
            cell(16, 16, QImage::Format_RGB32);
        mask.fill(white);
        mask.setPixel(0, 0, 0), mask.setPixel(1, 1, 0);
        picture.fill(Qt::black);
        picture.setPixel(0, 0, red.rgb()), picture.setPixel(1, 1, blue.rgb());
        cell.fill(green);
        box.blit(124, 4, 2, 2, mask, plat::Rop::And);
        box.blit(124, 4, 2, 2, picture, plat::Rop::Or);
        box.blit(128, 24, 16, 16, cell, plat::Rop::Copy);

        // The game reads the box at 1x whatever the screen.
        QCOMPARE(pixels(box.image(), "30,30 30,31 71,20 124,4 125,4 125,5 128,24 143,39 144,39"),
                 QString("ff0000 ffffff ff ff0000 ffffff ff 8000 8000 ffffff"));
        for (QScreen *screen : screens) {
            if (top.screen() != screen) {
                top.windowHandle()->setScreen(screen);
                top.move(screen->geometry().topLeft() + QPoint(20, 20));
                QVERIFY(QTest::qWaitForWindowExposed(&top));
            }
            const double r = screen->devicePixelRatio();
            const bool two = r == 2.0;
            // The same text and the diagonal drawn here at this ratio; the rest written out in device pixels.
            QImage want(two ? QSize(320, 96) : QSize(240, 72), QImage::Format_RGB32);
            want.fill(white);
            want.setDotsPerMeterX(3780), want.setDotsPerMeterY(3780);
            want.setDevicePixelRatio(r);
            {
                QPainter p(&want);
                p.setFont(box.boxFont());
                p.setPen(Qt::black);
                p.drawText(QPointF(3, 2 + QFontMetricsF(box.boxFont(), &want).ascent()), QStringLiteral("Wg Ё 17"));
                QPen pen(green);
                pen.setWidth(2);
                pen.setCapStyle(Qt::FlatCap);
                p.setPen(pen);
                p.drawLine(80, 5, 110, 35);
            }
            // 1x lines at even places are two device pixels wide at 150 %, at odd places one.
            paint(want, two ? QRect(4, 60, 116, 2) : QRect(3, 45, 87, 2), red);
            paint(want, two ? QRect(142, 10, 2, 60) : QRect(107, 8, 1, 45), blue);
            paint(want, two ? QRect(248, 8, 2, 2) : QRect(186, 6, 2, 2), red);
            paint(want, two ? QRect(250, 10, 2, 2) : QRect(188, 8, 1, 1), blue);
            paint(want, two ? QRect(256, 48, 32, 32) : QRect(192, 36, 24, 24), green);

            const QImage shown = box.grab().toImage().convertToFormat(QImage::Format_RGB32);
            QCOMPARE(shown.size(), want.size());
            int wrong = 0;
            QPoint first(-1, -1);
            for (int y = 0; y < want.height(); ++y) {
                for (int x = 0; x < want.width(); ++x) {
                    if (shown.pixel(x, y) != want.pixel(x, y) && wrong++ == 0) {
                        first = QPoint(x, y);
                    }
                }
            }
            QCOMPARE(words(r, wrong, first.x(), first.y()), words(r, 0, -1, -1));
        }
    }
};

// Two screens side by side, the first at 150 %, the second at 200 %.
int main(int argc, char *argv[]) {
    QTemporaryDir dir;
    const QString config = dir.filePath("screens.json");
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(R"({"screens": [{"name": "left", "x": 0, "y": 0, "width": 800, "height": 600, "logicalDpi": 96},
                   {"name": "right", "x": 800, "y": 0, "width": 800, "height": 600, "logicalDpi": 96}]})") < 0) {
        qFatal("cannot write %s", qPrintable(config));
    }
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    qputenv("QT_SCREEN_SCALE_FACTORS", "left=1.5;right=2");
    QApplication app(argc, argv);
    FormTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_screen_scales.moc"
