// A voice the engine tests drive by hand: it notes what it was asked to say and raises its events only when
// the test says so, so a statement lasts exactly as long as the test wants.
#pragma once

#include <QStringList>

#include "agent/render/character_voice.h"

namespace testsupport {

class HandVoice final : public agent::render::CharacterVoice {
public:
    struct Log {
        QStringList spoken;
        int stops = 0;
        bool soundOn = true;
        // A voice with nothing to synthesize, or none at all, may be over before speak() returns.
        bool endAtOnce = false;
        agent::speech::VoiceChoice voice;
    };

    explicit HandVoice(std::shared_ptr<Log> log) : log_(std::move(log)) {}

    void speak(const QString& text) override {
        log_->spoken << text;
        if (log_->endAtOnce) {
            events_.finished();
        }
    }
    void stop() override { ++log_->stops; }
    void setSoundOn(bool on) override { log_->soundOn = on; }
    void setVoice(const agent::speech::VoiceChoice& voice) override { log_->voice = voice; }

    void start(const QString& shown, qint64 durationMs = 1000) const { events_.started(shown, durationMs); }
    void word(int shownEnd) const { events_.wordReached(shownEnd); }
    void mouth(int shape) const { events_.mouthChanged(shape); }
    void finish() const { events_.finished(); }

private:
    std::shared_ptr<Log> log_;
};

}  // namespace testsupport
