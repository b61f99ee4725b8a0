#include "fixed_window.h"

#include <QEvent>
#include <QLayout>
#include <QVariant>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace plat {

namespace {

constexpr char kOffset[] = "clockwellContentOffset";

class Centring : public QObject {
public:
    explicit Centring(QWidget *window) : QObject(window), window_(window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (watched != window_) {
            return false;
        }
        if (event->type() == QEvent::Show && !connected_ && window_->windowHandle() != nullptr) {
            // The window's own signal comes at the request, before the compositor's answer is applied: the size
            // limits must be gone by then, or Qt clamps the size it is given back to the fixed one.
            connected_ = true;
            connect(window_->windowHandle(), &QWindow::windowStateChanged, this, &Centring::maximizing);
        } else if (event->type() == QEvent::Resize && large_) {
            shift(QPoint(std::max(0, (window_->width() - fixed_.width()) / 2),
                         std::max(0, (window_->height() - fixed_.height()) / 2)));
        } else if (event->type() == QEvent::WindowStateChange && large_ &&
                   (window_->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) == 0) {
            // The compositor's answer to a restore has been applied, the size with it: only now may the limits
            // come back. Put back at the request, they would shrink the window while the compositor still holds
            // it maximized, which ends the connection.
            large_ = false;
            shift(QPoint());
            window_->setMinimumSize(min_);
            window_->setMaximumSize(max_);
            if (QLayout *layout = window_->layout(); layout != nullptr) {
                layout->setEnabled(true);
                layout->activate();
            }
        }
        return false;
    }

private:
    void maximizing(Qt::WindowState state) {
        if (large_ || (state != Qt::WindowMaximized && state != Qt::WindowFullScreen)) {
            return;
        }
        large_ = true;
        fixed_ = window_->size();
        min_ = window_->minimumSize();
        max_ = window_->maximumSize();
        // The contents are moved as they are: a layout left on would spread them over the new size, or (a message
        // box's) fix the window's size anew.
        if (QLayout *layout = window_->layout(); layout != nullptr) {
            layout->setEnabled(false);
        }
        window_->setMinimumSize(fixed_);
        window_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }

    void shift(QPoint to) {
        if (to == offset_) {
            return;
        }
        for (QObject *child : window_->children()) {
            auto *widget = qobject_cast<QWidget *>(child);
            if (widget != nullptr && !widget->isWindow()) {
                widget->move(widget->pos() + to - offset_);
            }
        }
        offset_ = to;
        window_->setProperty(kOffset, to);
        window_->update();
    }

    QWidget *window_;
    bool connected_ = false;
    bool large_ = false;
    QSize fixed_, min_, max_;
    QPoint offset_;
};

} // namespace

void centreWhenMaximized(QWidget *window) { new Centring(window); }

QPoint contentOffset(const QWidget *window) { return window->property(kOffset).toPoint(); }

} // namespace plat
