#include "src/wiring/later_starts.h"

#include "src/platform/failure_report.h"

namespace horalia::wiring {

void serveLaterStarts(platform::InstanceChannel& channel, clock_window::ClockController& controller) {
    // A clock that cannot listen still runs; only its later starts cannot bring it back.
    platform::reported(channel.listen([&controller] { return controller.showClock(); }));
}

void askRunningClock(platform::InstanceChannel& channel) {
    (void)channel.askToShow();
}

}  // namespace horalia::wiring
