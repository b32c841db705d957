// Moments after which the wall clock no longer agrees with the timers: the computer waking from sleep, the
// clock being set, the time zone changing. Timers count only the time the computer runs, so a timer armed
// for the next minute before any of these fires at the wrong wall-clock time, or hours late.
#pragma once

#include <functional>

namespace horalia::platform {

enum class TimeChange { Woke, ClockSet, TimeZone };

class TimeChanges {
public:
    virtual ~TimeChanges() = default;
    // Replaces the one handler (an empty one removes it). It runs on the user-interface thread, possibly more
    // than once for one change: the sources overlap, and a wake-up often sets the clock too.
    virtual void setHandler(std::function<void(TimeChange)> handler) = 0;
};

// For a clock that only moves when told to (a preview): nothing outside can change its time.
class NoTimeChanges : public TimeChanges {
public:
    void setHandler(std::function<void(TimeChange)>) override {}
};

}  // namespace horalia::platform
