// How a later start of the program reaches the clock that already runs. On a desktop with no tray host,
// starting the program again is the one way back to a clock hidden from its own menu.
#pragma once

#include <functional>

#include "agent/result.h"

namespace horalia::platform {

class InstanceChannel {
public:
    virtual ~InstanceChannel() = default;
    // The running clock: from now on each later start's request calls showClock, and its answer (whether
    // there was a clock to show) goes back to that start. Only the holder of the instance lock listens.
    virtual agent::Status listen(std::function<bool()> showClock) = 0;
    // A later start: asks the running clock to show itself and waits a short while for its answer; a failure
    // when nothing answered, so that a clock that hangs cannot hang the start that asked it.
    virtual agent::Result<bool> askToShow() = 0;
};

}  // namespace horalia::platform
