// The restart for real: a console clock runs, the user switches the mode in its settings dialog, the clock
// starts the companion and ends, and a new clock runs in its place with the settings intact. The companion's
// waiting, on virtual time: it starts the clock once the old one has ended, and gives up after 30 seconds.
// The running clock's lock: free once its owner is gone, even when its file is left behind by a killed
// process (a lock held by a live clock is the install test's second copy, which ends at once).
#include <gtest/gtest.h>

#include <QSysInfo>

#include "src/platform/instance_lock.h"
#include "src/platform/virtual_clock.h"
#include "src/restart/restarter.h"
#include "tests/support/program_home.h"

using horalia::platform::InstanceLock;
using horalia::platform::instanceRunning;
using horalia::restart::Restarter;
using RestartProgram = testsupport::ProgramHome;

TEST_F(RestartProgram, SwitchingTheModeRestartsTheClockWithItsSettingsIntact) {
    // A set-up user's clock: without its characters' names the start would be a first run.
    for (const QStringList& set : {QStringList{"LastCharacter", "max"},
                                   {"LastCharacter2", "plany"},
                                   {"UserName", "Ada"},
                                   {"AlarmTime1", "0730"},
                                   {"mode", "advanced"}}) {
        config(HORALIA_BIN, QStringList{"set", "Data"} + set);
    }

    QProcess oldClock;
    oldClock.setProcessEnvironment(env);
    // The companion and the new clock inherit the old clock's output, which must outlive it: files, not
    // pipes.
    oldClock.setStandardOutputFile(home.path() + "/clock.out");
    oldClock.setStandardErrorFile(home.path() + "/clock.err");
    oldClock.start(HORALIA_BIN, {"--console"});
    ASSERT_TRUE(oldClock.waitForStarted());
    ASSERT_TRUE(waitFor([&] { return lockOwner() == oldClock.processId(); }));

    // The user opens the main options and clicks the blinking mode label.
    oldClock.write("menu mnu_settings1\nsettings click lab_mode\n");
    ASSERT_TRUE(oldClock.waitForFinished(10000));
    EXPECT_EQ(oldClock.exitCode(), 0);

    qint64 newPid = 0;
    ASSERT_TRUE(waitFor([&] {
        newPid = lockOwner();
        return newPid > 0 && newPid != oldClock.processId();
    }));
    QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(newPid));
    ASSERT_TRUE(cmdline.open(QIODevice::ReadOnly));
    const QList<QByteArray> args = cmdline.readAll().split('\0');
    ASSERT_GE(args.size(), 2);
    EXPECT_TRUE(args[0].endsWith("/horalia")) << args[0].toStdString();
    EXPECT_EQ(args[1], "--console");

    QFile output(home.path() + "/clock.out");
    ASSERT_TRUE(output.open(QIODevice::ReadOnly));
    const QByteArray lines = output.readAll();
    EXPECT_TRUE(lines.contains("Shell Start \"" + QByteArray(REBOOT_BIN) + "\" \"--console\" 1"))
        << lines.toStdString();
    EXPECT_TRUE(lines.contains("Program End"));
    // The new clock starts up like any other: the same settings, with the new mode.
    EXPECT_EQ(config(HORALIA_BIN, {"get", "Data", "UserName"}), "Ada");
    EXPECT_EQ(config(HORALIA_BIN, {"get", "Data", "AlarmTime1"}), "0730");
    EXPECT_EQ(config(HORALIA_BIN, {"get", "Data", "mode"}), "simple");
}

TEST(Restarter, StartsTheClockOnceTheOldOneHasEndedOrGivesUpAfterThirtySeconds) {
    // When the old clock ends, from the start (-1 never); whether starting the clock works; then "start MS"
    // and "end MS CODE MESSAGE", as the restarter does them.
    const std::tuple<qint64, bool, QStringList> cases[] = {
        {1250, true, {"start 1300", "end 1300 0 "}},
        {0, false, {"start 0", "end 0 1 reboot: the clock could not be started again: no such program"}},
        {-1, true, {"end 30000 1 reboot: the clock did not end within 30 seconds; it is not started again"}},
    };
    for (const auto& [endsAtMs, startWorks, expected] : cases) {
        SCOPED_TRACE(endsAtMs);
        horalia::platform::VirtualClock clock{QDateTime(QDate(2026, 12, 6), QTime(10, 0))};
        const qint64 startMs = clock.nowMs();
        const auto ms = [&] { return clock.nowMs() - startMs; };
        QStringList seen;
        Restarter restarter(clock, {[&] { return endsAtMs < 0 || ms() < endsAtMs; },
                                    [&] {
                                        seen << QStringLiteral("start %1").arg(ms());
                                        return startWorks ? agent::Status() : agent::fail("no such program");
                                    },
                                    [&](int code, const QString& text) {
                                        seen << QStringLiteral("end %1 %2 %3").arg(ms()).arg(code).arg(text);
                                    }});
        restarter.run();
        EXPECT_TRUE(seen.isEmpty());  // nothing before the event loop runs
        clock.advanceBy(60000);
        EXPECT_EQ(seen, expected);
    }
}

TEST(InstanceLock, ALockLeftByAProcessThatNoLongerRunsIsFreeAndThenHeld) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/horalia-deluxe.lock";
    EXPECT_FALSE(instanceRunning(path));
    // QLockFile's own format: pid, application name, host name; pids stop well below this one.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("4194000\nhoralia\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    file.close();
    EXPECT_FALSE(instanceRunning(path));
    {
        // In this order (a braced list is evaluated left to right): free, taken, held, taken again while held
        // already, seen running, and refused to a second lock.
        InstanceLock lock(path);
        EXPECT_EQ((QList<bool>{lock.held(), lock.tryLock(), lock.held(), lock.tryLock(),
                               instanceRunning(path), InstanceLock(path).tryLock()}),
                  (QList<bool>{false, true, true, true, true, false}));
    }
    EXPECT_FALSE(QFile::exists(path));
}
