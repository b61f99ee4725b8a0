#include "picture_box.h"

#include "fonts.h"
#include "keyboard.h"

#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace plat {

namespace {

// 96 dots per inch: the pixel scale the layout and the point sizes assume.
constexpr int kDotsPerMeter = 3780;

int toPixel(double v) { return static_cast<int>(std::lround(v)); }

QStringList splitLines(const QString &text) {
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return t.split(QLatin1Char('\n'));
}

} // namespace

PictureBox::PictureBox(QWidget *parent, KeyboardFocus &focus, int frame)
    : QWidget(parent), focus_(focus), frame_(frame), font_(gameFont(QStringLiteral("MS Sans Serif"), 8, false)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    resizeImage(1, 1);
}

void PictureBox::setOuterGeometry(double left, double top, double width, double height) {
    setGeometry(toPixel(left), toPixel(top), std::max(0, toPixel(width)), std::max(0, toPixel(height)));
    // A hidden widget gets its resize event only when shown; the image must follow at once.
    resizeImage(std::max(0, this->width() - 2 * frame_), std::max(0, this->height() - 2 * frame_));
}

void PictureBox::setOuterSize(double width, double height) {
    resize(std::max(0, toPixel(width)), std::max(0, toPixel(height)));
    resizeImage(std::max(0, this->width() - 2 * frame_), std::max(0, this->height() - 2 * frame_));
}

void PictureBox::moveTo(double left, double top) { move(toPixel(left), toPixel(top)); }

void PictureBox::resizeEvent(QResizeEvent * /*event*/) {
    resizeImage(std::max(0, width() - 2 * frame_), std::max(0, height() - 2 * frame_));
}

void PictureBox::resizeImage(int w, int h) {
    if (w == image_.width() && h == image_.height() && !image_.isNull()) {
        return;
    }
    QImage next(std::max(w, 1), std::max(h, 1), QImage::Format_RGB32);
    next.setDotsPerMeterX(kDotsPerMeter);
    next.setDotsPerMeterY(kDotsPerMeter);
    next.fill(toQColor(back_));
    if (!image_.isNull()) {
        QPainter p(&next);
        p.drawImage(0, 0, image_);
    }
    image_ = next;
    if (w == 0 || h == 0) {
        // A box of no size keeps a 1 x 1 image so that drawing stays harmless.
        image_.fill(toQColor(back_));
    }
    changed();
}

void PictureBox::setBackColor(Rgb color) {
    back_ = color;
    cls();
}

void PictureBox::setFont(const QString &family, double points, bool bold) { font_ = gameFont(family, points, bold); }

void PictureBox::setFontBold(bool bold) { font_.setBold(bold); }

void PictureBox::cls() {
    image_.fill(toQColor(back_));
    currentX = 0.0;
    currentY = 0.0;
    changed();
}

void PictureBox::print(const QString &text, bool newline) {
    const QFontMetricsF fm(font_, &image_);
    const QStringList lines = splitLines(text);
    QPainter p(&image_);
    p.setFont(font_);
    p.setPen(toQColor(fore_));
    double x = currentX;
    double y = currentY;
    for (int i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            x = 0.0;
            y += fm.height();
        }
        p.drawText(QPointF(x, y + fm.ascent()), lines[i]);
    }
    if (newline) {
        currentX = 0.0;
        currentY = y + fm.height();
    } else {
        currentX = x + fm.horizontalAdvance(lines.last());
        currentY = y;
    }
    changed();
}

double PictureBox::textWidth(const QString &text) const {
    const QFontMetricsF fm(font_, &image_);
    double widest = 0.0;
    for (const QString &l : splitLines(text)) {
        widest = std::max(widest, fm.horizontalAdvance(l));
    }
    return widest;
}

double PictureBox::textHeight(const QString &text) const {
    const QFontMetricsF fm(font_, &image_);
    return fm.height() * static_cast<double>(splitLines(text).size());
}

void PictureBox::line(double x1, double y1, double x2, double y2, Rgb color) {
    const int ax = toPixel(x1);
    const int ay = toPixel(y1);
    const int bx = toPixel(x2);
    const int by = toPixel(y2);
    const int w = draw_width_;
    const int off = w / 2;
    if (ay == by && ax != bx) {
        // The end point is left out, whichever way the line runs.
        fillRect(ax < bx ? ax : bx + 1, ay - off, ax < bx ? bx : ax + 1, ay - off + w, color);
        changed();
        return;
    }
    if (ax == bx && ay != by) {
        fillRect(ax - off, ay < by ? ay : by + 1, ax - off + w, ay < by ? by : ay + 1, color);
        changed();
        return;
    }
    if (ax == bx && ay == by) {
        return;
    }
    QPainter p(&image_);
    QPen pen(toQColor(color));
    pen.setWidth(w);
    pen.setCapStyle(Qt::FlatCap);
    p.setPen(pen);
    p.drawLine(ax, ay, bx, by);
    changed();
}

void PictureBox::filledBox(double x1, double y1, double x2, double y2, Rgb color) {
    const int l = toPixel(std::min(x1, x2));
    const int t = toPixel(std::min(y1, y2));
    const int r = toPixel(std::max(x1, x2));
    const int b = toPixel(std::max(y1, y2));
    fillRect(l, t, r + 1, b + 1, color);
    changed();
}

void PictureBox::fillRect(int left, int top, int right, int bottom, Rgb color) {
    const QRect r = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)).intersected(image_.rect());
    if (r.isEmpty()) {
        return;
    }
    const QRgb c = toQColor(color).rgb();
    for (int y = r.top(); y <= r.bottom(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(image_.scanLine(y));
        std::fill(row + r.left(), row + r.right() + 1, c);
    }
}

void PictureBox::blit(int x, int y, int w, int h, const QImage &source, Rop op) {
    const QImage src = source.format() == QImage::Format_RGB32 || source.format() == QImage::Format_ARGB32
                           ? source
                           : source.convertToFormat(QImage::Format_RGB32);
    const QRect area = QRect(x, y, std::min(w, src.width()), std::min(h, src.height())).intersected(image_.rect());
    // One loop per operation over a row: the copy of every cell of the well comes through here.
    const int n = area.width();
    for (int dy = area.top(); dy <= area.bottom(); ++dy) {
        QRgb *d = reinterpret_cast<QRgb *>(image_.scanLine(dy)) + area.left();
        const QRgb *s = reinterpret_cast<const QRgb *>(src.constScanLine(dy - y)) + (area.left() - x);
        switch (op) {
        case Rop::Copy:
            for (int i = 0; i < n; ++i) {
                d[i] = s[i] | 0xFF000000U;
            }
            break;
        case Rop::And:
            for (int i = 0; i < n; ++i) {
                d[i] = (d[i] & s[i]) | 0xFF000000U;
            }
            break;
        case Rop::Or:
            for (int i = 0; i < n; ++i) {
                d[i] |= s[i] | 0xFF000000U;
            }
            break;
        }
    }
}

void PictureBox::invalidate(const QRect &rect) {
    // The log is for tests that take it after each drawing; a long game in
    // which nobody takes it must not grow it without bound.
    constexpr qsizetype kKept = 8192;
    if (invalidated_.size() >= kKept) {
        invalidated_.remove(0, kKept / 2);
    }
    invalidated_.push_back(rect);
    pending_ += rect.translated(frame_, frame_);
    update(rect.translated(frame_, frame_));
}

QVector<QRect> PictureBox::takeInvalidated() {
    QVector<QRect> out;
    out.swap(invalidated_);
    return out;
}

Rgb PictureBox::pixel(int x, int y) const { return fromQColor(QColor(image_.pixel(x, y))); }

void PictureBox::setShown(bool shown) {
    if (shown == isVisibleTo(parentWidget())) {
        return;
    }
    setVisible(shown);
    if (!shown) {
        focus_.boxHidden(this);
    }
}

void PictureBox::takeFocus() { focus_.give(this); }

bool PictureBox::hasKeyFocus() const { return focus_.holder() == this; }

void PictureBox::paintEvent(QPaintEvent * /*event*/) {
    pending_ = QRegion();
    QPainter p(this);
    if (frame_ > 0) {
        // Sunken 3-D border: dark above and left, light below and right.
        const int w = width();
        const int h = height();
        p.fillRect(0, 0, w, h, QColor(255, 255, 255));
        p.fillRect(0, 0, w - 1, 1, QColor(128, 128, 128));
        p.fillRect(0, 0, 1, h - 1, QColor(128, 128, 128));
        if (frame_ > 1) {
            p.fillRect(1, h - 2, w - 2, 1, QColor(223, 223, 223));
            p.fillRect(w - 2, 1, 1, h - 2, QColor(223, 223, 223));
            p.fillRect(1, 1, w - 3, 1, QColor(64, 64, 64));
            p.fillRect(1, 1, 1, h - 3, QColor(64, 64, 64));
        }
    }
    p.drawImage(frame_, frame_, image_);
}

void PictureBox::mousePressEvent(QMouseEvent * /*event*/) { takeFocus(); }

} // namespace plat
