// The plain controls of the main window: labels and image arrays.
#pragma once

#include "colors.h"

#include <QImage>
#include <QLabel>
#include <QWidget>

#include <functional>
#include <vector>

namespace plat {

// A caption on the window. CR LF in a caption breaks the line.
class Label : public QLabel {
public:
    Label(QWidget *parent, const QRect &geometry, Qt::Alignment align, const QString &family, double points, bool bold,
          bool framed);
    void setCaption(const QString &text);
    [[nodiscard]] QString caption() const { return caption_; }
    void setForeColor(Rgb color);
    [[nodiscard]] Rgb foreColor() const { return fore_; }
    [[nodiscard]] Rgb backColor() const;

private:
    QString caption_;
    Rgb fore_;
};

// Image controls stacked on one spot, one picture each. Only visible
// elements are drawn and clicked; the game shows one face of a button at a
// time. When two are visible, the pressed face (index 1) is drawn over the
// greyed one (2), and both over the raised one (0).
class ImageArray : public QWidget {
public:
    ImageArray(QWidget *parent, QPoint position);
    // Creates element index (hidden) as a copy of element 0.
    void load(int index);
    [[nodiscard]] int count() const { return static_cast<int>(faces_.size()); }
    void setPicture(int index, const QImage &picture);
    [[nodiscard]] const QImage &picture(int index) const { return faces_.at(static_cast<size_t>(index)).picture; }
    void setFaceVisible(int index, bool visible);
    [[nodiscard]] bool faceVisible(int index) const { return faces_.at(static_cast<size_t>(index)).visible; }
    // The face a player sees, or -1 when none is visible.
    [[nodiscard]] int topFace() const;
    std::function<void(int index)> onClick;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    struct Face {
        QImage picture;
        bool visible = false;
    };
    void fitSize();
    std::vector<Face> faces_;
    bool pressed_ = false;
};

} // namespace plat
