// The companion's waiting, on virtual time: it starts the clock once the old one has ended, and gives up
// after 30 seconds.
#include <gtest/gtest.h>

#include "src/platform/virtual_clock.h"
#include "src/restart/restarter.h"

using horalia::restart::Restarter;

namespace {

struct Waiting {
    horalia::platform::VirtualClock clock{QDateTime(QDate(2026, 12, 6), QTime(10, 0))};
    qint64 endsAtMs = -1;  // when the old clock ends, from the start; -1 never
    bool startWorks = true;
    QList<qint64> startsAtMs;
    int exitCode = -1;
    QString message;
    int finishedCount = 0;
    qint64 startMs = clock.nowMs();

    Restarter make() {
        return Restarter(clock, {[this] { return endsAtMs < 0 || clock.nowMs() - startMs < endsAtMs; },
                                 [this]() -> agent::Status {
                                     startsAtMs << clock.nowMs() - startMs;
                                     if (!startWorks) {
                                         return agent::fail("no such program");
                                     }
                                     return {};
                                 },
                                 [this](int code, const QString& text) {
                                     exitCode = code;
                                     message = text;
                                     ++finishedCount;
                                 }});
    }
};

}  // namespace

TEST(Restarter, StartsTheClockOnceTheOldOneHasEnded) {
    Waiting run;
    run.endsAtMs = 1250;
    Restarter restarter = run.make();
    restarter.run();
    EXPECT_EQ(run.finishedCount, 0);  // nothing before the event loop runs
    run.clock.advanceBy(60000);
    EXPECT_EQ(run.startsAtMs, QList<qint64>{1300});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.finishedCount, 1);
}

TEST(Restarter, GivesUpAfterThirtySecondsWithAMessage) {
    Waiting run;
    Restarter restarter = run.make();
    restarter.run();
    run.clock.advanceBy(29900);
    EXPECT_EQ(run.finishedCount, 0);
    run.clock.advanceBy(100);
    EXPECT_EQ(run.finishedCount, 1);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.message.contains("30 seconds")) << run.message.toStdString();
    EXPECT_TRUE(run.startsAtMs.isEmpty());
    run.clock.advanceBy(60000);
    EXPECT_EQ(run.finishedCount, 1);
}

TEST(Restarter, WithNoClockRunningStartsAtOnceAndReportsAClockThatCannotBeStarted) {
    for (bool startWorks : {true, false}) {
        SCOPED_TRACE(startWorks);
        Waiting run;
        run.endsAtMs = 0;
        run.startWorks = startWorks;
        Restarter restarter = run.make();
        restarter.run();
        run.clock.advanceBy(1000);
        EXPECT_EQ(run.startsAtMs, QList<qint64>{0});
        EXPECT_EQ(run.exitCode, startWorks ? 0 : 1);
        EXPECT_EQ(run.message.endsWith("could not be started again: no such program"), !startWorks)
            << run.message.toStdString();
    }
}
