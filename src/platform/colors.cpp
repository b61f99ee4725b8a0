#include "colors.h"

#include <QApplication>
#include <QPalette>

namespace plat {

Rgb buttonFaceColor() { return fromQColor(QApplication::palette().color(QPalette::Button)); }

Rgb windowTextColor() { return fromQColor(QApplication::palette().color(QPalette::WindowText)); }

} // namespace plat
