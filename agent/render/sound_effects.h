// The sounds a character's frames name, played as its animations reach those frames. One sound plays at a
// time: a new one cuts the last off, as a character's next frame does in an animation. Decoded sounds are
// kept for a while, since an animation plays the same few sounds again and again.
#pragma once

#include "agent/format/acs_file.h"
#include "agent/render/wave_sound.h"
#include "agent/result.h"
#include "agent/speech/audio_output.h"

#include <QString>

#include <cstdint>
#include <list>
#include <memory>
#include <vector>

namespace agent::render {

class SoundEffects {
public:
    static constexpr int kCachedSounds = 6;

    // The output must outlive this object; SilentOutput makes every sound fail quietly.
    explicit SoundEffects(speech::AudioOutput& output);
    ~SoundEffects();
    SoundEffects(const SoundEffects&) = delete;
    SoundEffects& operator=(const SoundEffects&) = delete;

    // Starts the file's sound, cutting off the one playing. Fails, saying why, when effects are off, the
    // index names no sound or the sound cannot be decoded (the sound already playing then goes on), or when
    // the output cannot play it (it has been cut off by then).
    Status play(const format::AcsFile& file, int soundIndex);
    void stop();

    // Off stops the sound playing and keeps later ones silent.
    void setEnabled(bool enabled);
    bool isEnabled() const { return enabled_; }

private:
    struct Cached {
        // Which sound: the load of the file (a reloaded file is another) and the sound's index, size and
        // checksum.
        std::uint64_t load = 0;  // the file's generation()
        int index = -1;
        std::uint32_t size = 0;
        std::uint32_t checksum = 0;
        std::shared_ptr<const std::vector<std::int16_t>> samples;
        int sampleRate = 0;
    };

    Result<const Cached*> decoded(const format::AcsFile& file, int soundIndex);

    speech::AudioOutput& output_;
    bool enabled_ = true;
    bool playing_ = false;
    std::list<Cached> cache_;  // most recently played first
};

}  // namespace agent::render
