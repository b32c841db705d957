// The two forms of the time: the clock's display text and the sentence a character speaks.
#pragma once

#include <QString>
#include <QTime>

namespace horalia::core {

// "07:05", "19:30", "00:00".
QString displayText24(const QTime& time);
// "12:07am", "7:05am", "12:00pm", "1:45pm".
QString displayText12(const QTime& time);
// The text for the format setting: "0" is the 24-hour display, anything else the 12-hour one.
QString displayText(const QTime& time, const QString& formatSetting);
bool is24HourFormat(const QString& formatSetting);

// The announcement: the hour on a 12-hour dial (0 in the hour after midnight), no am or pm.
QString spokenTime(const QTime& time);

}  // namespace horalia::core
