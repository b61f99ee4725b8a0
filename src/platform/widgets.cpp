#include "widgets.h"

#include "fonts.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace plat {

Label::Label(QWidget *parent, const QRect &geometry, Qt::Alignment align, const QString &family, double points,
             bool bold, bool framed)
    : QLabel(parent), fore_(windowTextColor()) {
    setGeometry(geometry);
    setAlignment(align);
    // Labels are ordinary window text: antialiased like the rest of the desktop.
    setFont(gameFont(family, points, bold, true));
    if (framed) {
        setFrameStyle(QFrame::Box | QFrame::Plain);
        setLineWidth(1);
        setMargin(1);
    }
    setAutoFillBackground(true);
}

void Label::setCaption(const QString &text) {
    caption_ = text;
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    setText(shown);
}

void Label::setForeColor(Rgb color) {
    fore_ = color;
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, toQColor(color));
    setPalette(pal);
}

Rgb Label::backColor() const { return fromQColor(palette().color(QPalette::Window)); }

ImageArray::ImageArray(QWidget *parent, QPoint position) : QWidget(parent) {
    move(position);
    faces_.push_back({});
    faces_.front().visible = true;
}

void ImageArray::load(int index) {
    if (index < 0) {
        return;
    }
    if (static_cast<size_t>(index) >= faces_.size()) {
        faces_.resize(static_cast<size_t>(index) + 1);
    }
    faces_[static_cast<size_t>(index)] = {faces_.front().picture, false};
    update();
}

void ImageArray::setPicture(int index, const QImage &picture) {
    faces_.at(static_cast<size_t>(index)).picture = picture;
    fitSize();
    update();
}

void ImageArray::setFaceVisible(int index, bool visible) {
    if (index < 0 || static_cast<size_t>(index) >= faces_.size()) {
        return; // a face that was never created
    }
    faces_[static_cast<size_t>(index)].visible = visible;
    update();
}

int ImageArray::topFace() const {
    // Pressed over greyed over raised: a press shows for its whole 200 ms even when its action greys the button,
    // and a button greyed during its press stays greyed when the raised face comes back under it.
    for (const size_t i : {size_t{1}, size_t{2}, size_t{0}}) {
        if (i < faces_.size() && faces_[i].visible) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void ImageArray::fitSize() {
    int w = 0;
    int h = 0;
    for (const Face &f : faces_) {
        w = std::max(w, f.picture.width());
        h = std::max(h, f.picture.height());
    }
    resize(w, h);
}

void ImageArray::paintEvent(QPaintEvent * /*event*/) {
    const int top = topFace();
    if (top < 0) {
        return;
    }
    QPainter p(this);
    p.drawImage(0, 0, faces_[static_cast<size_t>(top)].picture);
}

void ImageArray::mousePressEvent(QMouseEvent *event) { pressed_ = event->button() == Qt::LeftButton; }

// The second press of a double click is no click of its own: a switch toggles once.
void ImageArray::mouseDoubleClickEvent(QMouseEvent * /*event*/) { pressed_ = false; }

// A click is a press and its release over the button, as on any desktop button.
void ImageArray::mouseReleaseEvent(QMouseEvent *event) {
    const int top = topFace();
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    if (click && top >= 0 && onClick) {
        onClick(top);
    }
}

} // namespace plat
