// The desktop engine's sense of time: a monotonic clock and single-shot timers armed for the next moment a
// picture or a tip is due to change. The desktop runs on Qt's; tests put virtual ones in their place and move
// time on by hand, so they run the same scheduling the desktop does and never sleep.
#pragma once

#include <QList>

#include <functional>
#include <memory>

#include "agent/speech/monotonic_clock.h"

namespace agent::render {

class FrameTimer {
public:
    virtual ~FrameTimer() = default;
    // Calls `due` once, ms from now, in place of whatever was armed before.
    virtual void start(int ms) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
    void setHandler(std::function<void()> due) { due_ = std::move(due); }

protected:
    void fire() const {
        if (due_) {
            due_();
        }
    }

private:
    std::function<void()> due_;
};

// How long the engine may sleep, given how long until each character's picture (or anything else) next
// changes: until the earliest, stretched to take in any other change due within `togetherMs` after it, so
// that characters whose frames fall close together are drawn in one wake-up rather than two. A frame that
// much late is not seen, and each wake-up costs a standing character more than drawing its frame. Something
// due at once is not put off. -1 when nothing is due.
qint64 sharedWait(const QList<qint64>& waits, qint64 togetherMs);

class EngineTime {
public:
    virtual ~EngineTime() = default;
    virtual const speech::MonotonicClock& clock() const = 0;
    virtual std::unique_ptr<FrameTimer> makeTimer() = 0;
};

// The time of the desktop: a steady clock and precise Qt timers, which fire from the event loop.
class QtEngineTime final : public EngineTime {
public:
    const speech::MonotonicClock& clock() const override { return clock_; }
    std::unique_ptr<FrameTimer> makeTimer() override;

private:
    speech::SteadyClock clock_;
};

}  // namespace agent::render
