// The voice of the desktop engine: espeak-ng synthesis on the shared speech thread, played on the sound
// server, or paced silently when spoken output is off or there is no sound server.
#pragma once

#include <memory>

#include "agent/render/character_voice.h"
#include "agent/speech/audio_output.h"
#include "agent/speech/monotonic_clock.h"
#include "agent/speech/speaker.h"
#include "agent/speech/speech_thread.h"

namespace agent::render {

class SpeakerVoice final : public CharacterVoice {
public:
    // sound: where this voice plays (each voice has its own, as two characters may speak at once).
    SpeakerVoice(speech::SpeechThread& thread, std::unique_ptr<speech::AudioOutput> sound,
                 const speech::MonotonicClock& clock);
    ~SpeakerVoice() override;

    void speak(const QString& text) override;
    void stop() override;
    void setSoundOn(bool on) override;
    void setVoice(const speech::VoiceChoice& voice) override { speaker_.setVoice(voice); }

private:
    // Forwards to the sound server, or refuses to play so that the player paces itself by the clock.
    class MutableOutput final : public speech::AudioOutput {
    public:
        explicit MutableOutput(std::unique_ptr<speech::AudioOutput> out) : out_(std::move(out)) {}
        Status start(std::shared_ptr<const std::vector<std::int16_t>> samples, int rate) override {
            if (!on_) {
                return fail(QStringLiteral("speech is off"));
            }
            return out_->start(std::move(samples), rate);
        }
        void stop() override { out_->stop(); }
        std::optional<qint64> playedMs() const override { return on_ ? out_->playedMs() : std::nullopt; }
        bool drained() const override { return on_ && out_->drained(); }
        bool on_ = true;

    private:
        std::unique_ptr<speech::AudioOutput> out_;
    };

    MutableOutput output_;
    speech::Speaker speaker_;
};

}  // namespace agent::render
