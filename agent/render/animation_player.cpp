#include "agent/render/animation_player.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <random>

namespace agent::render {

namespace {

// Frames loop through branches; a loop of zero-length frames would never let time pass, so after this many
// steps without time the player waits for the next advance().
constexpr int kMaxInstantSteps = 10000;

}  // namespace

RandomSource seededRandom(std::uint32_t seed) {
    auto engine = std::make_shared<std::mt19937>(seed);
    // The remainder rather than a distribution: the standard library's distributions differ between
    // implementations, and a seed must give the same branches everywhere.
    return [engine](int bound) { return bound <= 1 ? 0 : int((*engine)() % std::uint32_t(bound)); };
}

AnimationPlayer::AnimationPlayer(const format::AcsFile& file, RandomSource random)
    : file_(file), random_(random ? std::move(random) : seededRandom(std::random_device{}())) {
    nextIdleAtMs_ = idle_.firstMs;
}

int AnimationPlayer::enqueue(Request r) {
    r.id = nextId_++;
    queue_.push_back(r);
    return r.id;
}

int AnimationPlayer::show(bool fast) {
    return enqueue({0, RequestKind::Show, {}, {}, false, fast});
}

int AnimationPlayer::hide(bool fast) {
    return enqueue({0, RequestKind::Hide, {}, {}, false, fast});
}

int AnimationPlayer::hold() {
    return enqueue({0, RequestKind::Hold, {}, {}, false});
}

int AnimationPlayer::play(const QString& name) {
    return enqueue({0, RequestKind::Play, name, {}, false});
}

int AnimationPlayer::playState(const QString& state) {
    return enqueue({0, RequestKind::Play, state, {}, true});
}

void AnimationPlayer::finish(int id, bool interrupted) {
    const auto waiting =
        std::find_if(queue_.begin(), queue_.end(), [id](const Request& r) { return r.id == id; });
    if (waiting != queue_.end()) {
        const Request r = *waiting;
        queue_.erase(waiting);
        endedEarly_.removeAll(r.id);
        report({r.id, r.kind, interrupted});
        return;
    }
    if (!current_ || current_->id != id) {
        return;
    }
    if (current_->kind == RequestKind::Speak || current_->kind == RequestKind::Hold) {
        complete(interrupted);
        return;
    }
    if (current_->kind == RequestKind::Move) {
        stopped_ = true;
        moveTo_ = position_;
        moveTotalMs_ = moveElapsedMs_;
    }
    if (current_->kind == RequestKind::Play || current_->kind == RequestKind::Move) {
        stopped_ = true;
        if (playing_) {
            exiting_ = true;
        }
    }
}

int AnimationPlayer::speak(const QString& text) {
    return enqueue({0, RequestKind::Speak, text, {}, false});
}

void AnimationPlayer::speechStarted(int id, qint64 durationMs, qint64 readMs) {
    if (isSpeaking() && current_->id == id && !speechEnded_) {
        readLeftMs_ = std::max<qint64>(0, readMs);
        speechLeftMs_ = std::max(std::max<qint64>(0, durationMs) + kSpeechGraceMs, readLeftMs_);
    }
}

void AnimationPlayer::endSpeech(int id) {
    if (isSpeaking() && current_->id == id) {
        speechEnded_ = true;
        return;
    }
    const bool waiting = std::any_of(queue_.cbegin(), queue_.cend(), [id](const Request& r) {
        return r.id == id && r.kind == RequestKind::Speak;
    });
    if (waiting && !endedEarly_.contains(id)) {
        endedEarly_.append(id);
    }
}

void AnimationPlayer::setPosition(QPoint p) {
    position_ = QPointF(p);
    if (isMoving()) {
        moveTo_ = position_;
        moveTotalMs_ = moveElapsedMs_;
    }
}

bool AnimationPlayer::isMoving() const {
    return current_ && current_->kind == RequestKind::Move && moveElapsedMs_ < moveTotalMs_;
}

qint64 AnimationPlayer::msUntilNextEvent() const {
    if (isMoving()) {
        return 0;
    }
    if (!queue_.empty() && !current_ && !playing_) {
        return 0;
    }
    const qint64 t = timeToNextEvent();
    return t == std::numeric_limits<qint64>::max() ? -1 : t;
}

int AnimationPlayer::moveTo(QPoint target, int durationMs) {
    const int id = enqueue({0, RequestKind::Move, {}, target, false, false, std::max(0, durationMs)});
    if (!visible_ && !current_ && !playing_ && queue_.size() == 1) {
        // A hidden character with nothing to do is simply there at once: a Stop that follows in the same
        // moment (as one does before every statement) would otherwise drop the move, and the character would
        // come into view where it was instead.
        startRequest();
    }
    return id;
}

void AnimationPlayer::stop(const std::function<bool(int id)>& keep) {
    std::deque<Request> kept;
    while (!queue_.empty()) {
        const Request r = queue_.front();
        queue_.pop_front();
        if (keep && keep(r.id)) {
            kept.push_back(r);
            continue;
        }
        endedEarly_.removeAll(r.id);
        report({r.id, r.kind, true});
    }
    queue_ = std::move(kept);
    if (current_ && keep && keep(current_->id)) {
        return;
    }
    if (current_) {
        stopped_ = true;
        switch (current_->kind) {
            case RequestKind::Speak:
            case RequestKind::Hold:
                complete(true);
                break;
            case RequestKind::Move:
                // The character stays where it is; the walk ends through the animation's exit branches.
                moveTo_ = position_;
                moveTotalMs_ = moveElapsedMs_;
                break;
            default:
                break;  // completes when its animation has left
        }
    }
    if (playing_) {
        exiting_ = true;
    }
}

QString AnimationPlayer::currentAnimation() const {
    return anim_ ? anim_->name : QString();
}

QString AnimationPlayer::pictureAnimation() const {
    return shownAnim_ ? shownAnim_->name : QString();
}

const format::Frame* AnimationPlayer::picture() const {
    if (!shownAnim_ || shownFrame_ < 0 || shownFrame_ >= shownAnim_->frames.size()) {
        return nullptr;
    }
    return &shownAnim_->frames[shownFrame_];
}

const format::Frame* AnimationPlayer::frame() const {
    if (!anim_ || frame_ < 0 || frame_ >= anim_->frames.size()) {
        return nullptr;
    }
    return &anim_->frames[frame_];
}

bool AnimationPlayer::isSpeaking() const {
    return current_ && current_->kind == RequestKind::Speak;
}

QString AnimationPlayer::speechText() const {
    return isSpeaking() ? current_->name : QString();
}

int AnimationPlayer::idleLevel() const {
    if (idleMs_ >= idle_.level3Ms) {
        return 3;
    }
    return idleMs_ >= idle_.level2Ms ? 2 : 1;
}

void AnimationPlayer::report(const Completion& c) {
    if (onComplete_) {
        onComplete_(c);
    }
}

const format::Animation* AnimationPlayer::stateAnimation(const QString& state) {
    const format::State* st = file_.state(state);
    if (!st) {
        return nullptr;
    }
    QList<const format::Animation*> found;
    for (const QString& name : st->animations) {
        if (const format::Animation* a = file_.animation(name)) {
            found.append(a);
        }
    }
    if (found.isEmpty()) {
        return nullptr;
    }
    // A state may list several animations; which one plays is the character's whim.
    const int pick = found.size() > 1 ? std::clamp(random_(int(found.size())), 0, int(found.size()) - 1) : 0;
    return found[pick];
}

void AnimationPlayer::startAnimation(const format::Animation* anim, Role role) {
    anim_ = anim;
    role_ = role;
    exiting_ = false;
    exitSteps_ = 0;
    if (anim->frames.isEmpty()) {
        frame_ = -1;
        playing_ = false;
        animationEnded();
        return;
    }
    playing_ = true;
    enterFrame(0);
}

void AnimationPlayer::enterFrame(int index) {
    frame_ = index;
    const format::Frame& f = anim_->frames[index];
    // A frame of no time and no picture only marks a way out of the animation; nobody ever sees it.
    if (f.duration > 0 || !f.images.isEmpty()) {
        shownAnim_ = anim_;
        shownFrame_ = index;
    }
    frameLeftMs_ = qint64(f.duration) * 10;
    if (f.sound != format::kNoSound && onSound_) {
        onSound_(f.sound);
    }
}

void AnimationPlayer::nextFrame() {
    const format::Frame& f = anim_->frames[frame_];
    const int count = int(anim_->frames.size());
    int next = frame_ + 1;
    if (exiting_) {
        // An exit branch leads out through the frames that bring the character back to rest; -1 means the
        // frame has none (carry on in order, without branching), below that the animation ends here.
        if (f.exitFrame >= 0) {
            next = f.exitFrame;
        } else if (f.exitFrame < -1) {
            next = count;
        }
        // Exit branches that lead round in a circle would never let the character stop.
        if (++exitSteps_ > count) {
            next = count;
        }
    } else if (!f.branches.isEmpty()) {
        const int roll = random_(100);
        int sum = 0;
        for (const format::Branch& b : f.branches) {
            sum += b.probability;
            if (roll < sum) {
                next = b.frame;
                break;
            }
        }
    }
    if (next < 0 || next >= count) {
        if (!exiting_ && role_ == Role::Request && isMoving() && shownAnim_ == anim_ && shownFrame_ >= 0) {
            // The walk is over before the journey: the character keeps its last step until it arrives, and
            // then leaves from there through the exit branches.
            frame_ = shownFrame_;
            frameLeftMs_ = moveTotalMs_ - moveElapsedMs_;
            return;
        }
        playing_ = false;
        animationEnded();
        return;
    }
    enterFrame(next);
}

void AnimationPlayer::animationEnded() {
    const Role ended = role_;
    const format::Animation* anim = anim_;
    if (ended == Role::Request && current_ &&
        (current_->kind == RequestKind::Show || current_->kind == RequestKind::Hide ||
         current_->kind == RequestKind::Play)) {
        complete(stopped_);
    }
    if (ended == Role::Idle) {
        nextIdleAtMs_ = idleMs_ + std::max(1, idle_.gapMs);
    }
    // A return animation takes the character back to its resting pose; its own return is not followed,
    // so two animations naming each other cannot play forever.
    if (ended != Role::Return && anim->transition == std::uint8_t(format::Transition::ReturnAnimation) &&
        !anim->returnAnimation.isEmpty()) {
        const format::Animation* back = file_.animation(anim->returnAnimation);
        if (back && back != anim) {
            startAnimation(back, Role::Return);
        }
    }
}

void AnimationPlayer::complete(bool interrupted) {
    const Completion c{current_->id, current_->kind, interrupted};
    if (current_->kind == RequestKind::Hide) {
        visible_ = false;
    }
    current_.reset();
    stopped_ = false;
    idleMs_ = 0;
    nextIdleAtMs_ = idle_.firstMs;
    report(c);
}

void AnimationPlayer::startRequest() {
    current_ = queue_.front();
    queue_.pop_front();
    if (idling_) {
        idling_ = false;
        if (onIdling_) {
            onIdling_(false);
        }
    }
    stopped_ = false;
    idleMs_ = 0;
    nextIdleAtMs_ = idle_.firstMs;
    if (current_->kind == RequestKind::Speak) {
        // Set before the start handler runs: the voice it starts may be over before the handler returns.
        speechEnded_ = endedEarly_.removeAll(current_->id) > 0;
        speechLeftMs_ = kVoiceStartLimitMs;
        readLeftMs_ = 0;
        mouth_ = -1;
    }
    if (onStart_) {
        onStart_(current_->id, current_->kind, current_->name);
        if (stopped_) {
            complete(true);  // the handler stopped the character before anything happened
            return;
        }
    }
    const Request& r = *current_;
    const format::Animation* anim = nullptr;
    switch (r.kind) {
        case RequestKind::Show:
            if (visible_) {
                complete(false);
                return;
            }
            visible_ = true;
            anim = r.fast ? nullptr : stateAnimation(QStringLiteral("Showing"));
            break;
        case RequestKind::Hide:
            if (!visible_) {
                complete(false);
                return;
            }
            anim = r.fast ? nullptr : stateAnimation(QStringLiteral("Hiding"));
            break;
        case RequestKind::Hold:
            return;  // until finish()
        case RequestKind::Play:
            anim = r.state ? stateAnimation(r.name) : file_.animation(r.name);
            break;
        case RequestKind::Speak: {
            // The last frame shown speaks when it has mouths; otherwise the Speaking state's pose does.
            const format::Frame* shown = picture();
            if (!shown || shown->overlays.isEmpty()) {
                if (const format::Animation* pose = stateAnimation(QStringLiteral("Speaking"))) {
                    anim_ = pose;
                    frame_ = pose->frames.isEmpty() ? -1 : 0;
                    shownAnim_ = pose;
                    shownFrame_ = frame_;
                }
            }
            return;
        }
        case RequestKind::Move: {
            if (!visible_ || reducedMotion_) {
                // Nobody sees a hidden character travel: it is simply there when it shows.
                position_ = QPointF(r.target);
                complete(false);
                return;
            }
            moveFrom_ = position_;
            moveTo_ = QPointF(r.target);
            moveElapsedMs_ = 0;
            const QPointF d = moveTo_ - moveFrom_;
            const double distance = std::hypot(d.x(), d.y());
            moveTotalMs_ = r.durationMs > 0 && distance > 0
                               ? r.durationMs
                               : qint64(std::ceil(distance * 1000.0 / moveSpeed_));
            if (moveTotalMs_ <= 0) {
                position_ = moveTo_;
                complete(false);
                return;
            }
            QString state;
            if (std::abs(d.x()) >= std::abs(d.y())) {
                state = d.x() < 0 ? QStringLiteral("MovingLeft") : QStringLiteral("MovingRight");
            } else {
                state = d.y() < 0 ? QStringLiteral("MovingUp") : QStringLiteral("MovingDown");
            }
            if (const format::Animation* walk = stateAnimation(state)) {
                startAnimation(walk, Role::Request);
            }
            return;
        }
    }
    if (anim) {
        startAnimation(anim, Role::Request);
    } else {
        complete(false);
    }
}

bool AnimationPlayer::settleOnce() {
    // On arrival the walk turns to its exit branches before it takes another step.
    if (current_ && current_->kind == RequestKind::Move && moveElapsedMs_ >= moveTotalMs_ && playing_ &&
        !exiting_) {
        exiting_ = true;
        return true;
    }
    if (playing_ && frameLeftMs_ <= 0) {
        nextFrame();
        return true;
    }
    if (current_) {
        if (current_->kind == RequestKind::Speak &&
            ((speechEnded_ && readLeftMs_ <= 0) || speechLeftMs_ <= 0)) {
            complete(stopped_);
            return true;
        }
        // (an arrival while frames still play turned to its exit branches above)
        if (current_->kind == RequestKind::Move && moveElapsedMs_ >= moveTotalMs_ && !playing_) {
            complete(stopped_);
            return true;
        }
        return false;
    }
    if (playing_) {
        // Idling and returning give way to waiting requests, leaving as the frames allow; a frame held for
        // idling is no reason to keep a request waiting, so the way back to rest starts at once.
        if (!queue_.empty() && !exiting_) {
            exiting_ = true;
            if (role_ == Role::Idle) {
                frameLeftMs_ = 0;
            }
            return true;
        }
        return false;
    }
    if (!queue_.empty()) {
        startRequest();
        return true;
    }
    if (visible_ && !reducedMotion_ && idleOn_ && idleMs_ >= nextIdleAtMs_) {
        nextIdleAtMs_ = idleMs_ + std::max(1, idle_.gapMs);
        if (const format::Animation* anim =
                stateAnimation(QStringLiteral("IdlingLevel%1").arg(idleLevel()))) {
            startAnimation(anim, Role::Idle);
            if (!idling_) {
                idling_ = true;
                if (onIdling_) {
                    onIdling_(true);
                }
            }
        }
        return true;
    }
    return false;
}

qint64 AnimationPlayer::timeToNextEvent() const {
    qint64 t = std::numeric_limits<qint64>::max();
    if (playing_) {
        t = std::min(t, frameLeftMs_);
    }
    if (current_ && current_->kind == RequestKind::Move && moveElapsedMs_ < moveTotalMs_) {
        t = std::min(t, moveTotalMs_ - moveElapsedMs_);
    }
    if (isSpeaking()) {
        // An ended statement gives way at once: whoever drives the player must not sleep on it.
        t = std::min(t, std::max<qint64>(0, speechEnded_ ? readLeftMs_ : speechLeftMs_));
    }
    if (quiet() && !playing_ && !reducedMotion_ && idleOn_) {
        t = std::min(t, std::max<qint64>(0, nextIdleAtMs_ - idleMs_));
    }
    return t;
}

void AnimationPlayer::pass(qint64 ms) {
    if (playing_) {
        frameLeftMs_ -= ms;
    }
    if (isSpeaking()) {
        speechLeftMs_ -= ms;
        readLeftMs_ -= ms;
    }
    if (current_ && current_->kind == RequestKind::Move && moveElapsedMs_ < moveTotalMs_) {
        moveElapsedMs_ = std::min(moveTotalMs_, moveElapsedMs_ + ms);
        const double t = double(moveElapsedMs_) / double(moveTotalMs_);
        position_ = moveElapsedMs_ == moveTotalMs_ ? moveTo_ : moveFrom_ + (moveTo_ - moveFrom_) * t;
    }
    if (quiet()) {
        idleMs_ += ms;
    }
}

void AnimationPlayer::advance(int ms) {
    qint64 remaining = std::max(0, ms);
    for (;;) {
        int steps = 0;
        while (settleOnce()) {
            if (++steps > kMaxInstantSteps) {
                return;
            }
        }
        if (remaining <= 0) {
            return;
        }
        const qint64 step = std::clamp<qint64>(timeToNextEvent(), 1, remaining);
        pass(step);
        remaining -= step;
    }
}

}  // namespace agent::render
