// The clock's tick: refreshes the time label, announces the time every Announce minutes and sounds the two
// daily alarms.
//
// After start-up it ticks once a second until the minute changes, waits 2 seconds, and from then on runs one
// full tick about 2 seconds after every minute begins. Each tick re-arms the timer from the clock itself
// rather than from a fixed interval, so late timers never make it drift, skip or repeat a minute.
#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "src/core/clock_view.h"
#include "src/platform/clock.h"
#include "src/platform/pause.h"
#include "src/platform/settings_store.h"
#include "src/platform/shell.h"

namespace horalia::core {

class Tick {
public:
    struct Actions {
        std::function<void()> saytime;
        std::function<void(const QString& who)> alarmclock;
    };

    // How long after a minute begins the full tick runs.
    static constexpr int kOffsetMs = 2000;
    static constexpr int kAligningIntervalMs = 1000;

    Tick(platform::SettingsStore& settings, platform::Clock& clock, platform::Pause& pause,
         platform::Shell& shell, ClockView& view, Actions actions);

    // Start-up: remembers the current minute and starts ticking once a second.
    void start();
    // One tick, as the timer runs it.
    void run();

    bool aligned() const { return !firstTick_; }

private:
    void fullTick();
    void armForNextMinute(const QDateTime& current);
    // Returns false when the tick must end here (an alarm with no program to start).
    bool soundAlarm(const QString& timeKey, const QString& repeatKey, const QString& launchKey,
                    const QString& who, int hour);

    platform::SettingsStore& settings_;
    platform::Clock& clock_;
    platform::Pause& pause_;
    platform::Shell& shell_;
    ClockView& view_;
    Actions actions_;
    std::unique_ptr<platform::Timer> timer_;
    bool firstTick_ = true;
    int lastMinute_ = 0;
};

}  // namespace horalia::core
