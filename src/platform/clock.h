// Time of day and timers. Nothing else in the program reads the system clock or arms a timer, so a virtual
// clock can run a whole day in milliseconds.
#pragma once

#include <QDateTime>
#include <functional>
#include <memory>

namespace horalia::platform {

// A single-shot timer; starting it again replaces what was armed.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void start(int milliseconds, std::function<void()> onTimeout) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    // Local date and time.
    virtual QDateTime now() const = 0;
    virtual std::unique_ptr<Timer> createTimer() = 0;
};

}  // namespace horalia::platform
