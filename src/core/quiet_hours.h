// Quiet hours: the hours in which the characters whisper.
#pragma once

#include <QString>

namespace horalia::core {

// quietTime is four digits FFTT: whispering begins at hour FF and ends at hour TT, running over midnight when
// TT < FF. "0000", equal hours and a part that is missing or not a number (which counts as 0) never whisper
// in the way the rule gives.
bool isQuietHour(const QString& quietTime, int hour);

}  // namespace horalia::core
