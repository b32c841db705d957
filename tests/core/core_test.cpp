// The rules of the clock's core: the display texts and the spoken sentence over every minute of a day, quiet
// hours, settings text to numbers (every reader of a garbage setting must fail the same way), which minutes
// announce the time and when an alarm is due, and where the clock starts: where it was left on any monitor,
// else on the nearest monitor.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include "src/core/clock_layout.h"
#include "src/core/conversions.h"
#include "src/core/quiet_hours.h"
#include "src/core/schedule_rules.h"
#include "src/core/time_texts.h"
#include "tests/support/fakes.h"

using namespace horalia::core;
using horalia::platform::Monitor;

TEST(TimeTexts, WorkedExamples) {
    const std::tuple<int, int, QString, QString, QString> cases[] = {
        {0, 0, "12:00am", "00:00", "the time is mindnight"},
        {0, 7, "12:07am", "00:07", "The time is 7 minutes past 0"},
        {3, 0, "3:00am", "03:00", "The time is 3 O clock "},
        {7, 5, "7:05am", "07:05", "The time is 5 minutes past 7"},
        {12, 0, "12:00pm", "12:00", "The time is 12 O clock "},
        {12, 59, "12:59pm", "12:59", "the time is 12,59"},
        {13, 1, "1:01pm", "13:01", "The time is 1 minute past 1"},
        {13, 45, "1:45pm", "13:45", "the time is 1,45"},
        {14, 30, "2:30pm", "14:30", "The time is half past 2"},
        {23, 59, "11:59pm", "23:59", "the time is 11,59"},
    };
    for (const auto& [h, m, display12, display24, spoken] : cases) {
        const QTime t(h, m);
        EXPECT_EQ((QStringList{displayText12(t), displayText24(t), spokenTime(t)}),
                  (QStringList{display12, display24, spoken}));
    }
}

// Reads each text back into a time and checks it names the minute it was made from.
TEST(TimeTexts, EveryMinuteOfTheDayReadsBackToItself) {
    // Each spoken form read back as "hour:minute": "minute" is said for one minute only, and the comma form
    // is for the minutes after the half hour.
    const std::pair<QRegularExpression, QString> forms[] = {
        {QRegularExpression("^The time is 1 minute past (\\d+)$"), "\\1:1"},
        {QRegularExpression("^The time is ([02-9]|\\d\\d) minutes past (\\d+)$"), "\\2:\\1"},
        {QRegularExpression("^The time is half past (\\d+)$"), "\\1:30"},
        {QRegularExpression("^The time is (\\d+) O clock $"), "\\1:0"},
        {QRegularExpression("^the time is (\\d+),(3[1-9]|[45]\\d)$"), "\\1:\\2"},
        {QRegularExpression("^the time is mindnight$"), "0:0"},
    };
    for (int minuteOfDay = 0; minuteOfDay < 1440; ++minuteOfDay) {
        const QTime t(minuteOfDay / 60, minuteOfDay % 60);
        SCOPED_TRACE(t.toString().toStdString());
        EXPECT_EQ(displayText24(t), t.toString("hh:mm"));
        EXPECT_EQ(displayText12(t), t.toString("h:mmap"));
        QString spoken = spokenTime(t);
        for (const auto& [form, time] : forms) {
            spoken.replace(form, time);
        }
        EXPECT_EQ(spoken, QString("%1:%2").arg(t.hour() > 12 ? t.hour() - 12 : t.hour()).arg(t.minute()));
    }
}

// A conversion's result as text, "none" when it fails.
template <typename T>
static QString shown(const std::optional<T>& value) {
    return value ? QString::number(static_cast<double>(*value), 'g', 17) : QStringLiteral("none");
}

TEST(SettingsText, QuietHoursOverMidnightWithinTheDayAndNeverAndIntegersRoundHalfToEven) {
    // A missing or garbled part counts as hour 0.
    const QStringList settings{
        "2207", "0105", "0000", "0808", "22", "xx03", "", "garbage", QString(10240, '9')};
    QList<QList<int>> quiet;
    for (const QString& setting : settings) {
        quiet.emplaceBack();
        for (int h = 0; h < 24; ++h) {
            if (isQuietHour(setting, h)) {
                quiet.last() << h;
            }
        }
    }
    EXPECT_EQ(quiet,
              (QList<QList<int>>{
                  {0, 1, 2, 3, 4, 5, 6, 22, 23}, {1, 2, 3, 4}, {}, {}, {22, 23}, {0, 1, 2}, {}, {}, {}}));

    QStringList results;
    for (const char* text : {"07", "2.5", "3.5", "-0.5", "32767", "32768", "-32768", "99999999999"}) {
        results << shown(toInt16(text));
    }
    for (const char* text : {"16777215", "2147483647", "2147483648", "ten"}) {
        results << shown(toInt32(text));
    }
    EXPECT_EQ(results, (QStringList{"7", "2", "4", "0", "32767", "none", "-32768", "none",  // 16 bits
                                    "16777215", "2147483647", "none", "none"}));
}

TEST(ScheduleRules, ZeroNegativeAndGarbageNeverAnnounceAndAlarmsAreDueOnlyAtTheirOwnHourAndMinute) {
    for (const char* setting :
         {"0", "0.0", "-5", "-15", "", "abc", "15 minutes", "７", "99999999999999999999x"}) {
        for (int m = 0; m < 60; ++m) {
            EXPECT_FALSE(announcementDue(m, QString::fromUtf8(setting))) << setting << " " << m;
        }
    }

    EXPECT_EQ((QList<bool>{alarmDue("0730", 7, 30), alarmDue("0730", 19, 30), alarmDue("0730", 7, 31),
                           alarmDue("0000", 0, 0), alarmDue("2359", 23, 59), alarmDue("9999", 99, 99)}),
              (QList<bool>{true, false, false, true, true, false}));
    for (const char* garbage : {"", "7", "730", "07:30", "ab30", "07ab", "-5"}) {
        for (int h = 0; h < 24; ++h) {
            for (int m = 0; m < 60; ++m) {
                ASSERT_FALSE(alarmDue(garbage, h, m)) << garbage << " " << h << ":" << m;
            }
        }
    }
}

TEST(StartPosition, KeptOnAnyMonitorElseBroughtOntoTheNearest) {
    const Monitor left{{0, 0, 800, 600}, {0, 0, 800, 600}};
    const Monitor right{{800, 0, 800, 600}, {800, 0, 800, 600}};
    const Monitor lowRight{{800, 0, 800, 300}, {800, 0, 800, 300}};
    const Monitor beforeLeft{{-800, 0, 800, 600}, {-800, 0, 800, 600}};
    // What, the monitors, the settings FormX and FormY, and where the clock starts (twips).
    const std::tuple<const char*, QList<Monitor>, QString, QString, double, double> cases[] = {
        {"on the second monitor", {left, right}, "15000", "4500", 15000, 4500},
        {"its monitor gone: the left edge", {left}, "15000", "4500", 0, 4500},
        {"at the right edge exactly", {left}, "12000", "9000", 12000, 9000},
        {"below the lower monitor: its top", {left, lowRight}, "15000", "6000", 15000, 0},
        {"right of both: the nearest's left edge", {left, right}, "30000", "100", 12000, 100},
        {"on a monitor left of the primary", {left, beforeLeft}, "-6000", "300", -6000, 300},
        {"wholly off the left edge", {left}, "-1700", "300", 0, 300},
    };
    for (const auto& [what, monitors, x, y, left, top] : cases) {
        SCOPED_TRACE(what);
        testsupport::MemorySettings settings;
        settings.set("FormX", x);
        settings.set("FormY", y);
        const GeometryTwips g = startPosition(settings, horalia::platform::FixedScreenMetrics(monitors, 15));
        EXPECT_EQ(std::pair(g.left, g.top), std::pair(left, top));
    }
}
