#include "picture_box.h"

#include "fonts.h"
#include "keyboard.h"

#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <bit>
#include <cmath>
#include <type_traits>

namespace plat {

namespace {

// 96 dots per inch: the pixel scale the layout and the point sizes assume.
constexpr int kDotsPerMeter = 3780;
// Calls kept for drawing the picture again at another ratio; beyond this the picture as it stands replaces them.
constexpr std::size_t kMaxOps = 4096;

int toPixel(double v) { return static_cast<int>(std::lround(v)); }

QStringList splitLines(const QString &text) {
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return t.split(QLatin1Char('\n'));
}

// The rows of an image by address, found once per call: scanLine() asks whether the image is shared on every
// row of every copy.
template <typename T> struct Rows {
    T *bits;
    qsizetype stride;
    auto operator[](int y) const {
        return reinterpret_cast<std::conditional_t<std::is_const_v<T>, const QRgb, QRgb> *>(bits + y * stride);
    }
};
Rows<uchar> rows(QImage &img) { return {img.bits(), img.bytesPerLine()}; }
Rows<const uchar> rows(const QImage &img) { return {img.constBits(), img.bytesPerLine()}; }

// The device pixel where the 1x pixel edge v falls: boxes and cells that meet at 1x meet at every ratio.
int dev(int v, double ratio) { return ratio == 1.0 ? v : static_cast<int>(std::floor(v * ratio + 0.5)); }

QImage blankImage(int w, int h, double ratio, Rgb back) {
    QImage img(std::max(dev(w, ratio), 1), std::max(dev(h, ratio), 1), QImage::Format_RGB32);
    img.setDotsPerMeterX(kDotsPerMeter);
    img.setDotsPerMeterY(kDotsPerMeter);
    img.setDevicePixelRatio(ratio);
    img.fill(toQColor(back));
    return img;
}

// [left, right) x [top, bottom) in 1x pixels, filled at the image's ratio.
void fillInto(QImage &img, double ratio, int left, int top, int right, int bottom, Rgb color) {
    const QRect r =
        QRect(QPoint(dev(left, ratio), dev(top, ratio)), QPoint(dev(right, ratio) - 1, dev(bottom, ratio) - 1))
            .intersected(img.rect());
    if (r.isEmpty()) {
        return;
    }
    const QRgb c = toQColor(color).rgb();
    const auto to = rows(img);
    for (int y = r.top(); y <= r.bottom(); ++y) {
        auto *row = to[y];
        std::fill(row + r.left(), row + r.right() + 1, c);
    }
}

// Mapped: the source pixel of each destination pixel is cols[i], as above 1x.
template <bool Mapped> void ropRow(QRgb *d, const QRgb *s, const int *cols, int n, Rop op) {
    // One loop per operation over a row: the copy of every cell of the well comes through here.
    switch (op) {
    case Rop::Copy:
        for (int i = 0; i < n; ++i) {
            d[i] = s[Mapped ? cols[i] : i] | 0xFF000000U;
        }
        break;
    case Rop::And:
        for (int i = 0; i < n; ++i) {
            d[i] = (d[i] & s[Mapped ? cols[i] : i]) | 0xFF000000U;
        }
        break;
    case Rop::Or:
        for (int i = 0; i < n; ++i) {
            d[i] |= s[Mapped ? cols[i] : i] | 0xFF000000U;
        }
        break;
    }
}

// A block copy of w x h source pixels to (x, y) in 1x pixels. Above 1x every source pixel becomes the block of
// device pixels its 1x pixel covers, so the picture stays pixel art and AND and OR masks still line up.
void blitInto(QImage &img, double ratio, int x, int y, int w, int h, const QImage &src, Rop op) {
    w = std::min(w, src.width());
    h = std::min(h, src.height());
    const auto to = rows(img);
    const auto from = rows(src);
    if (ratio == 1.0) {
        const QRect area = QRect(x, y, w, h).intersected(img.rect());
        for (int dy = area.top(); dy <= area.bottom(); ++dy) {
            ropRow<false>(to[dy] + area.left(), from[dy - y] + (area.left() - x), nullptr, area.width(), op);
        }
        return;
    }
    const int x0 = std::max(dev(x, ratio), 0);
    const int x1 = std::min(dev(x + w, ratio), img.width());
    if (x0 >= x1) {
        return;
    }
    std::vector<int> cols;
    cols.reserve(static_cast<std::size_t>(x1 - x0));
    for (int i = 0; i < w; ++i) {
        for (int dx = std::max(dev(x + i, ratio), x0); dx < std::min(dev(x + i + 1, ratio), x1); ++dx) {
            cols.push_back(i);
        }
    }
    for (int i = 0; i < h; ++i) {
        for (int dy = std::max(dev(y + i, ratio), 0); dy < std::min(dev(y + i + 1, ratio), img.height()); ++dy) {
            ropRow<true>(to[dy] + x0, from[i], cols.data(), x1 - x0, op);
        }
    }
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
    QImage next = blankImage(w, h, 1.0, back_);
    const QRect kept = image_.isNull() || w == 0 || h == 0 ? QRect() : image_.rect().intersected(next.rect());
    if (!kept.isEmpty()) {
        QPainter p(&next);
        p.drawImage(0, 0, image_);
    }
    // A box of no size keeps a 1 x 1 image so that drawing stays harmless.
    image_ = next;
    // The area the new size uncovers is in the back colour, at every ratio.
    const auto fill = [this](int l, int t, int r, int b) {
        record(Op{.bounds = QRect(QPoint(l, t), QPoint(r - 1, b - 1)),
                  .opaque = true,
                  .kind = Op::Kind::Fill,
                  .at = {l, t, r, b},
                  .color = back_});
    };
    if (kept.isEmpty()) {
        fill(0, 0, image_.width(), image_.height());
    } else {
        fill(kept.width(), 0, image_.width(), image_.height());
        fill(0, kept.height(), kept.width(), image_.height());
    }
    if (ratio_ != 1.0) {
        ratio_ = 0.0; // draw the display image again at the new size
        followScreen();
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
    fillRect(0, 0, image_.width(), image_.height(), back_);
    currentX = 0.0;
    currentY = 0.0;
    changed();
}

void PictureBox::print(const QString &text, bool newline) {
    const QFontMetricsF fm(font_, &image_);
    const QStringList lines = splitLines(text);
    // Every line has its place in 1x pixels, so that it lands on the same spot at every ratio and printing it
    // again in the back colour erases it.
    std::vector<std::pair<QPointF, QString>> placed;
    QRectF bounds;
    double x = currentX;
    double y = currentY;
    for (int i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            x = 0.0;
            y += fm.height();
        }
        placed.emplace_back(QPointF(x, y + fm.ascent()), lines[i]);
        bounds |= QRectF(x, y, fm.horizontalAdvance(lines[i]), fm.height());
    }
    const auto draw = [font = font_, color = toQColor(fore_), placed](QImage &img, double /*ratio*/) {
        QPainter p(&img);
        p.setFont(font);
        p.setPen(color);
        for (const auto &[at, line] : placed) {
            p.drawText(at, line);
        }
    };
    draw(image_, 1.0);
    // The same text in the same font and place covers the same pixels, whatever its colour: a cursor that
    // blinks, or a text printed again in the back colour, keeps one call instead of one per print.
    QString key = font_.key();
    for (const auto &[at, line] : placed) {
        key += QStringLiteral("|%1,%2|").arg(at.x()).arg(at.y()) + line;
    }
    if (!ops_.empty() && ops_.back().text == key) {
        ops_.pop_back();
    }
    // Glyphs may reach a little beyond their advance and line.
    record(Op{.bounds = bounds.toAlignedRect().adjusted(-3, -3, 3, 3), .draw = draw, .text = key});
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
    const auto draw = [=](QImage &img, double /*ratio*/) {
        QPainter p(&img);
        QPen pen(toQColor(color));
        pen.setWidth(w);
        pen.setCapStyle(Qt::FlatCap);
        p.setPen(pen);
        p.drawLine(ax, ay, bx, by);
    };
    draw(image_, 1.0);
    record(Op{.bounds = QRect(QPoint(ax, ay), QPoint(bx, by)).normalized().adjusted(-w, -w, w, w), .draw = draw});
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
    if (left >= right || top >= bottom) {
        return;
    }
    fillInto(image_, 1.0, left, top, right, bottom, color);
    record(Op{.bounds = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)),
              .opaque = true,
              .kind = Op::Kind::Fill,
              .at = {left, top, right, bottom},
              .color = color});
}

void PictureBox::blit(int x, int y, int w, int h, const QImage &source, Rop op) {
    QImage src = source.format() == QImage::Format_RGB32 || source.format() == QImage::Format_ARGB32
                     ? source
                     : source.convertToFormat(QImage::Format_RGB32);
    blitInto(image_, 1.0, x, y, w, h, src, op);
    const QRect bounds(x, y, std::min(w, src.width()), std::min(h, src.height()));
    record(Op{.bounds = bounds,
              .opaque = op == Rop::Copy,
              .kind = Op::Kind::Copy,
              .at = {x, y, w, h},
              .rop = op,
              .source = std::move(src)});
}

void PictureBox::replay(const Op &op, QImage &img, double ratio) {
    const auto &[a, b, c, d] = op.at;
    switch (op.kind) {
    case Op::Kind::Fill:
        fillInto(img, ratio, a, b, c, d, op.color);
        break;
    case Op::Kind::Copy:
        blitInto(img, ratio, a, b, c, d, op.source, op.rop);
        break;
    case Op::Kind::Call:
        op.draw(img, ratio);
        break;
    }
}

void PictureBox::record(Op op) {
    op.bounds = op.bounds.intersected(image_.rect());
    if (op.bounds.isEmpty()) {
        return;
    }
    if (op.opaque && op.bounds == image_.rect()) {
        ops_.clear();
        ops_compacted_ = 0;
    }
    if (ratio_ != 1.0) {
        replay(op, display_, ratio_);
    }
    ops_.push_back(std::move(op));
    if (ops_.size() > 2 * ops_compacted_ + 512) {
        compactOps();
    }
}

// Leaves out the calls whose every pixel a later opaque call covers: in a game the same cells are copied over
// and over, and only the latest copy of each counts.
void PictureBox::compactOps() {
    // Later opaque rectangles of one cell or smaller, by corner and size, in an open-addressed table (this runs
    // on the way from a key to the screen); larger ones in a list.
    std::size_t size = 64;
    while (size < 2 * ops_.size()) {
        size *= 2;
    }
    std::vector<quint64> cells(size, 0);
    const int shift = 64 - std::countr_zero(size);
    QVector<QRect> large;
    std::vector<bool> drop(ops_.size(), false);
    for (std::size_t i = ops_.size(); i-- > 0;) {
        const QRect &b = ops_[i].bounds;
        const quint64 key =
            (quint64(b.x()) << 48) | (quint64(b.y()) << 32) | (quint64(b.width()) << 16) | quint64(b.height());
        std::size_t slot = (key * 0x9E3779B97F4A7C15ULL) >> shift;
        while (cells[slot] != 0 && cells[slot] != key) {
            slot = (slot + 1) & (size - 1);
        }
        if (cells[slot] == key ||
            std::any_of(large.begin(), large.end(), [&](const QRect &l) { return l.contains(b); })) {
            drop[i] = true;
        } else if (ops_[i].opaque && b.width() * b.height() <= 16 * 16) {
            cells[slot] = key;
        } else if (ops_[i].opaque) {
            large.push_back(b);
        }
    }
    std::size_t n = 0;
    for (std::size_t i = 0; i < ops_.size(); ++i) {
        if (!drop[i]) {
            ops_[n++] = std::move(ops_[i]);
        }
    }
    ops_.erase(ops_.begin() + static_cast<std::ptrdiff_t>(n), ops_.end());
    if (ops_.size() > kMaxOps) {
        // The picture as it stands, at the best ratio there is, replaces the calls that made it.
        const QImage base = ratio_ != 1.0 ? display_ : image_;
        ops_.clear();
        ops_.push_back(Op{.bounds = image_.rect(), .opaque = true, .draw = [base](QImage &img, double) {
                              QPainter p(&img);
                              p.drawImage(QRectF(QPointF(0, 0), img.deviceIndependentSize()), base);
                          }});
    }
    ops_compacted_ = ops_.size();
}

// Follows the device pixel ratio of the screen the box is on; a new ratio draws the kept calls again.
void PictureBox::followScreen() {
    const double ratio = devicePixelRatioF();
    if (ratio == ratio_) {
        return;
    }
    ratio_ = ratio;
    if (ratio_ == 1.0) {
        display_ = QImage();
        return;
    }
    display_ = blankImage(image_.width(), image_.height(), ratio_, back_);
    for (const Op &op : ops_) {
        replay(op, display_, ratio_);
    }
}

const QImage &PictureBox::displayImage() {
    followScreen();
    return ratio_ == 1.0 ? image_ : display_;
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
    followScreen();
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
    p.drawImage(QPointF(frame_, frame_), ratio_ == 1.0 ? image_ : display_);
}

void PictureBox::mousePressEvent(QMouseEvent * /*event*/) { takeFocus(); }

} // namespace plat
