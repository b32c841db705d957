// For tests that run the real program in processes of their own: a private home (settings, data and runtime
// folders), the environment that points the program at it, and a look at which process holds the clock's
// lock.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "src/platform/instance_lock.h"

namespace testsupport {

class ProgramHome : public ::testing::Test {
protected:
    ProgramHome() {
        const std::pair<const char*, const char*> folders[] = {
            {"XDG_RUNTIME_DIR", "/run"}, {"XDG_CONFIG_HOME", "/config"}, {"XDG_DATA_HOME", "/data"}};
        for (const auto& [variable, folder] : folders) {
            QDir().mkpath(home.path() + folder);
            env.insert(variable, home.path() + folder);
        }
        QFile::setPermissions(home.path() + "/run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
    }
    ~ProgramHome() override {
        // Whatever clock a test or a restart left running goes with the test.
        if (qint64 pid = lockOwner(); pid > 0) {
            ::kill(static_cast<pid_t>(pid), SIGTERM);
        }
    }

    // The process holding the clock's lock, 0 for none.
    qint64 lockOwner() const {
        const QString path = home.path() + "/run/horalia-deluxe.lock";
        qint64 pid = 0;
        QString host, app;
        return horalia::platform::instanceRunning(path) && QLockFile(path).getLockInfo(&pid, &host, &app)
                   ? pid
                   : 0;
    }
    // Real processes take real time: polls until the condition holds or thirty seconds are over.
    template <typename F>
    bool waitFor(F condition) {
        QDeadlineTimer deadline(30000);
        while (!condition()) {
            if (deadline.hasExpired()) {
                return false;
            }
            QThread::msleep(20);
        }
        return true;
    }
    // `program config ARGS` in this home; its output without the line end.
    QByteArray config(const QString& program, const QStringList& args) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(program, QStringList{"config"} + args);
        p.waitForFinished(10000);
        return p.readAllStandardOutput().trimmed();
    }

    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
};

}  // namespace testsupport
