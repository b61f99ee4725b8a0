// Whole-game figures: memory, CPU time while idle and while playing, and
// the accuracy of the gravity timer over real ticks.
//   bench_game [--ticks N] [--seconds S]
#include "bench_form.h"

#include "platform/real_services.h"
#include "platform/virtual_services.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Resident memory now, from the kernel's own accounting.
long current_rss_kib() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    return -1;
}

long peak_rss_kib() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

double cpu_seconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Valid files, so that no first-start message box waits for a click.
void write_game_files(const QString &folder) {
    QFile cfg(folder + QStringLiteral("/zweb.cfg"));
    if (cfg.open(QIODevice::WriteOnly)) {
        cfg.write("###ZWEBCFG###\r\nSound>\r\nNo\r\nNext>\r\nYes\r\nLevel>\r\n0\r\nLanguage>\r\nEng\r\n");
    }
    QFile sco(folder + QStringLiteral("/zweb.sco"));
    if (sco.open(QIODevice::WriteOnly)) {
        QByteArray b("###ZWEBSCO###");
        b.append('\0');
        for (int i = 0; i < 10; ++i) {
            b.append('\0');
            b.append('\n');
        }
        sco.write(b);
    }
}

// Real services whose first timer (the gravity timer: the window creates it
// first) reports how late each tick comes after its countdown started.
class TimedServices : public plat::RealServices {
public:
    using plat::RealServices::RealServices;
    std::vector<double> lateness_ms;
    std::unique_ptr<plat::Timer> createTimer(std::function<void()> tick) override {
        if (created_++ > 0) {
            return plat::RealServices::createTimer(std::move(tick));
        }
        auto timing = std::make_unique<Timing>(*this);
        Timing *raw = timing.get();
        raw->inner = plat::RealServices::createTimer([this, raw, tick = std::move(tick)] {
            const double late = static_cast<double>(clock_.nsecsElapsed()) / 1e6 - raw->started - raw->interval();
            lateness_ms.push_back(late);
            raw->started = static_cast<double>(clock_.nsecsElapsed()) / 1e6; // periodic from here
            tick();
        });
        clock_.start();
        return timing;
    }

private:
    struct Timing : plat::Timer {
        explicit Timing(TimedServices &s) : owner(s) {}
        TimedServices &owner;
        std::unique_ptr<plat::Timer> inner;
        double started = 0;
        void restart() { started = static_cast<double>(owner.clock_.nsecsElapsed()) / 1e6; }
        void setInterval(int ms) override {
            inner->setInterval(ms);
            restart();
        }
        [[nodiscard]] int interval() const override { return inner->interval(); }
        void setEnabled(bool on) override {
            if (on && !inner->enabled()) {
                restart();
            }
            inner->setEnabled(on);
        }
        [[nodiscard]] bool enabled() const override { return inner->enabled(); }
    };
    QElapsedTimer clock_;
    int created_ = 0;
};

// Plays games one after another in virtual time for the given number of seconds.
void long_virtual_game(int seconds) {
    QTemporaryDir dir;
    write_game_files(dir.path());
    plat::VirtualServices svc(dir.path());
    lang_rus = kTrue;
    BenchForm form(svc);
    form.Form_Load();
    int games = 0;
    long rss_first_hour = 0;
    const long rss_start = current_rss_kib();
    for (qint64 t = 0; t < static_cast<qint64>(seconds) * 1000; t += 10) {
        if (form.game_on != kTrue && !form.Stk_output->enabled() && !form.Timer_Wait->enabled() &&
            form.name_entry_on != kTrue) {
            form.deliverKey(plat::kVkReturn, 0, 13);
            ++games;
        }
        form.step();
        svc.advance(10);
        if (t == 3600 * 1000) {
            rss_first_hour = current_rss_kib();
        }
    }
    std::printf("long game in virtual time: %d s of play, %d games, %d lines in the last\n", seconds, games,
                form.lines);
    std::printf("resident memory during it: %ld KiB at its start, %ld KiB after an hour, %ld KiB at its end\n",
                rss_start, rss_first_hour, current_rss_kib());
}

} // namespace

int main(int argc, char *argv[]) {
    int ticks = 1000;
    int seconds = 10;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--ticks") == 0) {
            ticks = std::atoi(argv[i + 1]);
        } else if (std::strcmp(argv[i], "--seconds") == 0) {
            seconds = std::atoi(argv[i + 1]);
        }
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QTemporaryDir dir;
    write_game_files(dir.path());
    TimedServices svc(dir.path());
    lang_rus = kTrue;
    BenchForm form(svc);
    form.Form_Load();
    QApplication::processEvents();
    std::printf("peak resident memory after start: %ld KiB\n", peak_rss_kib());

    // Idle: only the event loop, no game.
    double cpu0 = cpu_seconds();
    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    QApplication::exec();
    std::printf("CPU while idle: %.3f s in %d s (%.2f %%)\n", cpu_seconds() - cpu0, seconds,
                100.0 * (cpu_seconds() - cpu0) / seconds);

    // Playing: the bot looks at the game every 10 ms and starts a new one when it ends.
    QTimer driver;
    driver.setInterval(10);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        if (form.game_on != kTrue && !form.Stk_output->enabled() && !form.Timer_Wait->enabled() &&
            form.name_entry_on != kTrue) {
            form.deliverKey(plat::kVkReturn, 0, 13);
        }
        form.step();
    });
    driver.start();
    cpu0 = cpu_seconds();
    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    QApplication::exec();
    std::printf("CPU while playing: %.3f s in %d s (%.2f %%)\n", cpu_seconds() - cpu0, seconds,
                100.0 * (cpu_seconds() - cpu0) / seconds);

    // Gravity timer accuracy over real ticks.
    svc.lateness_ms.clear();
    QTimer stop;
    stop.setInterval(50);
    QObject::connect(&stop, &QTimer::timeout, [&] {
        if (static_cast<int>(svc.lateness_ms.size()) >= ticks) {
            QApplication::quit();
        }
    });
    stop.start();
    QApplication::exec();
    driver.stop();
    const auto &l = svc.lateness_ms;
    if (!l.empty()) {
        double sum = 0;
        double worst = 0;
        for (const double v : l) {
            sum += std::abs(v);
            worst = std::max(worst, std::abs(v));
        }
        std::printf("gravity timer: mean deviation %.3f ms, worst %.3f ms over %zu ticks\n", sum / l.size(), worst,
                    l.size());
    }

    long_virtual_game(4 * 3600);
    std::printf("peak resident memory after a long game: %ld KiB\n", peak_rss_kib());
    return 0;
}
