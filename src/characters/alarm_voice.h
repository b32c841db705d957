// alarmclock: a character speaks an alarm's message.
#pragma once

#include <QString>

#include "src/characters/cast.h"
#include "src/characters/speaker.h"
#include "src/platform/settings_store.h"

namespace horalia::characters {

// "genie" sounds alarm 1 with character 1, who is pleased about it afterwards; any other who sounds alarm 2
// with character 2.
void alarmclock(const QString& who, const Cast& cast, platform::SettingsStore& settings, Speaker& speaker);

}  // namespace horalia::characters
