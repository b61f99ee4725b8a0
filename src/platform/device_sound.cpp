// The sound player of a desktop: WAV images from memory played on the
// default audio output, one at a time, without waiting for them.
#include "device_sound.h"

#include "real_services.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QMediaDevices>
#include <QTimer>
#include <QtEndian>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

namespace plat {

namespace {

quint32 u32(const char *p) { return qFromLittleEndian<quint32>(p); }
quint16 u16(const char *p) { return qFromLittleEndian<quint16>(p); }

// The checks of the real program on real sound servers match each call with what the server played: with
// CLOCKWELL_SOUND_TRACE naming a file (not meant for players), each call adds its monotonic time and size.
void trace(const QByteArray &wav) {
    static const QString path = qEnvironmentVariable("CLOCKWELL_SOUND_TRACE");
    QFile file(path);
    if (!path.isEmpty() && file.open(QIODevice::Append)) {
        const std::chrono::duration<double> now = std::chrono::steady_clock::now().time_since_epoch();
        file.write(QByteArray::number(now.count(), 'f', 6) + ' ' + QByteArray::number(wav.size()) + '\n');
    }
}

class SilentSink : public SoundSink {
public:
    void play(const QByteArray &wav) override { trace(wav); }
    void stop() override {}
};

// What the output stream is given: the samples of the clip that plays, then silence, so the stream never runs
// dry (a server that has not buffered enough does not start a stream, nor restart one that ran dry).
class Feed : public QIODevice {
public:
    void setClip(QByteArray samples) {
        clip_ = std::move(samples);
        pos_ = 0;
    }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return std::numeric_limits<int>::max(); }

protected:
    qint64 readData(char *data, qint64 max) override {
        const qint64 n = std::min(max, clip_.size() - pos_);
        std::memcpy(data, clip_.constData() + pos_, static_cast<std::size_t>(n));
        std::memset(data + n, 0, static_cast<std::size_t>(max - n));
        pos_ += n;
        return max;
    }
    qint64 writeData(const char * /*data*/, qint64 /*len*/) override { return -1; }

private:
    QByteArray clip_;
    qint64 pos_ = 0;
};

// Plays on one output device, each clip on a signed 16-bit (or float) stream of its own that closes once the
// clip is over, so the device is idle while the game is quiet; a new clip closes the stream that plays, cutting
// its clip off. The stream is given at once as much as its buffer takes, which starts it, and the rest every
// few milliseconds (Qt's own pulling is too slow to start a clip soon). After three refusals in a row (no
// server, or one that refuses the stream) the game stays silent.
class DeviceSoundSink : public SoundSink {
public:
    explicit DeviceSoundSink(QAudioDevice device) : device_(std::move(device)) {
        done_.setSingleShot(true);
        QObject::connect(&done_, &QTimer::timeout, &context_, [this] { close(); });
        pump_.setInterval(kPumpMs);
        QObject::connect(&pump_, &QTimer::timeout, &context_, [this] { pump(); });
    }
    ~DeviceSoundSink() override { close(); }
    DeviceSoundSink(const DeviceSoundSink &) = delete;
    DeviceSoundSink &operator=(const DeviceSoundSink &) = delete;

    void play(const QByteArray &wav) override {
        trace(wav);
        stop(); // a new clip cuts off the one that plays
        const std::optional<PcmClip> clip = parseWav(wav);
        if (!clip || open_failures_ >= kMaxOpenFailures) {
            return;
        }
        if (!open()) {
            return;
        }
        // A server may skip the first millisecond or two of a new stream: let that be silence.
        feed_->setClip(QByteArray(format_.bytesForDuration(kLeadInMs * 1000), '\0') + convertClip(*clip, format_));
        pump();
        done_.start(clipMs(*clip) + kBufferMs * 2 + kDrainMarginMs);
    }

    void stop() override { close(); }

private:
    static constexpr int kMaxOpenFailures = 3;
    static constexpr int kBufferMs = 500;      // the stream's buffer: a short clip in one piece
    static constexpr int kDrainMarginMs = 300; // more than a server needs to play out a buffer
    static constexpr int kPumpMs = 5;
    static constexpr int kLeadInMs = 10;
    static constexpr int kRetireMs = 2000;

    static int clipMs(const PcmClip &clip) {
        return static_cast<int>(clip.samples.size() * 1000 / (clip.rate * clip.frameBytes()));
    }

    bool open() {
        const std::optional<QAudioFormat> format = outputFormat();
        if (!format) {
            refused();
            return false;
        }
        format_ = *format;
        feed_ = std::make_unique<Feed>();
        feed_->open(QIODevice::ReadOnly);
        sink_ = std::make_unique<QAudioSink>(device_, format_);
        sink_->setBufferSize(format_.bytesForDuration(kBufferMs * 1000));
        io_ = sink_->start();
        if (io_ == nullptr || sink_->state() == QAudio::StoppedState) {
            refused(); // no server, or one that refuses the stream
            close();
            return false;
        }
        open_failures_ = 0;
        pump_.start();
        return true;
    }

    void refused() {
        if (++open_failures_ == kMaxOpenFailures) {
            std::fputs("Clockwell: the sound output refused the game's clips three times (the sound server may have "
                       "stopped); the game plays on without sound.\n",
                       stderr);
        }
    }

    void pump() {
        const qint64 frame = format_.bytesPerFrame();
        if (!sink_ || io_ == nullptr || frame <= 0) {
            return;
        }
        qint64 free = sink_->bytesFree();
        free -= free % frame;
        if (free > 0) {
            QByteArray chunk(free, Qt::Uninitialized);
            feed_->read(chunk.data(), free);
            io_->write(chunk);
        }
    }

    // The stream is deleted a while after it stops: the server may still be serving it.
    void close() {
        done_.stop();
        pump_.stop();
        io_ = nullptr;
        if (sink_) {
            sink_->stop();
            auto retired = std::make_shared<std::pair<std::unique_ptr<QAudioSink>, std::unique_ptr<Feed>>>(
                std::move(sink_), std::move(feed_));
            QTimer::singleShot(kRetireMs, &context_, [retired] {});
        }
    }

    // A signed format the device takes: 48 kHz mono first, which the game's clips convert to exactly enough.
    std::optional<QAudioFormat> outputFormat() const {
        std::vector<QAudioFormat> candidates;
        for (const QAudioFormat::SampleFormat kind : {QAudioFormat::Int16, QAudioFormat::Float}) {
            for (const int rate : {48000, 44100}) {
                for (const int channels : {1, 2}) {
                    QAudioFormat f;
                    f.setSampleRate(rate);
                    f.setChannelCount(channels);
                    f.setSampleFormat(kind);
                    candidates.push_back(f);
                }
            }
            QAudioFormat preferred = device_.preferredFormat();
            preferred.setSampleFormat(kind);
            candidates.push_back(preferred);
        }
        for (const QAudioFormat &f : candidates) {
            if (f.isValid() && device_.isFormatSupported(f)) {
                return f;
            }
        }
        return std::nullopt;
    }

    QAudioDevice device_;
    QObject context_; // owns the timers and connections, which end with the player
    QTimer done_;
    QTimer pump_;
    QIODevice *io_ = nullptr; // the stream's input, owned by the sink
    QAudioFormat format_;
    std::unique_ptr<Feed> feed_; // declared before the sink, which reads it
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
    data_size -= data_size % clip.frameBytes();
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
    const qsizetype in_frames = clip.samples.size() / clip.frameBytes();
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
        std::fputs("Clockwell: no sound output was found (is a sound server running?); the game plays without "
                   "sound.\n",
                   stderr);
        return std::make_unique<SilentSink>();
    }
    return std::make_unique<DeviceSoundSink>(std::move(device));
}

} // namespace plat
