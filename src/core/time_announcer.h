// saytime: the spoken announcement of the time, the two characters taking turns.
#pragma once

#include <QString>
#include <functional>

#include "src/core/clock_view.h"
#include "src/core/who.h"
#include "src/platform/clock.h"
#include "src/platform/pause.h"
#include "src/platform/settings_store.h"

namespace horalia::core {

class TimeAnnouncer {
public:
    using SayFunction = std::function<void(const QString& talk, Who who)>;

    TimeAnnouncer(platform::SettingsStore& settings, platform::Clock& clock, platform::Pause& pause,
                  ClockView& view, SayFunction say);

    // Speaks the current time. While the user keeps the clock hidden, the clock shows itself for the
    // announcement and hides again 4 seconds after it.
    void saytime();

    // Start-up sets the last speaker to character 1, so the first announcement is character 2's.
    void reset() { lastSpeaker_ = Who::First; }

private:
    platform::SettingsStore& settings_;
    platform::Clock& clock_;
    platform::Pause& pause_;
    ClockView& view_;
    SayFunction say_;
    Who lastSpeaker_ = Who::First;
};

}  // namespace horalia::core
