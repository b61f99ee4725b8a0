#include "session_end.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace plat {

namespace {

int wake[2] = {-1, -1};
constexpr int kSignals[3] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void onSignal(int /*signal*/) {
    const int saved = errno;
    const char byte = 1;
    (void)!::write(wake[1], &byte, 1);
    errno = saved;
}

// The session manager's request as the game sees it.
class ManagerRequest : public LogOffRequest {
public:
    explicit ManagerRequest(QSessionManager &manager) : manager_(manager) {}
    bool allowsInteraction() override { return manager_.allowsInteraction(); }
    void cancel() override { manager_.cancel(); }

private:
    QSessionManager &manager_;
};

} // namespace

SessionEnd::SessionEnd(std::function<void()> end, std::function<void(LogOffRequest &)> log_off)
    : end_(std::move(end)), log_off_(std::move(log_off)) {
    if (wake[0] < 0 && ::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        return; // without a pipe the system's default ending stays
    }
    notifier_ = new QSocketNotifier(wake[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(wake[0], bytes, sizeof bytes) > 0) {
        }
        end_();
    });
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int i = 0; i < 3; ++i) {
        ::sigaction(kSignals[i], &sa, &old_[i]);
    }
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &manager) {
            ManagerRequest request(manager);
            log_off_(request);
        });
    }
}

SessionEnd::~SessionEnd() {
    for (int i = 0; i < 3 && notifier_ != nullptr; ++i) {
        ::sigaction(kSignals[i], &old_[i], nullptr);
    }
}

} // namespace plat
