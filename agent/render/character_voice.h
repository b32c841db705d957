// What a character speaks with: a statement goes in, and the voice reports when it starts to sound, how far
// the words have got, which mouth to draw and when it is over. The desktop engine uses espeak-ng through
// SpeakerVoice; tests use a voice they drive by hand, so speaking runs in virtual time.
#pragma once

#include <QString>
#include <functional>

#include "agent/speech/voice_choice.h"

namespace agent::render {

class CharacterVoice {
public:
    struct Events {
        std::function<void(const QString& shownText, qint64 durationMs)> started;
        std::function<void(int shownEnd)> wordReached;
        std::function<void(int mouthShape)> mouthChanged;  // a format::MouthShape value
        std::function<void()> finished;                    // spoken, cut off or failed: the statement is over
        std::function<void(int mark)> bookmarkReached{};   // the sound has reached a \mrk=N\ tag
    };

    virtual ~CharacterVoice() = default;

    void setEvents(Events events) { events_ = std::move(events); }

    // Speaks one statement, speech tags allowed. Each statement ends with finished(), whatever happens to it.
    virtual void speak(const QString& text) = 0;
    // Cuts off the statement being spoken.
    virtual void stop() = 0;
    // Without sound the words still appear at the pace they would be spoken.
    virtual void setSoundOn(bool on) = 0;
    virtual void setVoice(const speech::VoiceChoice& voice) = 0;

protected:
    Events events_;
};

}  // namespace agent::render
