// The clock's two daily alarms, each described once: the settings that hold it, the character that speaks its
// message, and its page in the settings dialog. Alarms are numbered from 1, as the user sees them; whatever
// is kept per alarm is indexed by alarm.index().
#pragma once

#include <QString>

#include <algorithm>
#include <array>
#include <cstddef>

#include "src/core/settings_keys.h"
#include "src/core/who.h"

namespace horalia::core {

// Pages of the settings dialog, in the order it shows them.
namespace page {
constexpr int kAlarm1 = 0;
constexpr int kAlarm2 = 1;
constexpr int kCharacters = 2;
constexpr int kColours = 3;
constexpr int kHelp = 4;
constexpr int kTypeAndSpeak = 5;
constexpr int kMisc = 6;
}  // namespace page

struct Alarm {
    int number;  // 1 or 2
    const QString& timeKey;
    const QString& repeatKey;
    const QString& launchKey;
    const QString& messageKey;
    Who speaker;          // says the message when it sounds; the other character confirms a new time
    const char* gesture;  // what the speaker plays after the message, or nullptr
    int settingsPage;

    std::size_t index() const { return std::size_t(number - 1); }
};

inline const std::array<Alarm, 2>& alarms() {
    static const std::array<Alarm, 2> all = {{
        {1, keys::kAlarmTime1, keys::kRepeat1, keys::kLaunch1, keys::kAlarmMessage, Who::First, "pleased",
         page::kAlarm1},
        {2, keys::kAlarmTime2, keys::kRepeat2, keys::kLaunch2, keys::kAlarmMessage2, Who::Second, nullptr,
         page::kAlarm2},
    }};
    return all;
}

// The alarm with this number; numbers past the alarms are taken as the last.
inline const Alarm& alarm(int number) {
    return alarms()[std::size_t(std::clamp(number, 1, int(alarms().size())) - 1)];
}

// The alarm whose message this character speaks (the last, when no other is).
inline const Alarm& alarmSpokenBy(Who who) {
    return *std::find_if(alarms().begin(), alarms().end() - 1,
                         [who](const Alarm& a) { return a.speaker == who; });
}

}  // namespace horalia::core
