#include "src/core/time_texts.h"

namespace horalia::core {

namespace {

QString twoDigits(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

}  // namespace

QString displayText24(const QTime& time) {
    return twoDigits(time.hour()) + u':' + twoDigits(time.minute());
}

QString displayText12(const QTime& time) {
    int hour = time.hour();
    bool am = hour < 12;
    int dial = hour > 12 ? hour - 12 : hour;
    if (am && dial == 0) {
        dial = 12;
    }
    return QString::number(dial) + u':' + twoDigits(time.minute()) +
           (am ? QStringLiteral("am") : QStringLiteral("pm"));
}

bool is24HourFormat(const QString& formatSetting) {
    return formatSetting == u"0";
}

QString displayText(const QTime& time, const QString& formatSetting) {
    return is24HourFormat(formatSetting) ? displayText24(time) : displayText12(time);
}

QString spokenTime(const QTime& time) {
    const int minute = time.minute();
    int hour = time.hour();
    if (hour > 12) {
        hour -= 12;
    }
    const QString h = QString::number(hour);
    const QString m = QString::number(minute);
    if (minute == 0 && hour == 0) {
        return QStringLiteral("the time is mindnight");
    }
    if (minute == 0) {
        return QStringLiteral("The time is ") + h + QStringLiteral(" O clock ");
    }
    if (minute == 30) {
        return QStringLiteral("The time is half past ") + h;
    }
    if (minute >= 2 && minute <= 29) {
        return QStringLiteral("The time is ") + m + QStringLiteral(" minutes past ") + h;
    }
    if (minute == 1) {
        return QStringLiteral("The time is 1 minute past ") + h;
    }
    return QStringLiteral("the time is ") + h + u',' + m;
}

}  // namespace horalia::core
