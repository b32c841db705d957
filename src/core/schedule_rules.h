// When the tick announces the time and when an alarm sounds.
#pragma once

#include <QString>
#include <optional>

namespace horalia::core {

// Whether the periodic announcement is due at this minute for the Announce setting: every minute for 1,
// otherwise when minute / interval written as a number takes fewer than three characters, which for a
// whole-number interval means a multiple of it (so every interval announces on the hour). An interval of 0,
// a negative one or one that is not a number never announces.
bool announcementDue(int minute, const QString& announceSetting);

// Whether an alarm time HHMM (characters 1-2 the hour, 3-4 the minute) is this hour and minute. "9999" and a
// time whose parts are not numbers never match.
bool alarmDue(const QString& alarmTime, int hour, int minute);

// The minute of the day (0-1439) at which an alarm time HHMM sounds; nullopt for one that never sounds.
std::optional<int> alarmMinuteOfDay(const QString& alarmTime);

}  // namespace horalia::core
