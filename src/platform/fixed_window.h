// Fixed-size windows that a compositor maximizes all the same.
#pragma once

#include <QPoint>

class QWidget;

namespace plat {

// Lets a fixed-size window follow a maximize (or full-screen) request instead of being cut off for ignoring it:
// Wayland's client-side title bar offers the button whatever the window's flags, and the compositor then insists
// on its size. The window takes that size, its contents keep theirs, centred on the window's background, and the
// next request gives the fixed size back.
void centreWhenMaximized(QWidget *window);

// How far the contents of `window` are moved while it is maximized; (0, 0) otherwise. For windows that paint at
// fixed places themselves.
QPoint contentOffset(const QWidget *window);

} // namespace plat
