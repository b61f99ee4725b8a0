// Services for tests: a virtual clock that moves only when a test advances
// it, recorded message boxes with scripted answers, a sound sink that
// remembers what it was asked to play, and files in a folder the test picks.
//
// advance(ms) fires every timer and posted event that falls due on the way,
// earliest first (ties in the order they were scheduled), so a whole game
// runs in milliseconds and always the same way. The event pump that a
// handler calls runs what is due at the current virtual time; setPumpCost
// lets each pump take some virtual time, so that timers can fall due between
// two rows of a drop.
#pragma once

#include "posix_files.h"
#include "services.h"

#include <QByteArray>
#include <QString>

#include <deque>
#include <functional>
#include <vector>

namespace plat {

class VirtualTimer;

class RecordingSound : public SoundSink {
public:
    struct Call {
        bool play = false; // false: a stop
        QByteArray wav;
    };
    void play(const QByteArray &wav) override { calls.push_back({true, wav}); }
    void stop() override { calls.push_back({false, {}}); }
    // The clips played so far, in order.
    [[nodiscard]] std::vector<QByteArray> played() const;
    std::vector<Call> calls;
};

// A logout as a test makes it: whether the game may ask, and whether it called the logout off.
struct FakeLogOff : LogOffRequest {
    bool interaction = true;
    bool cancelled = false;
    bool allowsInteraction() override { return interaction; }
    void cancel() override { cancelled = true; }
};

class VirtualServices : public Services {
public:
    explicit VirtualServices(QString folder = {});
    ~VirtualServices() override;
    VirtualServices(const VirtualServices &) = delete;
    VirtualServices &operator=(const VirtualServices &) = delete;

    // Services.
    std::unique_ptr<Timer> createTimer(std::function<void()> tick) override;
    void pumpEvents() override;
    int secondsSinceMidnight() override { return seconds_since_midnight_; }
    QString programFolder() override { return folder_; }
    int messageBox(const QString &text, int style, const QString &title) override;
    void setBusyCursor(bool busy) override { busy_cursor_history.push_back(busy); }
    FileSystem &files() override { return files_ != nullptr ? *files_ : posix_; }
    SoundSink &sound() override { return sound_ != nullptr ? *sound_ : recording_sound; }

    // Time.
    [[nodiscard]] qint64 now() const { return now_; }
    void advance(qint64 ms);
    // Runs fn (a key press, a click, a close request) at now + delay, as an
    // input event that the event pump or advance() delivers.
    void post(std::function<void()> fn, qint64 delay = 0);
    void setPumpCost(qint64 ms) { pump_cost_ = ms; }
    [[nodiscard]] int pumpCount() const { return pump_count_; }
    // Called at the start of every pump with the pump's number (from 1).
    std::function<void(int)> onPump;

    // Set-up seams.
    void setProgramFolder(const QString &folder) { folder_ = folder; }
    void setSecondsSinceMidnight(int s) { seconds_since_midnight_ = s; }
    void setFileSystem(FileSystem *fs) { files_ = fs; }
    void setSoundSink(SoundSink *sink) { sound_ = sink; }

    // Message boxes shown, and the answers to give (front first). Without a
    // scripted answer a question is answered Yes and everything else OK.
    struct Shown {
        QString text;
        int style = 0;
        QString title;
    };
    std::vector<Shown> messages;
    std::deque<int> answers;
    std::function<void(const Shown &)> onMessage;

    RecordingSound recording_sound;
    std::vector<bool> busy_cursor_history;

private:
    friend class VirtualTimer;
    struct Posted {
        qint64 due;
        quint64 order;
        std::function<void()> fn;
    };
    void runDue(qint64 limit);
    quint64 nextOrder() { return ++order_; }

    QString folder_;
    PosixFileSystem posix_;
    FileSystem *files_ = nullptr;
    SoundSink *sound_ = nullptr;
    int seconds_since_midnight_ = 12 * 3600;
    qint64 now_ = 0;
    qint64 pump_cost_ = 0;
    int pump_count_ = 0;
    int advancing_ = 0;
    quint64 order_ = 0;
    std::vector<VirtualTimer *> timers_;
    std::vector<Posted> posted_;
};

} // namespace plat
