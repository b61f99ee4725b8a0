#include "resources.h"

#include <QFile>
#include <QIcon>

namespace plat {

QImage loadBitmap(int id) {
    QImage img(QStringLiteral(":/bmp/%1.bmp").arg(id));
    if (img.isNull()) {
        return img;
    }
    return img.convertToFormat(QImage::Format_RGB32);
}

QByteArray loadCustom(int id) {
    QFile f(QStringLiteral(":/wav/%1.wav").arg(id));
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    return f.readAll();
}

QImage loadIcon() { return QImage(QStringLiteral(":/icon.ico")); }

} // namespace plat
