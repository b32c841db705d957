// The restart for real: a console clock runs, the user switches the mode in its settings dialog, the clock
// starts the companion and ends, and a new clock runs in its place with the settings intact.

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>

#include "src/platform/instance_lock.h"

namespace {

class RestartProgram : public ::testing::Test {
protected:
    RestartProgram() {
        QDir().mkpath(home.path() + "/run");
        QFile::setPermissions(home.path() + "/run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", home.path() + "/config");
        env.insert("XDG_DATA_HOME", home.path() + "/data");
        env.insert("XDG_RUNTIME_DIR", home.path() + "/run");
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
    }
    ~RestartProgram() override {
        // Whatever clock the companion started goes with the test.
        if (qint64 pid = lockOwner(); pid > 0) {
            ::kill(static_cast<pid_t>(pid), SIGTERM);
        }
    }
    QString lockPath() const { return home.path() + "/run/horalia-deluxe.lock"; }
    // The process holding the clock's lock, 0 for none.
    qint64 lockOwner() const {
        if (!horalia::platform::instanceRunning(lockPath())) {
            return 0;
        }
        QLockFile probe(lockPath());
        qint64 pid = 0;
        QString host;
        QString app;
        return probe.getLockInfo(&pid, &host, &app) ? pid : 0;
    }
    // Real processes take real time: polls until the condition holds or ten seconds are over.
    template <typename F>
    bool waitFor(F condition) {
        QDeadlineTimer deadline(10000);
        while (!condition()) {
            if (deadline.hasExpired()) {
                return false;
            }
            QThread::msleep(20);
        }
        return true;
    }
    QByteArray runConfig(const QStringList& args) {
        QProcess config;
        config.setProcessEnvironment(env);
        config.start(HORALIA_BIN, QStringList{"config"} + args);
        config.waitForFinished(10000);
        return config.readAllStandardOutput();
    }

    QTemporaryDir home;
    QProcessEnvironment env;
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
