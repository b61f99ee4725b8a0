// A picture box with a persistent image: every drawing call goes into a
// back buffer (QImage) and the widget shows that buffer. Coordinates are
// pixels of the box's inner (client) area, whose scale origin is (0, 0).
//
// On a screen scaled above 100 % the box keeps a second image at the screen's
// device pixel ratio, drawn by the same calls: text, lines and fills at full
// resolution, pictures enlarged as pixel art. The 1x image stays the game's
// readable picture. The calls since the last clear are kept (without those a
// later opaque copy or fill hides), so a move to a screen of another scale
// draws the same picture again at the new ratio.
#pragma once

#include "colors.h"

#include <QFont>
#include <QImage>
#include <QRect>
#include <QRegion>
#include <QVector>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace plat {

class KeyboardFocus;

// Raster operations of a block copy into the persistent image.
enum class Rop { Copy, And, Or };

class PictureBox : public QWidget {
public:
    // frame: width in pixels of a sunken border around the inner area (0 or 2).
    PictureBox(QWidget *parent, KeyboardFocus &focus, int frame = 0);

    // Geometry. Outer size includes the frame; inner = outer - 2 * frame.
    void setOuterGeometry(double left, double top, double width, double height);
    void setOuterSize(double width, double height);
    void moveTo(double left, double top);
    [[nodiscard]] double outerWidth() const { return width(); }
    [[nodiscard]] double outerHeight() const { return height(); }
    [[nodiscard]] double outerLeft() const { return x(); }
    [[nodiscard]] double outerTop() const { return y(); }
    [[nodiscard]] double scaleLeft() const { return 0.0; }
    [[nodiscard]] double scaleTop() const { return 0.0; }
    [[nodiscard]] double scaleWidth() const { return image_.width(); }
    [[nodiscard]] double scaleHeight() const { return image_.height(); }

    // Appearance and text state.
    void setBackColor(Rgb color); // also clears the box
    [[nodiscard]] Rgb backColor() const { return back_; }
    void setForeColor(Rgb color) { fore_ = color; }
    [[nodiscard]] Rgb foreColor() const { return fore_; }
    // family is one of the names the game uses ("MS Sans Serif", "Arial",
    // "Courier New"); it is mapped to an installed font by fonts.h.
    void setFont(const QString &family, double points, bool bold);
    void setFontBold(bool bold);
    [[nodiscard]] const QFont &boxFont() const { return font_; }
    void setDrawWidth(int pixels) { draw_width_ = pixels < 1 ? 1 : pixels; }
    [[nodiscard]] int drawWidth() const { return draw_width_; }
    double currentX = 0.0;
    double currentY = 0.0;

    // Drawing into the persistent image.
    void cls();
    // Prints text at (currentX, currentY); every CR LF (or LF) starts the next
    // line at the left edge one text line lower. With newline the position
    // then moves to the start of the next line, otherwise it stays right
    // after the text.
    void print(const QString &text, bool newline = true);
    [[nodiscard]] double textWidth(const QString &text) const;  // widest line
    [[nodiscard]] double textHeight(const QString &text) const; // all lines
    // A straight line of the current draw width, centred on the path from
    // (x1, y1) to (x2, y2); the end point itself is not drawn.
    void line(double x1, double y1, double x2, double y2, Rgb color);
    // A filled box with both corners included.
    void filledBox(double x1, double y1, double x2, double y2, Rgb color);
    // A solid fill of [left, right) x [top, bottom), and a block copy: both go into the image alone, as the
    // system's drawing calls do; the screen shows them where invalidate() asks for it.
    void fillRect(int left, int top, int right, int bottom, Rgb color);
    void blit(int x, int y, int w, int h, const QImage &source, Rop op);

    // Repaint requests. The latest requests (several thousand) are recorded
    // so tests can see which rectangles a drawing operation refreshed.
    void invalidate(const QRect &rect);
    [[nodiscard]] QVector<QRect> takeInvalidated();
    // What the next paint will bring to the screen, in the widget's coordinates; taking it starts afresh.
    [[nodiscard]] QRegion takePendingRepaint() { return std::exchange(pending_, QRegion()); }

    [[nodiscard]] const QImage &image() const { return image_; }
    [[nodiscard]] Rgb pixel(int x, int y) const;
    // The picture the screen shows: at the screen's device pixel ratio, or the 1x image at 100 %.
    [[nodiscard]] const QImage &displayImage();

    // Visibility and keyboard focus (the game's own focus, see KeyboardFocus).
    void setShown(bool shown);
    [[nodiscard]] bool shown() const { return isVisibleTo(parentWidget()); }
    void takeFocus();
    [[nodiscard]] bool hasKeyFocus() const;

    // Events of the box.
    std::function<void(int key_code, int shift)> onKeyDown;
    std::function<void(int char_code)> onKeyPress;
    std::function<void()> onGotFocus;
    std::function<void()> onLostFocus;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    // One drawing call, as it is drawn again into an image of some ratio. Fills and copies, the calls a game
    // makes most, are plain values; text and slanted lines a function.
    struct Op {
        enum class Kind : std::uint8_t { Fill, Copy, Call };
        QRect bounds;        // 1x pixels it may touch
        bool opaque = false; // it hides everything under bounds
        Kind kind = Kind::Call;
        std::array<int, 4> at{}; // a fill's left, top, right, bottom; a copy's x, y, w, h
        Rgb color = 0;
        Rop rop = Rop::Copy;
        QImage source{};
        std::function<void(QImage &, double)> draw{};
        QString text{}; // a print's font, places and lines; empty for other calls
    };
    void record(Op op);
    static void replay(const Op &op, QImage &img, double ratio);
    void compactOps();
    void followScreen();
    void resizeImage(int w, int h);
    void changed() {
        pending_ = rect();
        update();
    }

    KeyboardFocus &focus_;
    int frame_;
    QImage image_;
    Rgb back_ = 0;
    Rgb fore_ = 0;
    QFont font_;
    int draw_width_ = 1;
    QVector<QRect> invalidated_;
    QRegion pending_;
    double ratio_ = 1.0;
    QImage display_; // only above 100 %
    std::vector<Op> ops_;
    std::size_t ops_compacted_ = 0;
};

} // namespace plat
