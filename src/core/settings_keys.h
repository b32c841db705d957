// The names of the settings sections and keys, and the defaults that more than one reader shares.
#pragma once

#include <QString>

namespace horalia::core::keys {

// Every key lives in "Data" except the time format, which has always been read and written under "data";
// the store finds sections without regard to case, so both name the same section.
inline const QString kData = QStringLiteral("Data");
inline const QString kFormatSection = QStringLiteral("data");

inline const QString kMinimise = QStringLiteral("minimise");
inline const QString kFormat = QStringLiteral("format");
inline const QString kAnnounce = QStringLiteral("Announce");
inline const QString kAlarmTime1 = QStringLiteral("AlarmTime1");
inline const QString kAlarmTime2 = QStringLiteral("AlarmTime2");
inline const QString kRepeat1 = QStringLiteral("Repeat1");
inline const QString kRepeat2 = QStringLiteral("Repeat2");
inline const QString kLaunch1 = QStringLiteral("Launch1");
inline const QString kLaunch2 = QStringLiteral("Launch2");
inline const QString kAlarmMessage = QStringLiteral("AlarmMessage");
inline const QString kAlarmMessage2 = QStringLiteral("AlarmMessage2");
inline const QString kFormX = QStringLiteral("FormX");
inline const QString kFormY = QStringLiteral("FormY");
inline const QString kUserName = QStringLiteral("UserName");
inline const QString kMode = QStringLiteral("mode");
inline const QString kForeColour = QStringLiteral("ForeColour");
inline const QString kBackColour = QStringLiteral("BackColour");
inline const QString kQuietTime = QStringLiteral("QuietTime");
inline const QString kCharHide = QStringLiteral("charhide");
inline const QString kCharHide2 = QStringLiteral("charhide2");
inline const QString kLastCharacter = QStringLiteral("LastCharacter");
inline const QString kLastCharacter2 = QStringLiteral("LastCharacter2");
inline const QString kEffects1 = QStringLiteral("effects1");
inline const QString kEffects2 = QStringLiteral("effects2");
inline const QString kStartupMessage = QStringLiteral("StartupMessage");
inline const QString kLoadWithWindows = QStringLiteral("LoadWithWindows");
inline const QString kCalendarStart = QStringLiteral("CalendarStart");
inline const QString kCountdownStart = QStringLiteral("CountdownStart");
// How many minutes after an alarm's time a computer that slept through it (or a clock set past it) still
// sounds it; 0 never does.
inline const QString kMissedAlarmWindow = QStringLiteral("MissedAlarmWindow");
inline const QString kDefaultMissedAlarmWindow = QStringLiteral("60");

inline const QString kTrue = QStringLiteral("True");
inline const QString kFalse = QStringLiteral("False");
// An alarm time that means "no alarm set".
inline const QString kNoAlarm = QStringLiteral("9999");
inline const QString kNoQuietHours = QStringLiteral("0000");
inline const QString kDefaultAlarmMessage =
    QStringLiteral("This is the alarm, you have not altered the alarm yet, please do it now!");

}  // namespace horalia::core::keys
