// Plays one utterance and raises its word, mouth and bookmark events when the sound gets there. The position
// comes from the sound output while it plays; without one (no sound server, or it broke off underway) from
// the clock, so the balloon and the mouth keep the pace of the samples either way.
#pragma once

#include <QObject>
#include <QTimer>
#include <memory>

#include "agent/speech/audio_output.h"
#include "agent/speech/monotonic_clock.h"
#include "agent/speech/utterance.h"

namespace agent::speech {

class SpeechPlayer : public QObject {
    Q_OBJECT
public:
    static constexpr int kTickMs = 15;

    SpeechPlayer(AudioOutput& output, const MonotonicClock& clock, QObject* parent = nullptr);
    ~SpeechPlayer() override;

    // Starts at once; an utterance still playing is cut off first (reported as stopped).
    void play(std::shared_ptr<const Utterance> utterance);
    // Cuts the utterance off: the sound stops, the mouth closes, finished(true).
    void stop();
    bool isPlaying() const { return utterance_ != nullptr; }
    // Playing without sound, paced by the clock.
    bool isSilent() const { return silent_; }

    // Raises every event up to the current position. The player's own timer calls it while playing.
    void update();

signals:
    void wordReached(int index, int shownEnd);
    void mouthChanged(agent::speech::MouthShape shape);
    void bookmarkReached(int id);
    void finished(bool stopped);

private:
    // Raises events due by positionMs; false when a handler stopped or replaced the utterance meanwhile.
    bool raiseUntil(qint64 positionMs);
    void reset();

    AudioOutput& output_;
    const MonotonicClock& clock_;
    QTimer timer_;
    std::shared_ptr<const Utterance> utterance_;
    quint64 generation_ = 0;
    bool silent_ = false;
    qint64 clockStartMs_ = 0;
    qint64 positionMs_ = 0;
    size_t nextWord_ = 0;
    size_t nextMouth_ = 0;
    size_t nextBookmark_ = 0;
    MouthShape shownMouth_ = MouthShape::Closed;
};

}  // namespace agent::speech
