#include "src/platform/virtual_clock.h"

#include <algorithm>

namespace horalia::platform {

class VirtualClock::VirtualTimer : public Timer {
public:
    explicit VirtualTimer(VirtualClock& clock) : clock_(&clock) { clock_->timers_.append(this); }
    ~VirtualTimer() override {
        if (clock_ != nullptr) {
            clock_->timers_.removeOne(this);
        }
    }
    void start(int milliseconds, std::function<void()> onTimeout) override {
        if (clock_ == nullptr) {
            return;
        }
        callback_ = std::move(onTimeout);
        due_ = clock_->now_ + std::max(0, milliseconds) + std::max(0, clock_->latencyMs());
        sequence_ = ++clock_->sequence_;
        active_ = true;
    }
    void stop() override { active_ = false; }
    bool isActive() const override { return active_; }

    VirtualClock* clock_;
    std::function<void()> callback_;
    qint64 due_ = 0;
    quint64 sequence_ = 0;
    bool active_ = false;
};

VirtualClock::VirtualClock(const QDateTime& start) : now_(start.toMSecsSinceEpoch()) {}

VirtualClock::~VirtualClock() {
    for (VirtualTimer* timer : timers_) {
        timer->clock_ = nullptr;
    }
}

QDateTime VirtualClock::now() const {
    return zone_.isValid() ? QDateTime::fromMSecsSinceEpoch(now_, zone_)
                           : QDateTime::fromMSecsSinceEpoch(now_);
}

std::unique_ptr<Timer> VirtualClock::createTimer() {
    return std::make_unique<VirtualTimer>(*this);
}

void VirtualClock::advanceBy(qint64 milliseconds) {
    advanceToMs(now_ + std::max<qint64>(0, milliseconds));
}

void VirtualClock::advanceTo(const QDateTime& time) {
    advanceToMs(time.toMSecsSinceEpoch());
}

void VirtualClock::jumpBy(qint64 milliseconds) {
    now_ += milliseconds;
    for (VirtualTimer* timer : timers_) {
        timer->due_ += milliseconds;
    }
}

void VirtualClock::advanceToMs(qint64 target) {
    for (;;) {
        VirtualTimer* next = nullptr;
        for (VirtualTimer* timer : timers_) {
            if (timer->active_ && timer->due_ <= target &&
                (next == nullptr || timer->due_ < next->due_ ||
                 (timer->due_ == next->due_ && timer->sequence_ < next->sequence_))) {
                next = timer;
            }
        }
        if (next == nullptr) {
            break;
        }
        now_ = std::max(now_, next->due_);
        next->active_ = false;
        ++fired_;
        // Copied first: the callback may restart or even destroy its timer.
        std::function<void()> callback = next->callback_;
        if (callback) {
            callback();
        }
    }
    now_ = std::max(now_, target);
}

void VirtualPause::pause(int seconds) {
    clock_.advanceBy(static_cast<qint64>(std::clamp(seconds, 0, 255)) * 1000);
}

}  // namespace horalia::platform
