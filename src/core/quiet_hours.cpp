#include "src/core/quiet_hours.h"

#include "src/core/conversions.h"
#include "src/core/settings_keys.h"

namespace horalia::core {

bool isQuietHour(const QString& quietTime, int hour) {
    if (quietTime == keys::kNoQuietHours) {
        return false;
    }
    const int start = toInt16(quietTime.mid(0, 2)).value_or(0);
    const int end = toInt16(quietTime.mid(2, 2)).value_or(0);
    if (end < start) {
        return hour >= start || hour < end;
    }
    if (end > start) {
        return hour >= start && hour < end;
    }
    return false;
}

}  // namespace horalia::core
