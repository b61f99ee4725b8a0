// Cost of fitting each clip to the device's format: the game does it on its own thread each time a clip starts,
// so a slow conversion would hold up the next gravity tick.
#include "platform/device_sound.h"
#include "platform/resources.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    std::vector<std::pair<int, plat::PcmClip>> clips;
    for (int id = 101; id <= 111; ++id) {
        const std::optional<plat::PcmClip> clip = plat::parseWav(plat::loadCustom(id));
        if (!clip) {
            std::printf("clip %d cannot be read\n", id);
            return 1;
        }
        clips.emplace_back(id, *clip);
    }
    struct Device {
        int rate;
        int channels;
        QAudioFormat::SampleFormat kind;
        const char *name;
    };
    for (const Device &d : {Device{48000, 2, QAudioFormat::Float, "48 kHz stereo float (PipeWire)"},
                            Device{44100, 2, QAudioFormat::Int16, "44.1 kHz stereo 16-bit (PulseAudio)"},
                            Device{11025, 1, QAudioFormat::UInt8, "11.025 kHz mono 8-bit (the short clips' own)"}}) {
        QAudioFormat device;
        device.setSampleRate(d.rate);
        device.setChannelCount(d.channels);
        device.setSampleFormat(d.kind);
        double worst_ms = 0.0;
        int worst_id = 0;
        for (const auto &[id, clip] : clips) {
            std::vector<double> ms;
            QElapsedTimer t;
            for (int run = 0; run < 21; ++run) {
                t.start();
                const QByteArray out = plat::convertClip(clip, device);
                ms.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
                if (out.isEmpty()) {
                    std::printf("clip %d gave no samples for %s\n", id, d.name);
                    return 1;
                }
            }
            std::nth_element(ms.begin(), ms.begin() + 10, ms.end());
            if (ms[10] > worst_ms) {
                worst_ms = ms[10];
                worst_id = id;
            }
        }
        std::printf("clip conversion to %s: slowest clip %d, median %.2f ms (21 runs)\n", d.name, worst_id, worst_ms);
    }
    return 0;
}
