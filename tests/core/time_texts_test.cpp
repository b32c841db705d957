// The display texts and the spoken sentence, over every minute of a day.
#include <gtest/gtest.h>

#include "tests/support/qt_printers.h"

#include <QList>
#include <QRegularExpression>

#include "src/core/quiet_hours.h"
#include "src/core/time_texts.h"

using namespace horalia::core;

TEST(TimeTexts, WorkedExamples) {
    struct Case {
        int h, m;
        const char* display12;
        const char* display24;
        const char* spoken;
    };
    const Case cases[] = {
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
    for (const Case& c : cases) {
        QTime t(c.h, c.m);
        EXPECT_EQ(displayText12(t), c.display12);
        EXPECT_EQ(displayText24(t), c.display24);
        EXPECT_EQ(spokenTime(t), c.spoken);
    }
}

// Reads each text back into a time and checks it names the minute it was made from.
TEST(TimeTexts, EveryMinuteOfTheDayReadsBackToItself) {
    static const QRegularExpression twelve("^(1[0-2]|[1-9]):([0-5]\\d)(am|pm)$");
    static const QRegularExpression pastForm("^The time is (\\d+) minutes? past (\\d+)$");
    static const QRegularExpression halfForm("^The time is half past (\\d+)$");
    static const QRegularExpression hourForm("^The time is (\\d+) O clock $");
    static const QRegularExpression commaForm("^the time is (\\d+),(\\d+)$");
    for (int minuteOfDay = 0; minuteOfDay < 1440; ++minuteOfDay) {
        const QTime t(minuteOfDay / 60, minuteOfDay % 60);
        const int dial = t.hour() > 12 ? t.hour() - 12 : t.hour();
        SCOPED_TRACE(t.toString().toStdString());

        EXPECT_EQ(displayText24(t), t.toString("hh:mm"));

        QRegularExpressionMatch m = twelve.match(displayText12(t));
        ASSERT_TRUE(m.hasMatch()) << displayText12(t).toStdString();
        const int shownHour = m.captured(1).toInt() % 12 + (m.captured(3) == "pm" ? 12 : 0);
        EXPECT_EQ(shownHour, t.hour());
        EXPECT_EQ(m.captured(2).toInt(), t.minute());

        const QString spoken = spokenTime(t);
        int spokenHour = -1;
        int spokenMinute = -1;
        if (auto p = pastForm.match(spoken); p.hasMatch()) {
            spokenMinute = p.captured(1).toInt();
            spokenHour = p.captured(2).toInt();
            EXPECT_EQ(spoken.contains("minutes"), spokenMinute != 1);
        } else if (auto h = halfForm.match(spoken); h.hasMatch()) {
            spokenMinute = 30;
            spokenHour = h.captured(1).toInt();
        } else if (auto o = hourForm.match(spoken); o.hasMatch()) {
            spokenMinute = 0;
            spokenHour = o.captured(1).toInt();
        } else if (auto c = commaForm.match(spoken); c.hasMatch()) {
            spokenHour = c.captured(1).toInt();
            spokenMinute = c.captured(2).toInt();
            EXPECT_GE(spokenMinute, 31);
        } else if (spoken == "the time is mindnight") {
            spokenHour = 0;
            spokenMinute = 0;
        }
        EXPECT_EQ(spokenHour, dial) << spoken.toStdString();
        EXPECT_EQ(spokenMinute, t.minute()) << spoken.toStdString();
        EXPECT_FALSE(spoken.contains(" to ")) << spoken.toStdString();
    }
}

TEST(QuietHours, OverMidnightWithinTheDayAndNever) {
    auto quietHours = [](const QString& setting) {
        QList<int> hours;
        for (int h = 0; h < 24; ++h) {
            if (isQuietHour(setting, h)) {
                hours << h;
            }
        }
        return hours;
    };
    EXPECT_EQ(quietHours("2207"), (QList<int>{0, 1, 2, 3, 4, 5, 6, 22, 23}));
    EXPECT_EQ(quietHours("0105"), (QList<int>{1, 2, 3, 4}));
    EXPECT_EQ(quietHours("0000"), QList<int>{});
    EXPECT_EQ(quietHours("0808"), QList<int>{});
    // A missing or garbled part counts as hour 0.
    EXPECT_EQ(quietHours("22"), (QList<int>{22, 23}));
    EXPECT_EQ(quietHours("xx03"), (QList<int>{0, 1, 2}));
    EXPECT_EQ(quietHours(""), QList<int>{});
    EXPECT_EQ(quietHours("garbage"), QList<int>{});
    EXPECT_EQ(quietHours(QString(10240, QChar('9'))), QList<int>{});
}
