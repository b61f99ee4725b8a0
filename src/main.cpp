// Clockwell: a falling-block puzzle game against the clock.
#include "form1.h"

#include "platform/real_services.h"
#include "platform/session_end.h"

#include <QApplication>
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>

int main(int /*argc*/, char *argv[]) {
    // A desktop session is needed; say so plainly instead of Qt's abort message.
    const char *platform = std::getenv("QT_QPA_PLATFORM");
    if ((platform == nullptr || *platform == '\0') && std::getenv("DISPLAY") == nullptr &&
        std::getenv("WAYLAND_DISPLAY") == nullptr) {
        std::fprintf(stderr, "Clockwell needs a graphical desktop: no display was found (DISPLAY and "
                             "WAYLAND_DISPLAY are not set).\nRun it from a desktop session, or under Xvfb: "
                             "xvfb-run ./clockwell\n");
        return 2;
    }
    // The game takes no command line: Qt's own options (-reverse, -style...) would change its window.
    int no_options = 1;
    QApplication app(no_options, argv);
    // The desktop id names the window for docks and task bars: the Wayland app_id, and the class of the X11
    // WM_CLASS, which Qt takes from the application's name.
    QApplication::setApplicationName(QString::fromLatin1(plat::kDesktopId));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(plat::kDesktopId));
    QApplication::setApplicationVersion(QStringLiteral("2.0"));
    plat::RealServices services(plat::chooseGameFolder(QCoreApplication::applicationDirPath()));
    auto form = start_program(services);
    services.setDialogParent(form.get());
    const plat::SessionEnd ending([&form] { form->end_session(); },
                                  [&form](plat::LogOffRequest &request) { form->log_off(request); });
    return QApplication::exec();
}
