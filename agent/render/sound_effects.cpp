// The cache is a short list searched front to back: a handful of entries costs less than a hash, and playing
// a sound moves it to the front so the least recently played one leaves first.
#include "agent/render/sound_effects.h"

namespace agent::render {

SoundEffects::SoundEffects(speech::AudioOutput& output) : output_(output) {}

SoundEffects::~SoundEffects() {
    stop();
}

const SoundEffects::Cached* SoundEffects::decoded(const format::AcsFile& file, int soundIndex) {
    if (soundIndex < 0 || soundIndex >= file.sounds().size()) {
        error_ = QStringLiteral("sound %1 does not exist (the character has %2)")
                     .arg(soundIndex)
                     .arg(file.sounds().size());
        return nullptr;
    }
    const format::SoundInfo& info = file.sounds()[soundIndex];
    const char* fileData = file.data().constData();
    for (auto it = cache_.begin(); it != cache_.end(); ++it) {
        if (it->fileData == fileData && it->index == soundIndex && it->size == info.size &&
            it->checksum == info.checksum) {
            cache_.splice(cache_.begin(), cache_, it);
            return &cache_.front();
        }
    }
    QString why;
    std::optional<WaveSound> sound = decodeWave(file.sound(soundIndex), &why);
    if (!sound) {
        error_ = QStringLiteral("sound %1: %2").arg(soundIndex).arg(why);
        return nullptr;
    }
    Cached entry{fileData,
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

bool SoundEffects::play(const format::AcsFile& file, int soundIndex) {
    error_.clear();
    if (!enabled_) {
        error_ = QStringLiteral("sound effects are off");
        return false;
    }
    const Cached* sound = decoded(file, soundIndex);
    if (sound == nullptr) {
        return false;
    }
    stop();
    playing_ = output_.start(sound->samples, sound->sampleRate);
    if (!playing_) {
        error_ = QStringLiteral("no sound output");
    }
    return playing_;
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
