// The pictures and clips built into the executable, looked up by their ids.
#pragma once

#include <QByteArray>
#include <QIcon>
#include <QImage>
#include <QString>

#include <functional>

namespace plat {

// What happens when a resource is missing. By default the program shows the
// message and ends; a test may install a handler that records it instead, and
// the loader then returns a null image or empty bytes. Returns the old handler.
using ResourceFailureHandler = std::function<void(const QString &)>;
ResourceFailureHandler setResourceFailureHandler(ResourceFailureHandler handler);

// Bitmap 101..132.
[[nodiscard]] QImage loadBitmap(int id);
// The whole WAV file of clip 101..111.
[[nodiscard]] QByteArray loadCustom(int id);
// The program icon, 32 x 32.
[[nodiscard]] QImage loadIcon();
// The program icon in every size drawn for desktops, so that a window manager
// or a HiDPI task bar picks a sharp one instead of scaling the 32 px picture.
[[nodiscard]] QIcon loadIconSet();

} // namespace plat
