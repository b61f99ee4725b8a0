// Build-time helper: writes the program icon as a PNG for desktop menus.
#include <QGuiApplication>
#include <QImage>

#include <cstdio>

int main(int argc, char *argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: icon_png ICON.ico OUT.png\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QGuiApplication app(argc, argv); // loads the image-format plugins
    const QImage icon(QString::fromLocal8Bit(argv[1]));
    if (icon.isNull() || !icon.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "icon_png: cannot convert %s\n", argv[1]);
        return 1;
    }
    return 0;
}
