// Playback pacing.
#include "agent/speech/speech_player.h"

#include <limits>

namespace agent::speech {

SpeechPlayer::SpeechPlayer(AudioOutput& output, const MonotonicClock& clock, QObject* parent)
    : QObject(parent), output_(output), clock_(clock) {
    timer_.setInterval(kTickMs);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &SpeechPlayer::update);
}

SpeechPlayer::~SpeechPlayer() {
    if (utterance_) {
        output_.stop();
    }
}

void SpeechPlayer::play(std::shared_ptr<const Utterance> utterance) {
    if (utterance_) {
        stop();
    }
    if (!utterance) {
        return;
    }
    ++generation_;
    utterance_ = std::move(utterance);
    nextWord_ = nextMouth_ = nextBookmark_ = 0;
    positionMs_ = 0;
    shownMouth_ = MouthShape::Closed;
    // The samples stay owned by the utterance; the output shares them for as long as it plays.
    std::shared_ptr<const std::vector<std::int16_t>> samples(utterance_, &utterance_->samples);
    // Without sound the statement runs on the clock, silently: nobody needs telling why.
    silent_ = !output_.start(samples, utterance_->sampleRate);
    clockStartMs_ = clock_.nowMs();
    timer_.start();
    update();
}

void SpeechPlayer::stop() {
    if (!utterance_) {
        return;
    }
    output_.stop();
    const bool mouthOpen = shownMouth_ != MouthShape::Closed;
    reset();
    if (mouthOpen) {
        emit mouthChanged(MouthShape::Closed);
    }
    emit finished(true);
}

void SpeechPlayer::reset() {
    timer_.stop();
    utterance_.reset();
    ++generation_;
    silent_ = false;
    shownMouth_ = MouthShape::Closed;
}

void SpeechPlayer::update() {
    if (!utterance_) {
        return;
    }
    const qint64 durationMs = utterance_->durationMs();
    qint64 position = 0;
    if (!silent_) {
        const std::optional<qint64> played = output_.playedMs();
        if (output_.drained()) {
            position = durationMs;
        } else if (played) {
            position = *played;
        } else {
            // The sound broke off underway: carry on silently from where it got to.
            silent_ = true;
            clockStartMs_ = clock_.nowMs() - positionMs_;
        }
    }
    if (silent_) {
        position = clock_.nowMs() - clockStartMs_;
    }
    positionMs_ = std::max(positionMs_, std::min(position, durationMs));
    if (!raiseUntil(positionMs_)) {
        return;
    }
    if (positionMs_ >= durationMs) {
        output_.stop();
        reset();
        emit finished(false);
    }
}

bool SpeechPlayer::raiseUntil(qint64 positionMs) {
    const quint64 generation = generation_;
    // Held here: a handler may stop the player and drop the player's own reference.
    const std::shared_ptr<const Utterance> keep = utterance_;
    const Utterance& u = *keep;
    constexpr qint64 kNever = std::numeric_limits<qint64>::max();
    // Events of the three kinds go out merged in time order; at equal times words first, so a bookmark placed
    // after a word is seen after it, and the mouth last.
    while (true) {
        const qint64 word = nextWord_ < u.words.size() ? u.words[nextWord_].ms : kNever;
        const qint64 mark = nextBookmark_ < u.bookmarks.size() ? u.bookmarks[nextBookmark_].ms : kNever;
        const qint64 mouth = nextMouth_ < u.mouths.size() ? u.mouths[nextMouth_].ms : kNever;
        const qint64 next = std::min({word, mark, mouth});
        if (next > positionMs) {
            return true;
        }
        if (word == next) {
            const int index = static_cast<int>(nextWord_++);
            emit wordReached(index, u.words[static_cast<size_t>(index)].shownEnd);
        } else if (mark == next) {
            emit bookmarkReached(u.bookmarks[nextBookmark_++].id);
        } else {
            const MouthShape shape = u.mouths[nextMouth_++].shape;
            if (shape != shownMouth_) {
                shownMouth_ = shape;
                emit mouthChanged(shape);
            }
        }
        if (generation != generation_) {
            return false;
        }
    }
}

}  // namespace agent::speech
