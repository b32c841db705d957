// One character's voice: takes Speak texts in order, reads their tags, has them synthesized off the interface
// thread and plays them one after the other. All signals arrive on the interface thread.
#pragma once

#include <QObject>
#include <deque>
#include <memory>
#include <optional>

#include "agent/speech/speech_player.h"
#include "agent/speech/speech_tag_parser.h"
#include "agent/speech/speech_thread.h"

namespace agent::speech {

class Speaker : public QObject {
    Q_OBJECT
public:
    Speaker(SpeechThread& thread, AudioOutput& output, const MonotonicClock& clock,
            QObject* parent = nullptr);

    void setVoice(const VoiceChoice& voice) { voice_ = voice; }
    const VoiceChoice& voice() const { return voice_; }

    // Queues a statement; speech tags are allowed.
    void speak(const QString& text);
    // Drops every queued statement and cuts off the one playing.
    void stop();
    bool isIdle() const { return queue_.empty() && !player_.isPlaying(); }

    SpeechPlayer& player() { return player_; }

signals:
    // A statement starts to sound (or, silently, to run) for durationMs: the balloon opens with this text.
    void started(const QString& shownText, qint64 durationMs);
    void wordReached(int index, int shownEnd);
    void mouthChanged(agent::speech::MouthShape shape);
    void bookmarkReached(int id);
    void finished(bool stopped);
    // A statement could not be synthesized; it is skipped and the next one follows.
    void failed(const QString& error);

private:
    struct Pending {
        quint64 id = 0;
        std::optional<Result<std::shared_ptr<const Utterance>>> made;  // empty until synthesis reports back
    };

    void playNext();

    SpeechThread& thread_;
    SpeechPlayer player_;
    SpeechTagParser parser_;
    VoiceChoice voice_;
    std::deque<Pending> queue_;
    quint64 nextId_ = 1;
};

}  // namespace agent::speech
