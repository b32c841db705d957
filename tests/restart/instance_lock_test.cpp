// The running clock's lock: held while its owner lives, free once the owner is gone, even when its file is
// left behind by a killed process.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>

#include "src/platform/instance_lock.h"

using horalia::platform::InstanceLock;
using horalia::platform::instanceRunning;

TEST(InstanceLock, HeldWhileItsOwnerLivesAndFreeAfterwards) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/horalia-deluxe.lock";
    EXPECT_FALSE(instanceRunning(path));
    {
        InstanceLock lock(path);
        EXPECT_TRUE(lock.tryLock());
        EXPECT_TRUE(lock.held());
        EXPECT_TRUE(instanceRunning(path));
        InstanceLock second(path);
        EXPECT_FALSE(second.tryLock());
    }
    EXPECT_FALSE(instanceRunning(path));
    EXPECT_FALSE(QFile::exists(path));
}

TEST(InstanceLock, ALockLeftByAProcessThatNoLongerRunsIsFree) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/horalia-deluxe.lock";
    QProcess gone;
    gone.start("sh", {"-c", "echo $$"});
    ASSERT_TRUE(gone.waitForFinished());
    const QByteArray deadPid = gone.readAllStandardOutput().trimmed();
    ASSERT_FALSE(deadPid.isEmpty());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    // QLockFile's own format: pid, application name, host name.
    file.write(deadPid + "\nhoralia\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    file.close();
    EXPECT_FALSE(instanceRunning(path));
    InstanceLock lock(path);
    EXPECT_TRUE(lock.tryLock());
}
