// The pictures and clips built into the executable, looked up by their ids.
#pragma once

#include <QByteArray>
#include <QImage>

namespace plat {

// Bitmap 101..132; a null image when there is no such resource.
[[nodiscard]] QImage loadBitmap(int id);
// The whole WAV file of clip 101..111; empty when there is no such resource.
[[nodiscard]] QByteArray loadCustom(int id);
// The program icon.
[[nodiscard]] QImage loadIcon();

} // namespace plat
