// Which minutes announce the time, and when an alarm is due.
#include <gtest/gtest.h>

#include "tests/support/qt_printers.h"

#include <QList>

#include "src/core/schedule_rules.h"

using namespace horalia::core;

namespace {

QList<int> announcedMinutes(const QString& setting) {
    QList<int> minutes;
    for (int m = 0; m < 60; ++m) {
        if (announcementDue(m, setting)) {
            minutes << m;
        }
    }
    return minutes;
}

}  // namespace

TEST(Announcements, ZeroNegativeAndGarbageNeverAnnounce) {
    for (const char* setting :
         {"0", "0.0", "-5", "-15", "", "abc", "15 minutes", "７", "99999999999999999999x"}) {
        EXPECT_EQ(announcedMinutes(QString::fromUtf8(setting)), QList<int>{}) << setting;
    }
}

TEST(Alarms, DueOnlyAtTheirOwnHourAndMinute) {
    EXPECT_TRUE(alarmDue("0730", 7, 30));
    EXPECT_FALSE(alarmDue("0730", 19, 30));
    EXPECT_FALSE(alarmDue("0730", 7, 31));
    EXPECT_TRUE(alarmDue("0000", 0, 0));
    EXPECT_TRUE(alarmDue("2359", 23, 59));
    EXPECT_FALSE(alarmDue("9999", 99, 99));
    for (const char* garbage : {"", "7", "730", "07:30", "ab30", "07ab", "-5"}) {
        for (int h = 0; h < 24; ++h) {
            for (int m = 0; m < 60; ++m) {
                ASSERT_FALSE(alarmDue(garbage, h, m)) << garbage << " " << h << ":" << m;
            }
        }
    }
}
