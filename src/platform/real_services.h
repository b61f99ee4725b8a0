// The services on a real desktop: Qt timers, Qt's event loop as the pump,
// Qt message boxes, the executable's folder, the disk and the sound device.
#pragma once

#include "posix_files.h"
#include "services.h"

#include <QString>

#include <memory>

class QWidget;

namespace plat {

class RealServices : public Services {
public:
    // folder: where the game keeps its files; empty means the executable's folder.
    explicit RealServices(QString folder = {});
    ~RealServices() override;
    RealServices(const RealServices &) = delete;
    RealServices &operator=(const RealServices &) = delete;

    std::unique_ptr<Timer> createTimer(std::function<void()> tick) override;
    void pumpEvents() override;
    int secondsSinceMidnight() override;
    QString programFolder() override;
    int messageBox(const QString &text, int style, const QString &title) override;
    void setBusyCursor(bool busy) override;
    FileSystem &files() override { return files_; }
    SoundSink &sound() override;

    // The window message boxes belong to.
    void setDialogParent(QWidget *parent) { dialog_parent_ = parent; }

private:
    QString folder_;
    PosixFileSystem files_;
    std::unique_ptr<SoundSink> sound_;
    QWidget *dialog_parent_ = nullptr;
    bool busy_ = false;
};

// The desktop id: the desktop entry's name, the Wayland app_id and the X11 window class.
inline constexpr char kDesktopId[] = "org.example.Clockwell";

// Where the game keeps zweb.cfg and zweb.sco: a copy installed by the package or `cmake --install` always in the
// player's own data folder
// (~/.local/share/Clockwell), whoever runs it; any other copy beside the executable, unless that folder holds
// neither file and cannot be written.
QString chooseGameFolder(const QString &beside);

// Creates the sound player of this machine, or one that plays nothing when
// there is no usable audio output or use_device is false (so a machine with a
// device can run as one without).
std::unique_ptr<SoundSink> createDeviceSoundSink(bool use_device = true);

} // namespace plat
