// The cache is a short list searched front to back: a handful of entries costs less than a hash, and playing
// a sound moves it to the front so the least recently played one leaves first.
#include "agent/render/sound_effects.h"

namespace agent::render {

SoundEffects::SoundEffects(speech::AudioOutput& output) : output_(output) {}

SoundEffects::~SoundEffects() {
    stop();
}

Result<const SoundEffects::Cached*> SoundEffects::decoded(const format::AcsFile& file, int soundIndex) {
    if (soundIndex < 0 || soundIndex >= file.sounds().size()) {
        return fail(QStringLiteral("sound %1 does not exist (the character has %2)")
                        .arg(soundIndex)
                        .arg(file.sounds().size()));
    }
    const format::SoundInfo& info = file.sounds()[soundIndex];
    const std::uint64_t load = file.generation();
    for (auto it = cache_.begin(); it != cache_.end(); ++it) {
        if (it->load == load && it->index == soundIndex && it->size == info.size &&
            it->checksum == info.checksum) {
            cache_.splice(cache_.begin(), cache_, it);
            return &cache_.front();
        }
    }
    Result<WaveSound> sound = decodeWave(file.sound(soundIndex));
    if (!sound) {
        return fail(QStringLiteral("sound %1: %2").arg(soundIndex).arg(sound.error()));
    }
    Cached entry{load,
                 soundIndex,
                 info.size,
                 info.checksum,
                 std::make_shared<const std::vector<std::int16_t>>(std::move(sound->samples)),
                 sound->sampleRate};
    cache_.push_front(std::move(entry));
    if (cache_.size() > std::size_t(kCachedSounds)) {
        cache_.pop_back();
    }
    return &cache_.front();
}

Status SoundEffects::play(const format::AcsFile& file, int soundIndex) {
    if (!enabled_) {
        return fail(QStringLiteral("sound effects are off"));
    }
    const Result<const Cached*> sound = decoded(file, soundIndex);
    if (!sound) {
        return sound.failure();
    }
    stop();
    const Status started = output_.start((*sound)->samples, (*sound)->sampleRate);
    playing_ = started.ok();
    return started;
}

void SoundEffects::stop() {
    if (playing_) {
        output_.stop();
        playing_ = false;
    }
}

void SoundEffects::setEnabled(bool enabled) {
    enabled_ = enabled;
    if (!enabled_) {
        stop();
    }
}

}  // namespace agent::render
