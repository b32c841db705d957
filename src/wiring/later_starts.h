// Starting the program while a clock runs brings that clock back, as the tray's "Show the clock" does: on a
// desktop with no tray host it is the one way back to a clock hidden from its own menu. The desktop and the
// real-time console clock both take part; previews on a virtual clock do not.
#pragma once

#include "src/clock_window/clock_controller.h"
#include "src/platform/instance_channel.h"

namespace horalia::wiring {

// The running clock (the holder of the instance lock) listens for later starts, each of which shows its
// clock.
void serveLaterStarts(platform::InstanceChannel& channel, clock_window::ClockController& controller);

// A later start asks the running clock to show itself, and then ends as before, answered or not: a clock that
// cannot be reached is not worth a word to someone who only started the program again.
void askRunningClock(platform::InstanceChannel& channel);

}  // namespace horalia::wiring
