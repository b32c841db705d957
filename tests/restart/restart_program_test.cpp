// The restart for real: a clock runs in the console, the companion is started as the clock starts it, the
// clock ends, and a new clock runs in its place with the settings untouched.
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

TEST_F(RestartProgram, TheCompanionStartsANewClockAfterTheOldOneEnded) {
    runConfig({"set", "Data", "UserName", "Ada"});
    runConfig({"set", "Data", "mode", "advanced"});
    const QString settingsFile = home.path() + "/config/HoraliaIIV/settings.ini";
    QFile before(settingsFile);
    ASSERT_TRUE(before.open(QIODevice::ReadOnly));
    const QByteArray settings = before.readAll();
    before.close();

    QProcess oldClock;
    oldClock.setProcessEnvironment(env);
    oldClock.start(HORALIA_BIN, {"--console"});
    ASSERT_TRUE(oldClock.waitForStarted());
    ASSERT_TRUE(waitFor([&] { return lockOwner() == oldClock.processId(); }));

    QProcess companion;
    companion.setProcessEnvironment(env);
    // The new clock inherits the companion's output, which must outlive the companion: files, not pipes.
    companion.setStandardOutputFile(home.path() + "/reboot.out");
    companion.setStandardErrorFile(home.path() + "/reboot.err");
    companion.start(REBOOT_BIN, {"--console"});
    ASSERT_TRUE(companion.waitForStarted());
    // The companion waits while the old clock runs.
    EXPECT_FALSE(companion.waitForFinished(300));

    oldClock.write("menu mnu_exit\n");
    ASSERT_TRUE(oldClock.waitForFinished(10000));
    ASSERT_TRUE(companion.waitForFinished(10000));
    EXPECT_EQ(companion.exitCode(), 0);

    qint64 newPid = 0;
    ASSERT_TRUE(waitFor([&] {
        newPid = lockOwner();
        return newPid > 0;
    }));
    EXPECT_NE(newPid, oldClock.processId());
    QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(newPid));
    ASSERT_TRUE(cmdline.open(QIODevice::ReadOnly));
    const QList<QByteArray> args = cmdline.readAll().split('\0');
    ASSERT_GE(args.size(), 2);
    EXPECT_TRUE(args[0].endsWith("/horalia")) << args[0].toStdString();
    EXPECT_EQ(args[1], "--console");

    QFile after(settingsFile);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), settings);
    EXPECT_EQ(runConfig({"get", "Data", "UserName"}).trimmed(), "Ada");
}
