// alarmclock: a character speaks an alarm's message.
#pragma once

#include <QString>

#include "src/characters/cast.h"
#include "src/characters/speaker.h"
#include "src/core/alarms.h"
#include "src/platform/settings_store.h"

namespace horalia::characters {

// The alarm's character stops what it does, says the alarm's message and plays the alarm's gesture after it.
void alarmclock(const core::Alarm& alarm, const Cast& cast, platform::SettingsStore& settings,
                Speaker& speaker);

}  // namespace horalia::characters
