// What the play area, the preview and the message box show: the pixels of
// their back buffers and the rectangles each drawing refreshes.
#include "test_engine_form.h"

#include "platform/fonts.h"
#include "support/play.h"

#include <QDir>
#include <QFontMetricsF>
#include <QTest>

#include <cmath>

namespace {

class RenderForm : public EngineForm {
public:
    using EngineForm::EngineForm;
    using Form1::blank_box;
    using Form1::Block;
    using Form1::crown;
    using Form1::cup;
    using Form1::draw_next_figure;
    using Form1::draw_trophy;
    using Form1::draw_well_rows;
    using Form1::face_color;
    using Form1::fill_box;
    using Form1::msg_cur_h;
    using Form1::msg_cur_w;
    using Form1::msg_h;
    using Form1::msg_w;
    using Form1::name_typing;
    using Form1::Next_fig_win;
    using Form1::open_msg;
    using Form1::open_win;
    using Form1::paint_filled_cells;
    using Form1::redraw_figure_area;
    using Form1::redraw_well;
    using Form1::toggle_pause;
};
using Rig = BasicRig<RenderForm>;

constexpr plat::Rgb kBackground = plat::rgb(1, 2, 3);

// Twelve cell pictures that tell apart every image and every pixel in it.
void install_test_blocks(RenderForm &f) {
    for (int i = 0; i < 12; ++i) {
        QImage img(16, 16, QImage::Format_RGB32);
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                img.setPixel(x, y, qRgb(20 * i + 5, 8 * y + 3, 8 * x + 1));
            }
        }
        f.Block[static_cast<std::size_t>(i)] = img;
    }
}

// The picture found at pixel (x, y) of a box, or -1 when the 16 x 16 square
// there is not one of the twelve.
int picture_at(const RenderForm &f, const plat::PictureBox &box, int x, int y) {
    for (int i = 0; i < 12; ++i) {
        const QImage &img = f.Block[static_cast<std::size_t>(i)];
        bool same = true;
        for (int dy = 0; dy < 16 && same; ++dy) {
            for (int dx = 0; dx < 16 && same; ++dx) {
                same = (box.image().pixel(x + dx, y + dy) & 0xFFFFFFU) == (img.pixel(dx, dy) & 0xFFFFFFU);
            }
        }
        if (same) {
            return i;
        }
    }
    return -1;
}

int cell_picture(const RenderForm &f, int c, int r) { return picture_at(f, *f.Picture1, 16 * c, 16 * r); }

bool square_is(const plat::PictureBox &box, int x, int y, int w, int h, plat::Rgb color) {
    for (int dy = 0; dy < h; ++dy) {
        for (int dx = 0; dx < w; ++dx) {
            if (box.pixel(x + dx, y + dy) != color) {
                return false;
            }
        }
    }
    return true;
}

QRect bounding(const QVector<QRect> &rects) {
    QRect u;
    for (const QRect &r : rects) {
        u = u.united(r);
    }
    return u;
}

// Cells of the figure as a rectangle of pixels.
QRect figure_pixels(const RenderForm &f) {
    QRect u;
    for (const auto &c : f.cells()) {
        u = u.united(QRect(16 * c[0], 16 * c[1], 16, 16));
    }
    return u;
}

QFont prompt_font() { return plat::gameFont(QStringLiteral("MS Sans Serif"), 12, true); }

// Width and height of a text in the message box's font, measured here
// independently of the box.
QSizeF measure(const QString &text) {
    QImage probe(8, 8, QImage::Format_RGB32);
    probe.setDotsPerMeterX(3780);
    probe.setDotsPerMeterY(3780);
    const QFontMetricsF fm(prompt_font(), &probe);
    const QStringList lines = QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).split(u'\n');
    double w = 0;
    for (const QString &l : lines) {
        w = std::max(w, fm.horizontalAdvance(l));
    }
    return {w, fm.height() * static_cast<double>(lines.size())};
}

// A figure under control, its first move still to come.
bool bring_in_figure(Rig &rig) {
    return rig.run_until(
        [&] { return rig.f().need_fig == kFalse && rig.f().input_locked == kFalse && rig.f().fig[8] > 0; }, 3000);
}

// A full row in the well but for one gap.
void fill_row(RenderForm &f, int y, int gap) {
    for (int x = 1; x <= 8; ++x) {
        f.well(x, y) = static_cast<Integer>(x == gap ? 0 : 3);
    }
}

// The game ends with the level completed, the figure taking the last row.
bool complete_the_level(Rig &rig) {
    RenderForm &f = rig.f();
    f.next_fig = 0; // the bar, upright in column 4
    if (!rig.run_until([&] { return f.game_on == kTrue && f.need_fig == kFalse; }, 1000)) {
        return false;
    }
    fill_row(f, 19, 4);
    f.lines = static_cast<Integer>(f.lvl_lines[0] - 1);
    rig.key(plat::kVkSpace, 32);
    return rig.run_until([&] { return rig.end_message_up(); }, 3000);
}

} // namespace

class RenderTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { lang_rus = kFalse; }

    // ------------------------------------------------------------- the well

    void eachCellValueIsDrawnWithItsPicture() {
        Rig rig;
        RenderForm &f = rig.f();
        install_test_blocks(f);
        f.Picture1->fillRect(0, 0, 160, 336, kBackground);
        const std::array<Integer, 15> values = {0, 1, 2, 3, 4, 5, 6, 7, 101, 102, 103, 104, 105, 106, 107};
        std::size_t n = 0;
        for (int r = 0; r <= 20; ++r) {
            for (int c = 0; c <= 9; ++c) {
                // Walls and floor hold values the repaints must not look at.
                f.well(c, r) = values[n++ % values.size()];
            }
        }
        (void)f.Picture1->takeInvalidated();
        f.redraw_well();
        for (int r = 0; r <= 19; ++r) {
            for (int c = 1; c <= 8; ++c) {
                const Integer v = f.well(c, r);
                const int expected = v == 0 ? 1 : (v < 100 ? 3 : 2);
                QCOMPARE(cell_picture(f, c, r), expected);
            }
        }
        QVERIFY(square_is(*f.Picture1, 0, 0, 16, 336, kBackground));
        QVERIFY(square_is(*f.Picture1, 144, 0, 16, 336, kBackground));
        QVERIFY(square_is(*f.Picture1, 0, 320, 160, 16, kBackground));
        const QVector<QRect> rects = f.Picture1->takeInvalidated();
        QCOMPARE(rects.size(), 160);
        QCOMPARE(bounding(rects), QRect(16, 0, 128, 320));
        for (const QRect &rect : rects) {
            QCOMPARE(rect.size(), QSize(16, 16));
        }

        // The explosion frame paints falling and settled cells alike.
        f.paint_filled_cells(6);
        for (int r = 0; r <= 19; ++r) {
            for (int c = 1; c <= 8; ++c) {
                QCOMPARE(cell_picture(f, c, r), f.well(c, r) == 0 ? 1 : 6);
            }
        }
        QVERIFY(square_is(*f.Picture1, 0, 0, 16, 336, kBackground));
        QVERIFY(square_is(*f.Picture1, 0, 320, 160, 16, kBackground));
    }

    void theIntroGrowsTheWellAboveAMovingFloor() {
        Rig rig;
        RenderForm &f = rig.f();
        install_test_blocks(f);
        f.Picture1->fillRect(0, 0, 160, 336, kBackground);
        Integer rows = 0;
        f.draw_well_rows(rows);
        QCOMPARE(rows, Integer(0));
        for (int c = 0; c <= 9; ++c) {
            QCOMPARE(cell_picture(f, c, 0), 0);
        }
        QVERIFY(square_is(*f.Picture1, 0, 16, 160, 320, kBackground));

        rows = 7;
        f.draw_well_rows(rows);
        for (int r = 0; r < 7; ++r) {
            for (int c = 0; c <= 9; ++c) {
                QCOMPARE(cell_picture(f, c, r), c == 0 || c == 9 ? 0 : 1);
            }
        }
        for (int c = 0; c <= 9; ++c) {
            QCOMPARE(cell_picture(f, c, 7), 0);
        }

        // Played through: twenty ticks leave the empty well on its floor.
        f.Picture1->fillRect(0, 0, 160, 336, kBackground);
        QVERIFY(rig.start_game());
        QVERIFY(f.intro_row >= 20);
        for (int r = 0; r <= 20; ++r) {
            for (int c = 0; c <= 9; ++c) {
                QCOMPARE(cell_picture(f, c, r), c == 0 || c == 9 || r == 20 ? 0 : 1);
            }
        }
    }

    void movesAndRotationsRepaintTheFiguresArea() {
        Rig rig;
        RenderForm &f = rig.f();
        install_test_blocks(f);
        QVERIFY(rig.start_game());
        QVERIFY(bring_in_figure(rig));
        // Away from the right wall so that the move is not refused.
        for (int i = 0; i < 6; ++i) {
            rig.key(plat::kVkLeft);
        }
        const QRect before = figure_pixels(f);
        (void)f.Picture1->takeInvalidated();
        rig.key(plat::kVkRight);
        const QRect after = figure_pixels(f);
        QCOMPARE(after, before.translated(16, 0));
        const QVector<QRect> moved = f.Picture1->takeInvalidated();
        QCOMPARE(bounding(moved), before.united(after));
        QCOMPARE(bounding(moved).width(), before.width() + 16);
        QCOMPARE(moved.size(), bounding(moved).width() / 16 * (bounding(moved).height() / 16));
        for (const auto &c : f.cells()) {
            QCOMPARE(cell_picture(f, c[0], c[1]), 2);
        }
        // The column the figure left is empty again wherever it was.
        const int left_col = before.left() / 16;
        for (int r = before.top() / 16; r <= before.bottom() / 16; ++r) {
            if (f.well(left_col, r) == 0) {
                QCOMPARE(cell_picture(f, left_col, r), 1);
            }
        }

        // A rotation in place repaints the union of the two shapes.
        int turned = 0;
        for (int attempt = 0; attempt < 4 && turned == 0; ++attempt) {
            const auto state = f.fig[1];
            const QRect old_shape = figure_pixels(f);
            (void)f.Picture1->takeInvalidated();
            rig.key(plat::kVkUp);
            if (f.fig[1] == state) {
                continue;
            }
            turned = 1;
            const QVector<QRect> rects = f.Picture1->takeInvalidated();
            QCOMPARE(bounding(rects), old_shape.united(figure_pixels(f)));
        }
        QCOMPARE(turned, 1);
    }

    void fillingABoxRefreshesOnlyThePlayAreaAndThePreview() {
        Rig rig;
        RenderForm &f = rig.f();
        (void)f.Picture1->takeInvalidated();
        (void)f.Next_fig_win->takeInvalidated();
        (void)f.Picture2->takeInvalidated();
        f.blank_box(f.Picture1, static_cast<Long>(plat::rgb(9, 9, 9)));
        QVERIFY(square_is(*f.Picture1, 0, 0, 160, 336, plat::rgb(9, 9, 9)));
        QCOMPARE(f.Picture1->takeInvalidated(), QVector<QRect>{QRect(0, 0, 160, 336)});
        f.blank_box(f.Next_fig_win, f.face_color);
        QVERIFY(square_is(*f.Next_fig_win, 0, 0, 82, 82, static_cast<plat::Rgb>(f.face_color)));
        QCOMPARE(f.Next_fig_win->takeInvalidated(), QVector<QRect>{QRect(0, 0, 86, 86)});
        // Any other surface is filled and nothing is refreshed.
        f.Picture2->setOuterSize(40, 20);
        f.fill_box(0, 0, 40, 20, f.Picture2, static_cast<Long>(plat::rgb(5, 6, 7)));
        QVERIFY(square_is(*f.Picture2, 0, 0, 40, 20, plat::rgb(5, 6, 7)));
        QVERIFY(f.Picture2->takeInvalidated().isEmpty());
        // The rectangle's right and bottom edges are not part of the fill.
        f.fill_box(10, 10, 20, 30, f.Picture1, static_cast<Long>(plat::rgb(200, 0, 0)));
        QCOMPARE(f.Picture1->pixel(19, 29), plat::rgb(200, 0, 0));
        QCOMPARE(f.Picture1->pixel(20, 29), plat::rgb(9, 9, 9));
        QCOMPARE(f.Picture1->pixel(19, 30), plat::rgb(9, 9, 9));
    }

    // ---------------------------------------------------------- the preview

    void thePreviewPlacesEveryTypeAboutTheCentre() {
        Rig rig;
        RenderForm &f = rig.f();
        install_test_blocks(f);
        // Top-left corners in an 82 x 82 surface, centre (41, 41), cells 16 x 16.
        const std::array<std::array<QPoint, 4>, 7> expected = {{
            {QPoint(33, 8), QPoint(33, 24), QPoint(33, 40), QPoint(33, 56)},
            {QPoint(25, 25), QPoint(41, 25), QPoint(25, 41), QPoint(41, 41)},
            {QPoint(25, 17), QPoint(25, 33), QPoint(25, 49), QPoint(41, 17)},
            {QPoint(41, 17), QPoint(41, 33), QPoint(41, 49), QPoint(25, 17)},
            {QPoint(25, 17), QPoint(25, 33), QPoint(41, 33), QPoint(41, 49)},
            {QPoint(41, 17), QPoint(41, 33), QPoint(25, 33), QPoint(25, 49)},
            {QPoint(33, 17), QPoint(33, 33), QPoint(33, 49), QPoint(49, 33)},
        }};
        const auto face = static_cast<plat::Rgb>(f.face_color);
        for (int type = 0; type < 7; ++type) {
            f.blank_box(f.Next_fig_win, f.face_color);
            (void)f.Next_fig_win->takeInvalidated();
            f.draw_next_figure(static_cast<Integer>(type));
            int covered = 0;
            for (const QPoint &p : expected[static_cast<std::size_t>(type)]) {
                QCOMPARE(picture_at(f, *f.Next_fig_win, p.x(), p.y()), 3);
            }
            for (int y = 0; y < 82; ++y) {
                for (int x = 0; x < 82; ++x) {
                    covered += f.Next_fig_win->pixel(x, y) != face ? 1 : 0;
                }
            }
            QCOMPARE(covered, 4 * 256);
            const QVector<QRect> rects = f.Next_fig_win->takeInvalidated();
            QCOMPARE(rects.size(), 4);
            QCOMPARE(rects.front(), QRect(0, 0, 86, 86));
        }
        f.blank_box(f.Next_fig_win, f.face_color);
        f.draw_next_figure(7);
        f.draw_next_figure(-1);
        QVERIFY(square_is(*f.Next_fig_win, 0, 0, 82, 82, face));
    }

    void aPreviewOfOddSizeRoundsItsCentreHalfToEven_data() {
        QTest::addColumn<int>("outer");
        QTest::addColumn<int>("corner");
        // Inner 83: the centre 41.5 goes up to 42; inner 81: 40.5 goes down to 40.
        QTest::newRow("inner 83") << 87 << 42 - 16;
        QTest::newRow("inner 81") << 85 << 40 - 16;
    }
    void aPreviewOfOddSizeRoundsItsCentreHalfToEven() {
        QFETCH(int, outer);
        QFETCH(int, corner);
        Rig rig;
        RenderForm &f = rig.f();
        install_test_blocks(f);
        f.Next_fig_win->setOuterSize(outer, outer);
        f.blank_box(f.Next_fig_win, f.face_color);
        f.draw_next_figure(1);
        QCOMPARE(picture_at(f, *f.Next_fig_win, corner, corner), 3);
        QCOMPARE(picture_at(f, *f.Next_fig_win, corner + 16, corner + 16), 3);
    }

    void thePreviewFollowsF2DuringAGame() {
        Rig rig;
        RenderForm &f = rig.f();
        install_test_blocks(f);
        const auto face = static_cast<plat::Rgb>(f.face_color);
        // Switched on with no game running: nothing is drawn yet.
        rig.key(plat::kVkF2);
        QCOMPARE(f.next_on, kTrue);
        QVERIFY(square_is(*f.Next_fig_win, 0, 0, 82, 82, face));
        QVERIFY(rig.start_game());
        QVERIFY(bring_in_figure(rig));
        QVERIFY(!square_is(*f.Next_fig_win, 0, 0, 82, 82, face));
        rig.key(plat::kVkF2);
        QVERIFY(square_is(*f.Next_fig_win, 0, 0, 82, 82, face));
        rig.key(plat::kVkF2);
        QVERIFY(!square_is(*f.Next_fig_win, 0, 0, 82, 82, face));
    }

    // ----------------------------------------------------------- the trophy

    void theTrophyLeavesTheBackgroundAroundItsShapes() {
        Rig rig;
        RenderForm &f = rig.f();
        // A checkered background, a round cup, a crown whose extra row glows.
        for (int y = 0; y < 336; ++y) {
            for (int x = 0; x < 160; ++x) {
                f.Picture1->fillRect(x, y, x + 1, y + 1, (x / 4 + y / 4) % 2 ? plat::rgb(0, 0, 160) : 0x405060);
            }
        }
        const QImage before = f.Picture1->image().copy();
        const auto in_disc = [](int x, int y) { return (x - 39) * (x - 39) + (y - 38) * (y - 38) < 30 * 30; };
        QImage mask(78, 76, QImage::Format_RGB32);
        QImage gold(78, 76, QImage::Format_RGB32);
        for (int y = 0; y < 76; ++y) {
            for (int x = 0; x < 78; ++x) {
                mask.setPixel(x, y, in_disc(x, y) ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
                gold.setPixel(x, y, in_disc(x, y) ? qRgb(230, 180, 20) : qRgb(0, 0, 0));
            }
        }
        f.cup = {mask, gold};
        QImage crown_mask(40, 18, QImage::Format_RGB32);
        crown_mask.fill(qRgb(255, 255, 255));
        QImage crown_pic(40, 19, QImage::Format_RGB32);
        crown_pic.fill(qRgb(0, 0, 0));
        for (int x = 10; x < 30; ++x) {
            crown_pic.setPixel(x, 18, qRgb(0, 255, 0));
        }
        f.crown = {crown_mask, crown_pic};

        (void)f.Picture1->takeInvalidated();
        f.draw_trophy(41, 46, 1);
        QCOMPARE(f.Picture1->takeInvalidated(), QVector<QRect>{QRect(41, 46, 78, 76)});
        for (int y = 0; y < 336; ++y) {
            for (int x = 0; x < 160; ++x) {
                const bool inside = x >= 41 && x < 119 && y >= 46 && y < 122 && in_disc(x - 41, y - 46);
                const QRgb want = inside ? qRgb(230, 180, 20) : before.pixel(x, y);
                if ((f.Picture1->image().pixel(x, y) & 0xFFFFFFU) != (want & 0xFFFFFFU)) {
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
                }
            }
        }
        // The crown's last row is ORed in below the refreshed rectangle.
        f.draw_trophy(60, 26, 2);
        QCOMPARE(f.Picture1->takeInvalidated(), QVector<QRect>{QRect(60, 26, 40, 18)});
        for (int x = 60; x < 100; ++x) {
            const QRgb bg = before.pixel(x, 44);
            const QRgb got = f.Picture1->image().pixel(x, 44) & 0xFFFFFFU;
            const QRgb want = (x >= 70 && x < 90) ? ((bg | qRgb(0, 255, 0)) & 0xFFFFFFU) : (bg & 0xFFFFFFU);
            QCOMPARE(got, want);
            QCOMPARE(f.Picture1->image().pixel(x, 30), before.pixel(x, 30));
        }
        const QImage after = f.Picture1->image().copy();
        f.draw_trophy(0, 0, 3);
        QCOMPARE(f.Picture1->image(), after);
        QVERIFY(f.Picture1->takeInvalidated().isEmpty());
    }

    void theChampionGetsCupAndCrownAboveItsMessage() {
        for (const bool rus : {false, true}) {
            Rig rig;
            RenderForm &f = rig.f();
            lang_rus = rus ? kTrue : kFalse;
            QVERIFY(rig.start_game());
            // The empty table: any score is a new best.
            QVERIFY(complete_the_level(rig));
            QCOMPARE(int(f.end_code), 1);
            const QVector<QRect> rects = f.Picture1->takeInvalidated();
            QVERIFY(rects.size() >= 2);
            // The cup first, then the crown, both centred on the 160 pixels.
            QCOMPARE(rects[rects.size() - 2], QRect(41, rus ? 55 : 46, 78, 76));
            QCOMPARE(rects.back(), QRect(60, rus ? 35 : 26, 40, 18));
            QCOMPARE(int(f.msg_lines.count(QStringLiteral("\r\n"))), rus ? 2 : 3);
        }
    }

    void theBuiltInTrophyIsMaskedExactly() {
        Rig rig;
        RenderForm &f = rig.f();
        if (f.cup[0].isNull() || f.crown[1].isNull()) {
            QSKIP("the pictures are not built in");
        }
        QCOMPARE(f.crown[1].height(), f.crown[0].height() + 1);
        f.Picture1->fillRect(0, 0, 160, 336, plat::rgb(0, 0, 200));
        f.draw_trophy(41, 46, 1);
        // Corners of the cup's box keep the background; its middle is gold.
        QCOMPARE(f.Picture1->pixel(41, 46), plat::rgb(0, 0, 200));
        QCOMPARE(f.Picture1->pixel(118, 121), plat::rgb(0, 0, 200));
        int golden = 0;
        for (int y = 46; y < 122; ++y) {
            for (int x = 41; x < 119; ++x) {
                const QColor c(f.Picture1->image().pixel(x, y));
                golden += c.red() > 150 && c.green() > 100 && c.blue() < 100 ? 1 : 0;
            }
        }
        QVERIFY2(golden > 78 * 76 / 5, qPrintable(QString::number(golden)));
    }

    // ------------------------------------------------------ the message box

    void promptsAreSizedToTheirTextAndCentred() {
        std::array<double, 2> lefts{};
        for (const bool rus : {false, true}) {
            Rig rig;
            RenderForm &f = rig.f();
            lang_rus = rus ? kTrue : kFalse;
            QVERIFY(rig.start_game());
            QVERIFY(bring_in_figure(rig));
            rig.key(plat::kVkEscape);
            const QString text = rus ? QStringLiteral(" Выход [Y/N]? ") : QStringLiteral(" Exit [Y/N]? ");
            const QSizeF size = measure(text);
            const int w = static_cast<int>(std::lround(size.width()));
            const int h = static_cast<int>(std::lround(size.height()));
            QVERIFY(f.Picture2->shown());
            QVERIFY(f.Picture2->hasKeyFocus());
            QCOMPARE(int(f.Picture2->outerWidth()), w);
            QCOMPARE(int(f.Picture2->outerHeight()), h);
            QCOMPARE(int(f.Picture2->outerLeft()), static_cast<int>(std::lround((160 - w) / 2.0)));
            QCOMPARE(int(f.Picture2->outerTop()), static_cast<int>(std::lround((336 - h) / 2.0)));
            lefts[rus ? 1 : 0] = f.Picture2->outerLeft();
            // Raised frame: light top and left, dark right and bottom.
            const plat::Rgb light = plat::rgb(192, 192, 192);
            const plat::Rgb dark = plat::rgb(128, 128, 128);
            QCOMPARE(f.Picture2->pixel(w / 2, 0), light);
            QCOMPARE(f.Picture2->pixel(w / 2, 1), light);
            QCOMPARE(f.Picture2->pixel(0, h / 2), light);
            QCOMPARE(f.Picture2->pixel(w - 1, h / 2), dark);
            QCOMPARE(f.Picture2->pixel(w - 2, h / 2), dark);
            QCOMPARE(f.Picture2->pixel(w / 2, h - 1), dark);
            QCOMPARE(f.Picture2->pixel(3, h / 2), plat::rgb(0, 200, 200)); // the text's leading blank
            int ink = 0;
            for (int y = 2; y < h - 2; ++y) {
                for (int x = 2; x < w - 2; ++x) {
                    ink += f.Picture2->pixel(x, y) == plat::rgb(0, 0, 0) ? 1 : 0;
                }
            }
            QVERIFY(ink > 50);
            // N puts it away and hands the keys back to the play area.
            rig.key(plat::kVkN);
            QVERIFY(!f.Picture2->shown());
            QVERIFY(f.Picture1->hasKeyFocus());
        }
        QVERIFY(lefts[0] != lefts[1]);
    }

    void thePauseBoxSaysPauseInTheCurrentLanguage() {
        Rig rig;
        RenderForm &f = rig.f();
        QVERIFY(rig.start_game());
        QVERIFY(bring_in_figure(rig));
        rig.svc.advance(250);
        rig.key(plat::kVkP);
        QCOMPARE(f.input_locked, kTrue);
        QCOMPARE(int(f.Picture2->outerWidth()),
                 static_cast<int>(std::lround(measure(QStringLiteral(" Pause... ")).width())));
        rig.svc.advance(250);
        rig.key(plat::kVkP);
        QCOMPARE(f.input_locked, kFalse);
        QVERIFY(!f.Picture2->shown());
    }

    void theAnswerKeysActOnWhateverTheBoxShows() {
        // Y on the pause message: the box goes, the game stays paused and
        // is marked as ended by the player.
        {
            Rig rig;
            RenderForm &f = rig.f();
            QVERIFY(rig.start_game());
            QVERIFY(bring_in_figure(rig));
            rig.svc.advance(250);
            rig.key(plat::kVkP);
            QVERIFY(f.Picture2->shown());
            rig.key(plat::kVkY);
            QVERIFY(!f.Picture2->shown());
            QCOMPARE(f.msg_closed, kTrue);
            QCOMPARE(int(f.end_code), 2);
            QCOMPARE(f.input_locked, kTrue);
            QVERIFY(!f.Play_Tmr_Vert->enabled());
            QVERIFY(!f.Timer1->enabled());
        }
        // N on the pause message: both timers run again, the lock stays.
        {
            Rig rig;
            RenderForm &f = rig.f();
            QVERIFY(rig.start_game());
            QVERIFY(bring_in_figure(rig));
            rig.svc.advance(250);
            rig.key(plat::kVkP);
            rig.key(plat::kVkN);
            QVERIFY(!f.Picture2->shown());
            QCOMPARE(f.input_locked, kTrue);
            QCOMPARE(f.msg_closed, kFalse);
            QVERIFY(f.Play_Tmr_Vert->enabled());
            QVERIFY(f.Timer1->enabled());
        }
        // The exit prompt ignores Esc and P; after No the wait keeps polling.
        {
            Rig rig;
            RenderForm &f = rig.f();
            QVERIFY(rig.start_game());
            QVERIFY(bring_in_figure(rig));
            rig.svc.advance(250);
            rig.key(plat::kVkEscape);
            QCOMPARE(f.play_on, Integer(0));
            rig.key(plat::kVkEscape);
            QCOMPARE(f.msg_closed, kFalse);
            rig.key(plat::kVkP);
            QCOMPARE(f.input_locked, kFalse);
            QVERIFY(f.Picture2->shown());
            rig.key(plat::kVkN);
            QCOMPARE(f.play_on, Integer(1));
            for (int i = 0; i < 5; ++i) {
                rig.svc.advance(100);
                QVERIFY(f.Timer_Wait->enabled());
                QCOMPARE(f.wait_step, Integer(0));
            }
            QCOMPARE(f.game_on, kTrue);
        }
        // Y on a top-ten message acknowledges it, but as an ending by the
        // player: no name is asked for.
        {
            Rig rig;
            RenderForm &f = rig.f();
            f.score_values = {9000, 0, 0, 0, 0, 0, 0, 0, 0, 0};
            QVERIFY(rig.start_game());
            QVERIFY(complete_the_level(rig));
            QCOMPARE(int(f.end_code), 1);
            rig.key(plat::kVkY);
            QVERIFY(!f.Picture2->shown());
            QCOMPARE(int(f.end_code), 2);
            QVERIFY(rig.run_until([&] { return f.game_on == kFalse; }, 3000));
            QCOMPARE(f.name_entry_on, kFalse);
            QVERIFY(!f.Picture2->shown());
        }
    }

    void anEventMessageGrowsTickByTick() {
        Rig rig;
        RenderForm &f = rig.f();
        f.msg_lines = QStringLiteral("x");
        f.open_msg(8, 8, static_cast<Long>(plat::rgb(0, 200, 200)), 0);
        QCOMPARE(int(f.Picture2->outerWidth()), 4);
        QCOMPARE(int(f.Picture2->outerHeight()), 4);
        QVERIFY(f.Picture2->shown());
        // As if the text were 100 x 60: the width is there after 13 ticks,
        // the height and the frame after 16.
        f.msg_w = 108;
        f.msg_h = 68;
        for (int tick = 1; tick <= 16; ++tick) {
            QVERIFY(f.open_win->enabled());
            rig.svc.advance(20);
            const int w = std::min(4 + 8 * tick, 108);
            const int h = std::min(4 + 4 * tick, 68);
            QCOMPARE(int(f.Picture2->outerWidth()), w);
            QCOMPARE(int(f.Picture2->outerHeight()), h);
            QCOMPARE(int(f.Picture2->outerLeft()), static_cast<int>(std::lround((160 - w) / 2.0)));
            QCOMPARE(int(f.Picture2->outerTop()), static_cast<int>(std::lround((336 - h) / 2.0)));
            const bool framed = f.Picture2->pixel(w / 2, 0) == plat::rgb(192, 192, 192);
            QCOMPARE(framed, tick == 16);
        }
        QVERIFY(!f.open_win->enabled());
        QCOMPARE(f.Picture2->pixel(107, 30), plat::rgb(128, 128, 128));
        QCOMPARE(f.Picture2->pixel(50, 67), plat::rgb(128, 128, 128));
    }

    void theEndMessagesOpenInTheirLanguageAndColours() {
        // The well is left alone until it is full: the fail message.
        for (const bool rus : {false, true}) {
            Rig rig;
            RenderForm &f = rig.f();
            lang_rus = rus ? kTrue : kFalse;
            QVERIFY(rig.start_game());
            QVERIFY(rig.run_until(
                [&] {
                    return f.msg_lines.contains(rus ? QStringLiteral("Вы проиграли") : QStringLiteral("You are fail"));
                },
                600 * 1000, 20));
            const QSizeF size = measure(f.msg_lines);
            QCOMPARE(int(f.msg_w), int(round_half_even(8 + size.width())));
            QCOMPARE(int(f.msg_h), int(round_half_even(8 + size.height())));
            const int ticks = std::max((f.msg_w - 4 + 7) / 8, (f.msg_h - 4 + 3) / 4);
            int seen = 0;
            while (f.open_win->enabled() && seen < 100) {
                rig.svc.advance(20);
                ++seen;
            }
            // The message opened within the tick that ended the game.
            QVERIFY(seen <= ticks && seen >= ticks - 1);
            QCOMPARE(int(f.Picture2->outerWidth()), int(f.msg_w));
            QCOMPARE(int(f.Picture2->outerHeight()), int(f.msg_h));
            QVERIFY(f.Picture2->hasKeyFocus());
            QCOMPARE(f.Picture2->pixel(f.msg_w / 2, 3), plat::rgb(0, 200, 200));
        }
    }

    // ---------------------------------------------------------- screenshots

    void screenshotsOfAGameAndOfAChampion() {
        const QString out = QStringLiteral(CLOCKWELL_SCREENSHOT_DIR);
        QVERIFY(QDir().mkpath(out));
        Rig rig(10 * 3600);
        RenderForm &f = rig.f();
        rig.key(plat::kVkF2); // the preview on
        f.show();
        QVERIFY(rig.start_game());
        play::Pilot<RenderForm> pilot(f);
        for (int t = 0; t < 40000; t += 10) {
            pilot.step();
            rig.svc.advance(10);
        }
        QVERIFY(f.game_on == kTrue);
        QVERIFY(f.grab().save(out + QStringLiteral("/render_game.png")));
        // On to the quota: an empty table makes it the best result.
        const bool champion = rig.run_until(
            [&] {
                // Once the game has ended, wait for the message to open fully.
                if (f.game_on == kTrue && f.Timer_Wait->enabled() && !f.Play_Tmr_Vert->enabled()) {
                    return !f.open_win->enabled();
                }
                pilot.step();
                return false;
            },
            600 * 1000, 10);
        QVERIFY(champion);
        QCOMPARE(int(f.end_code), 1);
        QVERIFY(f.msg_lines.contains(QStringLiteral("champion")));
        QCOMPARE(f.Picture2->pixel(f.msg_w / 2, 3), plat::rgb(200, 100, 80));
        QVERIFY(f.grab().save(out + QStringLiteral("/render_champion.png")));
    }
};

QTEST_MAIN(RenderTest)
#include "test_render.moc"
