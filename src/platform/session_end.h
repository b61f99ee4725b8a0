// The end of a session: SIGTERM, SIGINT, SIGHUP, or the session manager asking the program to quit at
// logout. The signal handler only writes a byte into a pipe; the end itself runs on the user-interface thread,
// between two events, like any other handler. A logout is handed over as a request the program may answer.
#pragma once

#include "services.h"

#include <QObject>

#include <csignal>
#include <functional>

class QSocketNotifier;

namespace plat {

class SessionEnd : public QObject {
public:
    SessionEnd(std::function<void()> end, std::function<void(LogOffRequest &)> log_off);
    ~SessionEnd() override;
    SessionEnd(const SessionEnd &) = delete;
    SessionEnd &operator=(const SessionEnd &) = delete;

private:
    std::function<void()> end_;
    std::function<void(LogOffRequest &)> log_off_;
    QSocketNotifier *notifier_ = nullptr;
    struct sigaction old_[3]{};
};

} // namespace plat
