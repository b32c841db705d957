// Statements are sent to synthesis as soon as they are spoken, so the next one is ready when the current
// ends; they still play strictly in order.
#include "agent/speech/speaker.h"

#include <QPointer>

namespace agent::speech {

Speaker::Speaker(SpeechThread& thread, AudioOutput& output, const MonotonicClock& clock, QObject* parent)
    : QObject(parent), thread_(thread), player_(output, clock, this) {
    connect(&player_, &SpeechPlayer::wordReached, this, &Speaker::wordReached);
    connect(&player_, &SpeechPlayer::mouthChanged, this, &Speaker::mouthChanged);
    connect(&player_, &SpeechPlayer::bookmarkReached, this, &Speaker::bookmarkReached);
    connect(&player_, &SpeechPlayer::finished, this, [this](bool stopped) {
        emit finished(stopped);
        if (!stopped) {
            playNext();
        }
    });
}

void Speaker::speak(const QString& text) {
    const quint64 id = nextId_++;
    queue_.push_back(Pending{id, std::nullopt});
    QPointer<Speaker> self(this);
    thread_.synthesize(parser_.parse(text), voice_,
                       [self, id](Result<std::shared_ptr<const Utterance>> made) {
                           if (!self) {
                               return;
                           }
                           for (Pending& pending : self->queue_) {
                               if (pending.id == id) {
                                   pending.made = std::move(made);
                               }
                           }
                           if (!self->player_.isPlaying()) {
                               self->playNext();
                           }
                       });
}

void Speaker::stop() {
    // Results of statements already sent off find no entry any more and are dropped.
    queue_.clear();
    player_.stop();
}

void Speaker::playNext() {
    while (!queue_.empty() && queue_.front().made && !player_.isPlaying()) {
        const Result<std::shared_ptr<const Utterance>> made = std::move(*queue_.front().made);
        queue_.pop_front();
        if (!made) {
            emit failed(made.error());
            continue;
        }
        emit started((*made)->shownText, (*made)->durationMs());
        player_.play(*made);
    }
}

}  // namespace agent::speech
