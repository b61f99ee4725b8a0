// Colours as 32-bit values with red in the low byte, as the game's tables give them.
#pragma once

#include <QColor>

#include <cstdint>

namespace plat {

using Rgb = std::uint32_t;

constexpr Rgb rgb(int r, int g, int b) {
    return static_cast<Rgb>(r & 0xFF) | (static_cast<Rgb>(g & 0xFF) << 8) | (static_cast<Rgb>(b & 0xFF) << 16);
}
constexpr int red(Rgb c) { return static_cast<int>(c & 0xFFU); }
constexpr int green(Rgb c) { return static_cast<int>((c >> 8) & 0xFFU); }
constexpr int blue(Rgb c) { return static_cast<int>((c >> 16) & 0xFFU); }

inline QColor toQColor(Rgb c) { return {red(c), green(c), blue(c)}; }
inline Rgb fromQColor(const QColor &c) { return rgb(c.red(), c.green(), c.blue()); }

// System colours the game reads.
Rgb buttonFaceColor(); // index 15
Rgb windowTextColor();

} // namespace plat
