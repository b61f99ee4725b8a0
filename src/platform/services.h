// The services the game asks of its surroundings: timers, the event pump,
// the clock, message boxes, the mouse pointer, files and sound.
// Two implementations exist: the real one on Qt (real_services.h) and a
// virtual one for tests (virtual_services.h), where time only moves when a
// test advances it.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace plat {

// A timer whose ticks arrive on the one user-interface thread, one interval
// after it is enabled and after every tick while it stays enabled.
// An interval of 0 never fires. Changing the interval of an enabled timer
// restarts its countdown; enabling an enabled timer changes nothing.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void setInterval(int ms) = 0;
    [[nodiscard]] virtual int interval() const = 0;
    virtual void setEnabled(bool on) = 0;
    [[nodiscard]] virtual bool enabled() const = 0;
};

// Message box styles and answers, with the values the game's texts use.
enum MsgStyle : std::int16_t {
    kMsgCritical = 16,    // OK, stop icon
    kMsgExclamation = 48, // OK, exclamation icon
    kMsgYesNoQuestion = 36,
};
enum MsgAnswer : std::int16_t { kAnswerOk = 1, kAnswerYes = 6, kAnswerNo = 7 };

// A failed file operation: a number and a description, as the operating
// system reports them ("Error 13: Permission denied").
struct FileError {
    int number = 0;
    QString description;
    // As every message about a file shows it.
    [[nodiscard]] QString text() const {
        return QStringLiteral("Error ") + QString::number(number) + QStringLiteral(": ") + description;
    }
};

template <typename T> struct FileResult {
    std::optional<T> value;
    FileError error;
    [[nodiscard]] bool ok() const { return value.has_value(); }
};

// Whole-file access. Writing replaces a file only once the new content is
// complete on disk, so a failure part-way leaves the old file untouched.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    [[nodiscard]] virtual bool exists(const QString &path) = 0;
    [[nodiscard]] virtual FileResult<qint64> size(const QString &path) = 0;
    [[nodiscard]] virtual FileResult<QByteArray> readAll(const QString &path) = 0;
    // Returns nullopt on success.
    virtual std::optional<FileError> writeAll(const QString &path, const QByteArray &bytes) = 0;
    virtual std::optional<FileError> remove(const QString &path) = 0;
};

// Plays a whole WAV image from memory without waiting; a new clip cuts off
// the one that plays. A clip that cannot be played is skipped silently.
class SoundSink {
public:
    virtual ~SoundSink() = default;
    virtual void play(const QByteArray &wav) = 0;
    virtual void stop() = 0;
};

// The session manager asking the program to end, as the user logs off.
class LogOffRequest {
public:
    virtual ~LogOffRequest() = default;
    // Whether the program may ask the user a question now.
    [[nodiscard]] virtual bool allowsInteraction() = 0;
    // The log-off is called off: the session goes on.
    virtual void cancel() = 0;
};

class Services {
public:
    virtual ~Services() = default;
    [[nodiscard]] virtual std::unique_ptr<Timer> createTimer(std::function<void()> tick) = 0;
    // Lets pending events (keys, ticks, close requests) run, then returns.
    virtual void pumpEvents() = 0;
    [[nodiscard]] virtual int secondsSinceMidnight() = 0;
    // The folder of the executable, without a trailing separator.
    [[nodiscard]] virtual QString programFolder() = 0;
    virtual int messageBox(const QString &text, int style, const QString &title) = 0;
    virtual void setBusyCursor(bool busy) = 0;
    virtual FileSystem &files() = 0;
    virtual SoundSink &sound() = 0;
};

// The program's folder joined with a file name, with this system's separator.
QString joinPath(const QString &folder, const QString &name);

} // namespace plat
