// The sound player of a desktop: WAV images from memory played on the
// default audio output, one at a time, without waiting for them.
#include "device_sound.h"

#include "real_services.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QBuffer>
#include <QCoreApplication>
#include <QMediaDevices>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace plat {

namespace {

quint32 u32(const char *p) { return qFromLittleEndian<quint32>(p); }
quint16 u16(const char *p) { return qFromLittleEndian<quint16>(p); }

class SilentSink : public SoundSink {
public:
    void play(const QByteArray & /*wav*/) override {}
    void stop() override {}
};

// Plays on one output device. It keeps its own copy of the samples it
// plays, so the caller may replace or drop its array at any time.
class DeviceSoundSink : public SoundSink {
public:
    explicit DeviceSoundSink(QAudioDevice device) : device_(std::move(device)) {}
    ~DeviceSoundSink() override { DeviceSoundSink::stop(); }
    DeviceSoundSink(const DeviceSoundSink &) = delete;
    DeviceSoundSink &operator=(const DeviceSoundSink &) = delete;

    void play(const QByteArray &wav) override {
        stop(); // a new clip cuts off the one that plays
        if (open_failures_ >= kMaxOpenFailures) {
            return; // the device has refused too often: play nothing this run
        }
        const std::optional<PcmClip> clip = parseWav(wav);
        if (!clip) {
            return;
        }
        const std::optional<QAudioFormat> format = outputFormat(*clip);
        if (!format) {
            return;
        }
        QByteArray pcm = convertClip(*clip, *format);
        if (pcm.isEmpty()) {
            return;
        }
        if (!sink_ || sink_->format() != *format) {
            sink_.reset();
            sink_ = std::make_unique<QAudioSink>(device_, *format);
        }
        buffer_.setData(pcm);
        buffer_.open(QIODevice::ReadOnly);
        sink_->start(&buffer_);
        if (sink_->error() == QAudio::OpenError) {
            ++open_failures_;
            stop();
        } else if (sink_->error() == QAudio::NoError) {
            open_failures_ = 0;
        }
    }

    void stop() override {
        if (sink_ && sink_->state() != QAudio::StoppedState) {
            sink_->stop();
        }
        if (buffer_.isOpen()) {
            buffer_.close();
        }
    }

private:
    static constexpr int kMaxOpenFailures = 3;

    // The clip's own format when the device takes it, else one it prefers.
    std::optional<QAudioFormat> outputFormat(const PcmClip &clip) const {
        std::vector<QAudioFormat> candidates;
        candidates.push_back(clipFormat(clip));
        const QAudioFormat preferred = device_.preferredFormat();
        if (preferred.isValid()) {
            candidates.push_back(preferred);
            QAudioFormat int16 = preferred;
            int16.setSampleFormat(QAudioFormat::Int16);
            candidates.push_back(int16);
        }
        for (const int rate : {48000, 44100}) {
            for (const int channels : {2, 1}) {
                QAudioFormat f;
                f.setSampleRate(rate);
                f.setChannelCount(channels);
                f.setSampleFormat(QAudioFormat::Int16);
                candidates.push_back(f);
            }
        }
        for (const QAudioFormat &f : candidates) {
            if (f.isValid() && device_.isFormatSupported(f)) {
                return f;
            }
        }
        return std::nullopt;
    }

    QAudioDevice device_;
    QBuffer buffer_; // declared before the sink, which reads it
    std::unique_ptr<QAudioSink> sink_;
    int open_failures_ = 0;
};

// One sample of the clip as a value in -1..1.
float sample_at(const PcmClip &clip, qsizetype frame, int channel) {
    const int bytes = clip.bits / 8;
    const char *p = clip.samples.constData() + (frame * clip.channels + channel) * bytes;
    if (bytes == 1) {
        return (static_cast<float>(static_cast<unsigned char>(*p)) - 128.0F) / 128.0F;
    }
    return static_cast<float>(static_cast<qint16>(u16(p))) / 32768.0F;
}

// The clip's value for an output channel at a source frame.
float channel_value(const PcmClip &clip, qsizetype frame, int out_channel, int out_channels) {
    if (out_channels == 1 && clip.channels > 1) {
        float sum = 0.0F;
        for (int c = 0; c < clip.channels; ++c) {
            sum += sample_at(clip, frame, c);
        }
        return sum / static_cast<float>(clip.channels);
    }
    return sample_at(clip, frame, std::min(out_channel, clip.channels - 1));
}

} // namespace

std::optional<PcmClip> parseWav(const QByteArray &wav) {
    const qsizetype n = wav.size();
    const char *d = wav.constData();
    if (n < 12 || std::memcmp(d, "RIFF", 4) != 0 || std::memcmp(d + 8, "WAVE", 4) != 0) {
        return std::nullopt;
    }
    bool have_format = false;
    PcmClip clip;
    qsizetype data_at = -1;
    qsizetype data_size = 0;
    qsizetype pos = 12;
    while (pos + 8 <= n) {
        const char *id = d + pos;
        const qsizetype size = static_cast<qsizetype>(u32(d + pos + 4));
        const qsizetype body = pos + 8;
        const qsizetype available = n - body;
        if (std::memcmp(id, "fmt ", 4) == 0) {
            if (size < 16 || available < 16) {
                return std::nullopt;
            }
            const int tag = u16(d + body);
            clip.channels = u16(d + body + 2);
            clip.rate = static_cast<int>(u32(d + body + 4));
            clip.bits = u16(d + body + 14);
            if (tag != 1 || clip.channels < 1 || clip.channels > 8 || clip.rate < 1000 || clip.rate > 384000 ||
                (clip.bits != 8 && clip.bits != 16)) {
                return std::nullopt;
            }
            have_format = true;
        } else if (std::memcmp(id, "data", 4) == 0) {
            data_at = body;
            data_size = std::min(size, available); // a cut-off file plays what it has
        }
        if (size > available) {
            break;
        }
        pos = body + size + (size & 1);
    }
    if (!have_format || data_at < 0) {
        return std::nullopt;
    }
    const qsizetype frame_bytes = static_cast<qsizetype>(clip.channels) * (clip.bits / 8);
    data_size -= data_size % frame_bytes;
    if (data_size <= 0) {
        return std::nullopt;
    }
    clip.samples = QByteArray(d + data_at, data_size);
    return clip;
}

QAudioFormat clipFormat(const PcmClip &clip) {
    QAudioFormat f;
    f.setSampleRate(clip.rate);
    f.setChannelCount(clip.channels);
    f.setSampleFormat(clip.bits == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
    return f;
}

QByteArray convertClip(const PcmClip &clip, const QAudioFormat &target) {
    if (target == clipFormat(clip)) {
        return clip.samples;
    }
    const int out_rate = target.sampleRate();
    const int out_channels = target.channelCount();
    const QAudioFormat::SampleFormat kind = target.sampleFormat();
    const int out_bytes = target.bytesPerSample();
    if (out_rate <= 0 || out_channels <= 0 || out_bytes <= 0 || kind == QAudioFormat::Unknown || clip.rate <= 0 ||
        clip.channels <= 0) {
        return {};
    }
    const qsizetype in_frames = clip.samples.size() / (static_cast<qsizetype>(clip.channels) * (clip.bits / 8));
    if (in_frames <= 0) {
        return {};
    }
    const qint64 out_frames = (static_cast<qint64>(in_frames) * out_rate + clip.rate - 1) / clip.rate;
    QByteArray out(static_cast<qsizetype>(out_frames * out_channels * out_bytes), Qt::Uninitialized);
    char *w = out.data();
    const double step = static_cast<double>(clip.rate) / out_rate;
    for (qint64 i = 0; i < out_frames; ++i) {
        const double t = static_cast<double>(i) * step;
        const auto j = std::min(static_cast<qsizetype>(t), in_frames - 1);
        const qsizetype k = std::min(j + 1, in_frames - 1);
        const auto frac = static_cast<float>(t - static_cast<double>(j));
        for (int c = 0; c < out_channels; ++c) {
            const float a = channel_value(clip, j, c, out_channels);
            const float b = channel_value(clip, k, c, out_channels);
            const float v = std::clamp(a + (b - a) * frac, -1.0F, 1.0F);
            // The device takes samples in the machine's own byte order.
            switch (kind) {
            case QAudioFormat::UInt8: {
                const auto s8 = static_cast<unsigned char>(std::lround(v * 127.0F + 128.0F));
                std::memcpy(w, &s8, 1);
                break;
            }
            case QAudioFormat::Int16: {
                const auto s16 = static_cast<qint16>(std::lround(v * 32767.0F));
                std::memcpy(w, &s16, 2);
                break;
            }
            case QAudioFormat::Int32: {
                const auto s32 = static_cast<qint32>(std::llround(static_cast<double>(v) * 2147483647.0));
                std::memcpy(w, &s32, 4);
                break;
            }
            case QAudioFormat::Float:
                std::memcpy(w, &v, 4);
                break;
            default:
                return {};
            }
            w += out_bytes;
        }
    }
    return out;
}

std::unique_ptr<SoundSink> createDeviceSoundSink(bool use_device) {
    if (!use_device || QCoreApplication::instance() == nullptr) {
        return std::make_unique<SilentSink>();
    }
    QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        return std::make_unique<SilentSink>(); // no audio output: the game runs silent
    }
    return std::make_unique<DeviceSoundSink>(std::move(device));
}

} // namespace plat
