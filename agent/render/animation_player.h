// One character's request queue and animation clock, without any window: a window asks it what to draw
// (animation, frame, position, visibility) and drives it with advance(). Time moves only through advance(),
// so that tests can run in virtual time and a hidden character costs nothing.
#pragma once

#include "agent/format/acs_file.h"

#include <QList>
#include <QPoint>
#include <QPointF>
#include <QString>

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>

namespace agent::render {

// Returns a number in [0, bound). Injected so that branch and idle choices can be reproduced.
using RandomSource = std::function<int(int bound)>;

// A reproducible source for a seed.
RandomSource seededRandom(std::uint32_t seed);

enum class RequestKind { Show, Hide, Play, Speak, Move, Hold };

struct Completion {
    int id = 0;
    RequestKind kind = RequestKind::Play;
    bool interrupted = false;  // dropped or cut short by stop()
    bool operator==(const Completion&) const = default;
};

struct IdleTimes {
    int firstMs = 5000;    // quiet time before the first idling animation
    int gapMs = 2000;      // pause between idling animations
    int level2Ms = 30000;  // quiet time after which level 2 animations play
    int level3Ms = 90000;  // ... and level 3
};

class AnimationPlayer {
public:
    static constexpr qint64 kVoiceStartLimitMs = 5000;
    static constexpr qint64 kSpeechGraceMs = 1000;

    // The file must outlive the player.
    explicit AnimationPlayer(const format::AcsFile& file, RandomSource random = {});

    // Each request is queued and returns its id at once; its completion is reported when it has been
    // carried out (or dropped by stop()).
    // Fast: at once, without the Showing or Hiding animation.
    int show(bool fast = false);
    int hide(bool fast = false);
    // Case ignored; an unknown name completes at its turn without playing. An animation that loops through
    // its branches holds the queue until stop(), as the character's author meant it to.
    int play(const QString& name);
    // Plays one of a state's animations ("Listening", "Hearing"), chosen when its turn comes; a state the
    // file lacks completes at its turn without playing.
    int playState(const QString& state);
    // Holds the queue, doing nothing, until finish() ends it.
    int hold();
    // Ends request `id` alone: dropped while it waits, or left through its animation's exit branches; a
    // statement under way ends at once. `interrupted` is what its completion says.
    void finish(int id, bool interrupted = true);
    // Holds a speaking frame until endSpeech(): the voice decides how long a statement takes, and it only
    // starts when the request's turn comes (see setRequestStartHandler). A voice that never starts or never
    // ends cannot hold the queue: a statement lasts at most kVoiceStartLimitMs until its voice starts, and
    // from then on at most the voice's length and kSpeechGraceMs.
    int speak(const QString& text);
    // The voice of statement `id` has started to sound and will last durationMs. The statement lasts at least
    // readMs from now, its voice over or not: the time its balloon needs to be read.
    void speechStarted(int id, qint64 durationMs, qint64 readMs = 0);
    // The voice of statement `id` is over (spoken, cut off or failed). It may come at any moment: before the
    // statement's turn, from inside its start handler, or after it was dropped; only that statement ends.
    void endSpeech(int id);
    // Travels at the move speed, or so as to arrive in durationMs when that is above 0.
    int moveTo(QPoint target, int durationMs = 0);
    // Drops every waiting request; the current animation leaves through its exit branches. Requests for
    // which `keep` says true are left as they are.
    void stop(const std::function<bool(int id)>& keep = {});

    void advance(int ms);

    // What to draw: the animation and frame last shown (kept after an animation ends).
    QString currentAnimation() const;
    int currentFrame() const { return frame_; }
    const format::Frame* frame() const;
    bool isAnimating() const { return playing_; }
    // What the window shows: the last frame entered that has a picture or takes time. It differs from the
    // current frame when an animation passes through or ends on an empty zero-length frame.
    QString pictureAnimation() const;
    int pictureFrame() const { return shownFrame_; }
    const format::Frame* picture() const;
    QPoint position() const { return position_.toPoint(); }
    // Puts the character here at once. A journey underway ends here: the user has taken hold of the
    // character.
    void setPosition(QPoint p);
    bool isVisible() const { return visible_; }
    bool isSpeaking() const;
    QString speechText() const;
    bool isBusy() const { return current_.has_value() || !queue_.empty(); }
    // Time until the picture or a request next changes of itself: how long a driver may sleep. Zero while the
    // character travels, as its window moves with every step; -1 when nothing will happen without a request.
    qint64 msUntilNextEvent() const;
    bool isMoving() const;

    // The mouth drawn over a speaking frame: a MouthShape value, or -1 for the frame as drawn.
    void setMouth(int shape) { mouth_ = shape; }
    int mouth() const { return isSpeaking() ? mouth_ : -1; }

    void setMoveSpeed(int pixelsPerSecond) { moveSpeed_ = pixelsPerSecond > 0 ? pixelsPerSecond : 1; }
    void setIdleTimes(const IdleTimes& times) { idle_ = times; }
    // Reduced motion, for people whom movement on the screen troubles: a character does not walk (it is
    // simply where it was going) and plays no idling animations. What it is asked to play it still plays.
    void setReducedMotion(bool on) { reducedMotion_ = on; }
    bool reducedMotion() const { return reducedMotion_; }
    // Whether the character plays its idling animations when it has nothing to do.
    void setIdleOn(bool on) { idleOn_ = on; }
    int idleLevel() const;

    void setCompletionHandler(std::function<void(const Completion&)> handler) {
        onComplete_ = std::move(handler);
    }
    // Called when a request's turn comes, before it is carried out (a Speak starts its voice here).
    void setRequestStartHandler(std::function<void(int id, RequestKind kind, const QString& text)> handler) {
        onStart_ = std::move(handler);
    }
    // Called with the sound index of each frame entered that has a sound.
    void setFrameSoundHandler(std::function<void(int sound)> handler) { onSound_ = std::move(handler); }
    // Told true when the character, with nothing to do, begins to idle, and false when a request ends that.
    void setIdlingHandler(std::function<void(bool idling)> handler) { onIdling_ = std::move(handler); }

private:
    enum class Role { Request, Return, Idle };

    struct Request {
        int id = 0;
        RequestKind kind = RequestKind::Play;
        QString name;  // animation, or text to speak
        QPoint target;
        bool state = false;  // a Play whose name is a state's
        bool fast = false;   // a Show or Hide without its animation
        int durationMs = 0;  // of a Move, 0 for the move speed's
    };

    int enqueue(Request r);
    void report(const Completion& c);
    const format::Animation* stateAnimation(const QString& state);
    void startAnimation(const format::Animation* anim, Role role);
    void enterFrame(int index);
    void nextFrame();
    void animationEnded();
    void startRequest();
    void complete(bool interrupted);
    bool settleOnce();
    qint64 timeToNextEvent() const;
    void pass(qint64 ms);
    bool quiet() const { return !current_ && queue_.empty() && visible_; }

    const format::AcsFile& file_;
    RandomSource random_;
    std::deque<Request> queue_;
    std::optional<Request> current_;
    int nextId_ = 1;

    const format::Animation* anim_ = nullptr;
    int frame_ = -1;
    const format::Animation* shownAnim_ = nullptr;
    int shownFrame_ = -1;
    qint64 frameLeftMs_ = 0;
    bool playing_ = false;
    bool exiting_ = false;
    int exitSteps_ = 0;
    bool stopped_ = false;  // the current request was cut short
    Role role_ = Role::Request;

    bool speechEnded_ = false;
    qint64 speechLeftMs_ = 0;  // until the statement ends without its voice
    qint64 readLeftMs_ = 0;    // until the statement's balloon has been read
    QList<int> endedEarly_;    // statements whose voice ended before their turn came
    int mouth_ = -1;
    QPointF position_;
    QPointF moveFrom_;
    QPointF moveTo_;
    qint64 moveTotalMs_ = 0;
    qint64 moveElapsedMs_ = 0;
    int moveSpeed_ = 400;

    bool visible_ = false;
    bool reducedMotion_ = false;
    bool idleOn_ = true;
    IdleTimes idle_;
    qint64 idleMs_ = 0;
    qint64 nextIdleAtMs_ = 0;

    std::function<void(const Completion&)> onComplete_;
    std::function<void(int, RequestKind, const QString&)> onStart_;
    std::function<void(int)> onSound_;
    std::function<void(bool)> onIdling_;
    bool idling_ = false;
};

}  // namespace agent::render
