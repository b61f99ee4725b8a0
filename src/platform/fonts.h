// The fonts the game names, mapped to fonts a Debian desktop has.
// "Arial" and "Courier New" become the metric-compatible Liberation Sans and
// Liberation Mono (fonts-liberation2). "MS Sans Serif" has no metric twin;
// we use Liberation Sans for it too: a plain, wide sans serif of the same
// family as the rest of the window, with Cyrillic, and the same on every
// machine that has the package, so text sizes and box sizes are repeatable.
// Text in picture boxes is drawn without antialiasing: the game erases text
// by printing it again in the background colour, which only leaves no trace
// when every pixel is either fully drawn or untouched.
#pragma once

#include <QFont>
#include <QString>

namespace plat {

[[nodiscard]] QString installedFamily(const QString &requested);
[[nodiscard]] QFont gameFont(const QString &requested, double points, bool bold, bool antialiased = false);
// True when the installed family for requested really is the intended
// substitute (false means Qt fell back to some other font).
[[nodiscard]] bool substituteAvailable(const QString &requested);

} // namespace plat
