#include "src/platform/system_clock.h"

#include <QTimer>

namespace horalia::platform {

namespace {

class QtTimer : public Timer {
public:
    QtTimer() {
        // Qt lets coarse timers of a few seconds fire up to 5% early; the minute tick must not.
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            // Copied first: the callback may start this timer again with another callback.
            std::function<void()> callback = callback_;
            if (callback) {
                callback();
            }
        });
    }
    void start(int milliseconds, std::function<void()> onTimeout) override {
        callback_ = std::move(onTimeout);
        timer_.start(std::max(0, milliseconds));
    }
    void stop() override { timer_.stop(); }
    bool isActive() const override { return timer_.isActive(); }

private:
    QTimer timer_;
    std::function<void()> callback_;
};

}  // namespace

QDateTime SystemClock::now() const {
    return QDateTime::currentDateTime();
}

std::unique_ptr<Timer> SystemClock::createTimer() {
    return std::make_unique<QtTimer>();
}

}  // namespace horalia::platform
