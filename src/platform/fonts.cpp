#include "fonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

namespace plat {

QString installedFamily(const QString &requested) {
    if (requested == QLatin1String("Courier New")) {
        return QStringLiteral("Liberation Mono");
    }
    // "Arial", "MS Sans Serif" and anything else.
    return QStringLiteral("Liberation Sans");
}

QFont gameFont(const QString &requested, double points, bool bold, bool antialiased) {
    QFont f(installedFamily(requested));
    f.setPointSizeF(points);
    f.setBold(bold);
    if (requested == QLatin1String("Courier New")) {
        f.setStyleHint(QFont::TypeWriter);
        f.setFixedPitch(true);
    } else {
        f.setStyleHint(QFont::SansSerif);
    }
    f.setHintingPreference(QFont::PreferFullHinting);
    // Text is erased by printing it again after what stands before it: without kerning a letter lands in the
    // same place whether or not a neighbour follows it.
    f.setKerning(false);
    f.setStyleStrategy(antialiased ? QFont::PreferAntialias : QFont::NoAntialias);
    return f;
}

bool substituteAvailable(const QString &requested) {
    return QFontDatabase::families().contains(installedFamily(requested));
}

} // namespace plat
