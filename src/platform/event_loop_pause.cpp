#include "src/platform/event_loop_pause.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>

namespace horalia::platform {

void EventLoopPause::pause(int seconds) {
    seconds = std::clamp(seconds, 0, 255);
    if (seconds == 0) {
        return;
    }
    // The loop ends on elapsed time, not on the time of day, so a pause over midnight or a clock change
    // still lasts as long as asked.
    QEventLoop loop;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(seconds * 1000);
    loop.exec();
}

}  // namespace horalia::platform
