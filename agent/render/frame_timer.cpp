#include "agent/render/frame_timer.h"

#include <QTimer>

namespace agent::render {

namespace {

class QtFrameTimer final : public FrameTimer {
public:
    QtFrameTimer() {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] { fire(); });
    }
    void start(int ms) override { timer_.start(ms); }
    void stop() override { timer_.stop(); }
    bool isActive() const override { return timer_.isActive(); }

private:
    QTimer timer_;
};

}  // namespace

qint64 sharedWait(const QList<qint64>& waits, qint64 togetherMs) {
    qint64 earliest = -1;
    for (const qint64 w : waits) {
        if (w >= 0 && (earliest < 0 || w < earliest)) {
            earliest = w;
        }
    }
    if (earliest <= 0) {
        return earliest;
    }
    qint64 wait = earliest;
    for (const qint64 w : waits) {
        if (w > wait && w <= earliest + togetherMs) {
            wait = w;
        }
    }
    return wait;
}

std::unique_ptr<FrameTimer> QtEngineTime::makeTimer() {
    return std::make_unique<QtFrameTimer>();
}

}  // namespace agent::render
