// The companion's waiting, on virtual time: it starts the clock once the old one has ended, and gives up
// after 30 seconds.
#include <gtest/gtest.h>

#include "src/platform/virtual_clock.h"
#include "src/restart/restarter.h"

using horalia::restart::Restarter;

TEST(Restarter, StartsTheClockOnceTheOldOneHasEndedOrGivesUpAfterThirtySeconds) {
    const struct {
        qint64 endsAtMs;  // when the old clock ends, from the start; -1 never
        bool startWorks;
        QList<qint64> startsAtMs;
        qint64 finishedAtMs;
        int exitCode;
        const char* message;
    } cases[] = {
        {1250, true, {1300}, 1300, 0, ""},
        {0, false, {0}, 0, 1, "reboot: the clock could not be started again: no such program"},
        {-1, true, {}, 30000, 1, "30 seconds"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.endsAtMs);
        horalia::platform::VirtualClock clock{QDateTime(QDate(2026, 12, 6), QTime(10, 0))};
        const qint64 startMs = clock.nowMs();
        QList<qint64> startsAtMs;
        QList<qint64> finishedAtMs;
        int exitCode = -1;
        QString message;
        Restarter restarter(clock, {[&] { return c.endsAtMs < 0 || clock.nowMs() - startMs < c.endsAtMs; },
                                    [&]() -> agent::Status {
                                        startsAtMs << clock.nowMs() - startMs;
                                        return c.startWorks ? agent::Status()
                                                            : agent::fail("no such program");
                                    },
                                    [&](int code, const QString& text) {
                                        finishedAtMs << clock.nowMs() - startMs;
                                        exitCode = code;
                                        message = text;
                                    }});
        restarter.run();
        EXPECT_TRUE(finishedAtMs.isEmpty());  // nothing before the event loop runs
        clock.advanceBy(60000);
        EXPECT_EQ(startsAtMs, c.startsAtMs);
        EXPECT_EQ(finishedAtMs, QList<qint64>{c.finishedAtMs});
        EXPECT_EQ(exitCode, c.exitCode);
        EXPECT_TRUE(message.contains(QString::fromUtf8(c.message))) << message.toStdString();
        EXPECT_EQ(message.isEmpty(), c.exitCode == 0);
    }
}
