// The clock's tick: refreshes the time label, announces the time every Announce minutes and sounds the two
// daily alarms.
//
// After start-up it ticks once a second until the minute changes, waits 2 seconds, and from then on runs one
// full tick about 2 seconds after every minute begins. Each tick re-arms the timer from the clock itself
// rather than from a fixed interval, so late timers never make it drift, skip or repeat a minute.
//
// Timers count only the time the computer runs. When it wakes from sleep, or the clock or the time zone is
// changed, the tick runs at once for the new minute and re-arms from there; an alarm whose minute went by
// meanwhile sounds then, once, if it is no older than the MissedAlarmWindow setting.
#pragma once

#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "src/core/alarms.h"
#include "src/core/clock_view.h"
#include "src/platform/clock.h"
#include "src/platform/pause.h"
#include "src/platform/settings_store.h"
#include "src/platform/shell.h"
#include "src/platform/time_changes.h"

namespace horalia::core {

class Tick {
public:
    struct Actions {
        std::function<void()> saytime;
        std::function<void(const Alarm& alarm)> alarmclock;
    };

    // How long after a minute begins the full tick runs.
    static constexpr int kOffsetMs = 2000;
    static constexpr int kAligningIntervalMs = 1000;

    Tick(platform::SettingsStore& settings, platform::Clock& clock, platform::Pause& pause,
         platform::Shell& shell, platform::TimeChanges& changes, ClockView& view, Actions actions);
    ~Tick();
    Tick(const Tick&) = delete;
    Tick& operator=(const Tick&) = delete;

    // Start-up: remembers the current minute and starts ticking once a second.
    void start();
    // One tick, as the timer runs it.
    void run();
    // The wall clock jumped (a wake-up, the clock or the zone set): a new minute gets its tick now.
    void timeChanged();

    bool aligned() const { return !firstTick_; }

private:
    void fullTick();
    void armForNextMinute(const QDateTime& current);
    void catchUpMissedAlarms(qint64 previousMinute, qint64 minute);
    // Returns false when the tick must end here (an alarm with no program to start).
    bool soundAlarm(const Alarm& alarm, qint64 minute);

    platform::SettingsStore& settings_;
    platform::Clock& clock_;
    platform::Pause& pause_;
    platform::Shell& shell_;
    platform::TimeChanges& changes_;
    ClockView& view_;
    Actions actions_;
    std::unique_ptr<platform::Timer> timer_;
    bool firstTick_ = true;
    int lastMinute_ = 0;
    // Minutes counted on the wall clock (the Julian day number times 1440 plus the minute of the day), so
    // that a new time zone moves them as it moves the clock's face.
    qint64 lastTickWallMinute_ = 0;
    // The wall minute each alarm last sounded for, so that a jump back and forth never sounds it twice.
    std::array<std::optional<qint64>, 2> lastSounded_;
};

}  // namespace horalia::core
