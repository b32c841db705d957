// The restart for real: a console clock runs, the user switches the mode in its settings dialog, the clock
// starts the companion and ends, and a new clock runs in its place with the settings intact.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

#include "tests/support/program_home.h"

namespace {

class RestartProgram : public testsupport::ProgramHome {
protected:
    QByteArray runConfig(const QStringList& args) { return config(HORALIA_BIN, args); }
};

}  // namespace

TEST_F(RestartProgram, SwitchingTheModeRestartsTheClockWithItsSettingsIntact) {
    // A set-up user's clock: without its characters' names the start would be a first run.
    runConfig({"set", "Data", "LastCharacter", "max"});
    runConfig({"set", "Data", "LastCharacter2", "plany"});
    runConfig({"set", "Data", "UserName", "Ada"});
    runConfig({"set", "Data", "AlarmTime1", "0730"});
    runConfig({"set", "Data", "mode", "advanced"});

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
    EXPECT_EQ(runConfig({"get", "Data", "UserName"}).trimmed(), "Ada");
    EXPECT_EQ(runConfig({"get", "Data", "AlarmTime1"}).trimmed(), "0730");
    EXPECT_EQ(runConfig({"get", "Data", "mode"}).trimmed(), "simple");
}
