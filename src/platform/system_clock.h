// The real clock and timers of the running desktop.
#pragma once

#include "src/platform/clock.h"

namespace horalia::platform {

class SystemClock : public Clock {
public:
    QDateTime now() const override;
    std::unique_ptr<Timer> createTimer() override;
};

}  // namespace horalia::platform
