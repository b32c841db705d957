#include "src/core/schedule_rules.h"

#include "src/core/conversions.h"
#include "src/core/settings_keys.h"

namespace horalia::core {

bool announcementDue(int minute, const QString& announceSetting) {
    std::optional<double> interval = toDouble(announceSetting);
    if (!interval || *interval <= 0.0) {
        return false;
    }
    if (*interval == 1.0) {
        return true;
    }
    return numberText(minute / *interval).size() < 3;
}

bool alarmDue(const QString& alarmTime, int hour, int minute) {
    if (alarmTime == keys::kNoAlarm) {
        return false;
    }
    std::optional<qint16> alarmMinute = toInt16(alarmTime.mid(2, 2));
    std::optional<qint16> alarmHour = toInt16(alarmTime.mid(0, 2));
    return alarmMinute && alarmHour && *alarmMinute == minute && *alarmHour == hour;
}

std::optional<int> alarmMinuteOfDay(const QString& alarmTime) {
    // Whatever alarmDue matches, and nothing else: an hour or minute no clock shows never comes round.
    if (alarmTime == keys::kNoAlarm) {
        return std::nullopt;
    }
    std::optional<qint16> alarmMinute = toInt16(alarmTime.mid(2, 2));
    std::optional<qint16> alarmHour = toInt16(alarmTime.mid(0, 2));
    if (!alarmMinute || !alarmHour || *alarmHour < 0 || *alarmHour > 23 || *alarmMinute < 0 ||
        *alarmMinute > 59) {
        return std::nullopt;
    }
    return *alarmHour * 60 + *alarmMinute;
}

}  // namespace horalia::core
