// The pieces of the audio-device player: reading a WAV image and turning
// its samples into the format an output device takes.
#pragma once

#include <QAudioFormat>
#include <QByteArray>

#include <optional>

namespace plat {

// The samples of a PCM WAV image, as stored (interleaved, little-endian).
struct PcmClip {
    int rate = 0;
    int channels = 0;
    int bits = 0; // 8 (unsigned) or 16 (signed)
    QByteArray samples;
    [[nodiscard]] qsizetype frameBytes() const { return qsizetype{channels} * (bits / 8); }
};

// nullopt for anything but an uncompressed 8- or 16-bit PCM image.
[[nodiscard]] std::optional<PcmClip> parseWav(const QByteArray &wav);

// The clip's own format as an audio format.
[[nodiscard]] QAudioFormat clipFormat(const PcmClip &clip);

// The clip converted to target: channels mixed or copied, the rate changed
// by linear interpolation, samples written in the target's sample format.
[[nodiscard]] QByteArray convertClip(const PcmClip &clip, const QAudioFormat &target);

} // namespace plat
