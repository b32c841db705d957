#include "agent/render/speaker_voice.h"

namespace agent::render {

SpeakerVoice::SpeakerVoice(speech::SpeechThread& thread, std::unique_ptr<speech::AudioOutput> sound,
                           const speech::MonotonicClock& clock)
    : output_(std::move(sound)), speaker_(thread, output_, clock) {
    QObject::connect(&speaker_, &speech::Speaker::started, [this](const QString& shown, qint64 durationMs) {
        if (events_.started) {
            events_.started(shown, durationMs);
        }
    });
    QObject::connect(&speaker_, &speech::Speaker::wordReached, [this](int, int shownEnd) {
        if (events_.wordReached) {
            events_.wordReached(shownEnd);
        }
    });
    QObject::connect(&speaker_, &speech::Speaker::mouthChanged, [this](speech::MouthShape shape) {
        if (events_.mouthChanged) {
            events_.mouthChanged(int(shape));
        }
    });
    QObject::connect(&speaker_, &speech::Speaker::bookmarkReached, [this](int mark) {
        if (events_.bookmarkReached) {
            events_.bookmarkReached(mark);
        }
    });
    QObject::connect(&speaker_, &speech::Speaker::finished, [this](bool) {
        if (events_.finished) {
            events_.finished();
        }
    });
    // A statement that cannot be synthesized is skipped; the character must not wait for it forever.
    QObject::connect(&speaker_, &speech::Speaker::failed, [this](const QString&) {
        if (events_.finished) {
            events_.finished();
        }
    });
}

SpeakerVoice::~SpeakerVoice() {
    speaker_.disconnect();
    speaker_.stop();
}

void SpeakerVoice::speak(const QString& text) {
    speaker_.speak(text);
}

void SpeakerVoice::stop() {
    speaker_.stop();
}

void SpeakerVoice::setSoundOn(bool on) {
    output_.on_ = on;
}

}  // namespace agent::render
