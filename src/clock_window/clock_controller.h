// The clock's public operations and shared members, without the window itself: the desktop window and the
// console mode both drive the clock through this. Each operation hands over to the folder that owns it.
#pragma once

#include <QString>
#include <memory>

#include "src/characters/cast.h"
#include "src/characters/speaker.h"
#include "src/core/clock_view.h"
#include "src/core/tick.h"
#include "src/core/time_announcer.h"
#include "src/platform/platform.h"

namespace horalia::clock_window {

class ClockController {
public:
    ClockController(platform::Platform& platform, core::ClockView& view);
    ~ClockController();

    // The start-up of the clock: counters, last speaker and minute, the time label, and the tick.
    void load();

    // Public operations of the clock.
    void say(const QString& talk, const QString& who);
    void saytime();
    void alarmclock(const QString& who);

    // Loads the two stored characters (LastCharacter, LastCharacter2) into Agent1 and Agent2.
    void loadCharacters();

    characters::Cast& cast() { return cast_; }
    characters::Speaker& speaker() { return speaker_; }
    core::Tick& tick() { return tick_; }
    core::TimeAnnouncer& announcer() { return announcer_; }

private:
    platform::Platform& platform_;
    core::ClockView& view_;
    std::unique_ptr<agent::Control> agent1_;
    std::unique_ptr<agent::Control> agent2_;
    characters::Cast cast_;
    characters::Speaker speaker_;
    core::TimeAnnouncer announcer_;
    core::Tick tick_;
};

}  // namespace horalia::clock_window
