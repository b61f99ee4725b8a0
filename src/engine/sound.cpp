// Sound cues: every clip is a whole WAV image handed to the sound sink.
#include "form1.h"

#include "platform/resources.h"

void Form1::NoisePlay(const QByteArray &clip, Integer /*flags*/) {
    // A new cue always cuts off the one before it.
    svc.sound().stop();
    if (!clip.isEmpty()) {
        svc.sound().play(clip);
    }
}

void Form1::play_long_clip(int id) {
    if (sound_on != kTrue) {
        return;
    }
    // Stop first: the sink may still be reading the bytes about to be replaced.
    svc.sound().stop();
    snd_long = plat::loadCustom(id);
    NoisePlay(snd_long, 1);
}
