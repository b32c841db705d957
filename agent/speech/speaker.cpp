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
    queue_.push_back(Pending{id, false, nullptr, {}});
    QPointer<Speaker> self(this);
    thread_.synthesize(parser_.parse(text), voice_,
                       [self, id](std::shared_ptr<const Utterance> utterance, const QString& error) {
                           if (!self) {
                               return;
                           }
                           for (Pending& pending : self->queue_) {
                               if (pending.id == id) {
                                   pending.ready = true;
                                   pending.utterance = std::move(utterance);
                                   pending.error = error;
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
    while (!queue_.empty() && queue_.front().ready && !player_.isPlaying()) {
        Pending next = std::move(queue_.front());
        queue_.pop_front();
        if (!next.utterance) {
            emit failed(next.error);
            continue;
        }
        emit started(next.utterance->shownText, next.utterance->durationMs());
        player_.play(next.utterance);
    }
}

}  // namespace agent::speech
