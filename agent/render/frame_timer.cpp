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

std::unique_ptr<FrameTimer> QtEngineTime::makeTimer() {
    return std::make_unique<QtFrameTimer>();
}

}  // namespace agent::render
