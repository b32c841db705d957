// Virtual time for the desktop engine: a clock that moves only when the test says so, and timers that fire
// as that time passes their moment, in order, as Qt's would.
#pragma once

#include <algorithm>
#include <vector>

#include "agent/render/frame_timer.h"

namespace testsupport {

class VirtualEngineTime final : public agent::render::EngineTime {
public:
    VirtualEngineTime() = default;
    VirtualEngineTime(const VirtualEngineTime&) = delete;
    VirtualEngineTime& operator=(const VirtualEngineTime&) = delete;
    ~VirtualEngineTime() override {
        for (Timer* timer : timers_) {
            timer->time_ = nullptr;
        }
    }

    const agent::speech::MonotonicClock& clock() const override { return clock_; }
    std::unique_ptr<agent::render::FrameTimer> makeTimer() override { return std::make_unique<Timer>(*this); }

    qint64 nowMs() const { return clock_.now; }
    int armedTimers() const {
        return int(
            std::count_if(timers_.begin(), timers_.end(), [](const Timer* t) { return t->isActive(); }));
    }

    // Moves time on by ms, firing each timer whose moment comes, earliest first. A timer armed again from its
    // own handler for no time at all fires again within the same moment, up to a bound that stops a runaway.
    void advance(qint64 ms) {
        const qint64 end = clock_.now + ms;
        for (int fired = 0; fired < 100000; ++fired) {
            Timer* next = nullptr;
            for (Timer* timer : timers_) {
                if (timer->isActive() && timer->dueMs_ <= end && (!next || timer->dueMs_ < next->dueMs_)) {
                    next = timer;
                }
            }
            if (next == nullptr) {
                break;
            }
            clock_.now = std::max(clock_.now, next->dueMs_);
            next->active_ = false;
            next->ring();
        }
        clock_.now = end;
    }

private:
    class Clock final : public agent::speech::MonotonicClock {
    public:
        qint64 now = 5000;
        qint64 nowMs() const override { return now; }
    };

    class Timer final : public agent::render::FrameTimer {
    public:
        explicit Timer(VirtualEngineTime& time) : time_(&time) { time.timers_.push_back(this); }
        ~Timer() override {
            if (time_ != nullptr) {
                std::erase(time_->timers_, this);
            }
        }
        void start(int ms) override {
            active_ = time_ != nullptr;
            dueMs_ = (time_ != nullptr ? time_->clock_.now : 0) + std::max(ms, 0);
        }
        void stop() override { active_ = false; }
        bool isActive() const override { return active_; }
        void ring() const { fire(); }

        VirtualEngineTime* time_;
        bool active_ = false;
        qint64 dueMs_ = 0;
    };

    Clock clock_;
    std::vector<Timer*> timers_;
};

}  // namespace testsupport
