#include "real_services.h"

namespace plat {

namespace {

class SilentSink : public SoundSink {
public:
    void play(const QByteArray & /*wav*/) override {}
    void stop() override {}
};

} // namespace

// Placeholder until the audio-device player lands: plays nothing.
std::unique_ptr<SoundSink> createDeviceSoundSink() { return std::make_unique<SilentSink>(); }

} // namespace plat
