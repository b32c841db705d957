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

TEST(Announcements, WholeIntervalsAnnounceOnTheirMultiples) {
    EXPECT_EQ(announcedMinutes("1").size(), 60);
    EXPECT_EQ(announcedMinutes("7"), (QList<int>{0, 7, 14, 21, 28, 35, 42, 49, 56}));
    EXPECT_EQ(announcedMinutes("15"), (QList<int>{0, 15, 30, 45}));
    EXPECT_EQ(announcedMinutes("45"), (QList<int>{0, 45}));
    EXPECT_EQ(announcedMinutes("60"), QList<int>{0});
    EXPECT_EQ(announcedMinutes("61"), QList<int>{0});
    EXPECT_EQ(announcedMinutes(" 20 "), (QList<int>{0, 20, 40}));
    EXPECT_EQ(announcedMinutes("1.0"), announcedMinutes("1"));
}

TEST(Announcements, OddIntervalsFollowTheQuotientText) {
    // 7.5 gives whole quotients at 0, 15, 30 and 45; 2.5 at every fifth minute up to 45 (quotient 18), then
    // still two digits; 0.5 doubles the minute, which has two digits until 50.
    EXPECT_EQ(announcedMinutes("7.5"), (QList<int>{0, 15, 30, 45}));
    EXPECT_EQ(announcedMinutes("2.5"), (QList<int>{0, 5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55}));
    EXPECT_EQ(announcedMinutes("0.5"), announcedMinutes("1").mid(0, 50));
    EXPECT_EQ(announcedMinutes("1e3"), QList<int>{0});
}

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
