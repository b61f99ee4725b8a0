#include "resources.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QMessageBox>
#include <QPixmap>

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace plat {

namespace {

// The resources are built into the executable, so a missing one means a damaged
// program: say so and end, as any failing platform call during the load does.
[[noreturn]] void endProgram(const QString &text) {
    std::fputs(qPrintable(text + QLatin1Char('\n')), stderr);
    if (qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr) {
        QMessageBox::critical(nullptr, QStringLiteral("Clockwell"), text);
    }
    std::fflush(nullptr);
    // Nothing is open for writing while resources load; skip the teardown of a
    // half-built window.
    std::_Exit(EXIT_FAILURE);
}

ResourceFailureHandler &failureHandler() {
    static ResourceFailureHandler handler;
    return handler;
}

void fail(const QString &text) {
    if (failureHandler()) {
        failureHandler()(text);
        return;
    }
    endProgram(text);
}

} // namespace

ResourceFailureHandler setResourceFailureHandler(ResourceFailureHandler handler) {
    return std::exchange(failureHandler(), std::move(handler));
}

QImage loadBitmap(int id) {
    QImage img(QStringLiteral(":/bmp/%1.bmp").arg(id));
    if (img.isNull()) {
        fail(QStringLiteral("Resource %1 (bitmap) cannot be loaded: the program is damaged.").arg(id));
        return img;
    }
    return img.convertToFormat(QImage::Format_RGB32);
}

QByteArray loadCustom(int id) {
    QFile f(QStringLiteral(":/wav/%1.wav").arg(id));
    if (!f.open(QIODevice::ReadOnly)) {
        fail(QStringLiteral("Resource %1 (CUSTOM) cannot be loaded: the program is damaged.").arg(id));
        return {};
    }
    return f.readAll();
}

const QString kIconDamaged = QStringLiteral("The program's icon cannot be loaded: the program is damaged.");

QImage loadIcon() {
    QImage img(QStringLiteral(":/icon.ico"));
    if (img.isNull()) {
        fail(kIconDamaged);
    }
    return img;
}

QIcon loadIconSet() {
    const QDir dir(QStringLiteral(":/icons"));
    const QStringList names = dir.entryList(QDir::Files);
    QIcon set;
    for (const QString &name : names) {
        const QPixmap size(dir.filePath(name));
        if (size.isNull()) {
            fail(kIconDamaged);
            return {};
        }
        set.addPixmap(size);
    }
    if (names.isEmpty()) {
        fail(kIconDamaged);
    }
    return set;
}

} // namespace plat
