#include "virtual_services.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace plat {

class VirtualTimer : public Timer {
public:
    VirtualTimer(VirtualServices &clock, std::function<void()> tick) : clock_(clock), tick_(std::move(tick)) {
        clock_.timers_.push_back(this);
    }
    ~VirtualTimer() override {
        auto &list = clock_.timers_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
    VirtualTimer(const VirtualTimer &) = delete;
    VirtualTimer &operator=(const VirtualTimer &) = delete;

    void setInterval(int ms) override {
        interval_ = ms;
        if (enabled_) {
            schedule();
        }
    }
    [[nodiscard]] int interval() const override { return interval_; }
    void setEnabled(bool on) override {
        if (on == enabled_) {
            return;
        }
        enabled_ = on;
        if (on) {
            schedule();
        }
    }
    [[nodiscard]] bool enabled() const override { return enabled_; }

    [[nodiscard]] bool armed() const { return enabled_ && interval_ > 0; }
    qint64 due = 0;
    quint64 order = 0;

    void fire() {
        // Periodic: the next tick is one interval after this one, unless the
        // handler disables or re-times the timer.
        due += interval_;
        order = clock_.nextOrder();
        tick_();
    }

private:
    void schedule() {
        due = clock_.now_ + interval_;
        order = clock_.nextOrder();
    }
    VirtualServices &clock_;
    std::function<void()> tick_;
    int interval_ = 0;
    bool enabled_ = false;
};

std::vector<QByteArray> RecordingSound::played() const {
    std::vector<QByteArray> out;
    for (const Call &c : calls) {
        if (c.play) {
            out.push_back(c.wav);
        }
    }
    return out;
}

VirtualServices::VirtualServices(QString folder) : folder_(std::move(folder)) {}

VirtualServices::~VirtualServices() = default;

std::unique_ptr<Timer> VirtualServices::createTimer(std::function<void()> tick) {
    return std::make_unique<VirtualTimer>(*this, std::move(tick));
}

void VirtualServices::post(std::function<void()> fn, qint64 delay) {
    posted_.push_back({now_ + std::max<qint64>(delay, 0), nextOrder(), std::move(fn)});
}

void VirtualServices::runDue(qint64 limit) {
    for (;;) {
        VirtualTimer *timer = nullptr;
        for (VirtualTimer *t : timers_) {
            if (t->armed() && t->due <= limit &&
                (timer == nullptr || t->due < timer->due || (t->due == timer->due && t->order < timer->order))) {
                timer = t;
            }
        }
        auto event = posted_.end();
        for (auto it = posted_.begin(); it != posted_.end(); ++it) {
            if (it->due <= limit && (event == posted_.end() || it->due < event->due ||
                                     (it->due == event->due && it->order < event->order))) {
                event = it;
            }
        }
        const bool take_event = event != posted_.end() && (timer == nullptr || event->due < timer->due ||
                                                           (event->due == timer->due && event->order < timer->order));
        if (take_event) {
            now_ = std::max(now_, event->due);
            std::function<void()> fn = std::move(event->fn);
            posted_.erase(event);
            fn();
        } else if (timer != nullptr) {
            now_ = std::max(now_, timer->due);
            timer->fire();
        } else {
            return;
        }
    }
}

void VirtualServices::advance(qint64 ms) {
    if (advancing_ > 0) {
        throw std::logic_error("advance() called from inside a handler");
    }
    ++advancing_;
    const qint64 target = now_ + std::max<qint64>(ms, 0);
    try {
        runDue(target);
    } catch (...) {
        --advancing_;
        throw;
    }
    now_ = std::max(now_, target); // a costly pump may have run past it
    --advancing_;
}

void VirtualServices::pumpEvents() {
    ++pump_count_;
    if (onPump) {
        onPump(pump_count_);
    }
    now_ += pump_cost_;
    runDue(now_);
}

int VirtualServices::messageBox(const QString &text, int style, const QString &title) {
    messages.push_back({text, style, title});
    if (onMessage) {
        onMessage(messages.back());
    }
    if (!answers.empty()) {
        const int a = answers.front();
        answers.pop_front();
        return a;
    }
    return style == kMsgYesNoQuestion ? kAnswerYes : kAnswerOk;
}

} // namespace plat
