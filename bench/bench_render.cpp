// Cost of the play area's repaints and latency from a key to changed pixels.
#include "bench_form.h"

#include "platform/virtual_services.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Runs the game in virtual time until the first figure is under control.
void bring_in_figure(plat::VirtualServices &svc, BenchForm &form) {
    form.deliverKey(plat::kVkReturn, 0, 13);
    for (int i = 0; i < 400 && !(form.game_on == kTrue && form.need_fig == kFalse); ++i) {
        svc.advance(10);
    }
}

} // namespace

int main(int argc, char *argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    plat::VirtualServices svc(dir.path());
    lang_rus = kTrue;
    BenchForm form(svc);
    form.Form_Load();
    bring_in_figure(svc, form);
    // From here on the play area is drawn at the screen's ratio as well, as in a shown window.
    std::printf("device pixel ratio %.2f\n", form.Picture1->displayImage().devicePixelRatio());

    constexpr int kRuns = 2000;
    std::vector<double> well_us;
    std::vector<double> area_us;
    QElapsedTimer t;
    for (int i = 0; i < kRuns; ++i) {
        t.start();
        form.redraw_well();
        well_us.push_back(static_cast<double>(t.nsecsElapsed()) / 1000.0);
        t.start();
        form.redraw_figure_area();
        area_us.push_back(static_cast<double>(t.nsecsElapsed()) / 1000.0);
    }
    (void)form.Picture1->takeInvalidated();
    std::printf("redraw_well: median %.1f us, best %.1f us (%d runs)\n", median(well_us),
                *std::min_element(well_us.begin(), well_us.end()), kRuns);
    std::printf("redraw_figure_area: median %.1f us, best %.1f us (%d runs)\n", median(area_us),
                *std::min_element(area_us.begin(), area_us.end()), kRuns);

    // A key moves the figure and repaints its area before the handler returns.
    std::vector<double> key_us;
    int changed = 0;
    for (int i = 0; i < 200 && form.game_on == kTrue && form.need_fig == kFalse; ++i) {
        const QImage before = form.Picture1->image();
        const int key = (i % 2) == 0 ? plat::kVkLeft : plat::kVkRight;
        t.start();
        form.deliverKey(key, 0, -1);
        const double us = static_cast<double>(t.nsecsElapsed()) / 1000.0;
        if (form.Picture1->image() != before) {
            ++changed;
            key_us.push_back(us);
        }
    }
    if (!key_us.empty()) {
        std::printf("key to changed back-buffer pixels: median %.1f us, worst %.1f us (%d moves)\n", median(key_us),
                    *std::max_element(key_us.begin(), key_us.end()), changed);
    } else {
        std::printf("key to changed back-buffer pixels: no move changed the picture\n");
    }
    return 0;
}
