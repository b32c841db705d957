// alarmclock: a character speaks an alarm's message.
#pragma once

#include <QString>

#include "src/characters/cast.h"
#include "src/characters/speaker.h"
#include "src/platform/settings_store.h"

namespace horalia::characters {

// The first character sounds alarm 1 and is pleased about it afterwards; the second sounds alarm 2.
void alarmclock(core::Who who, const Cast& cast, platform::SettingsStore& settings, Speaker& speaker);

}  // namespace horalia::characters
