// The running clock's lock: free once its owner is gone, even when its file is left behind by a killed
// process (a lock held by a live clock is the install test's second copy, which ends at once).
#include <gtest/gtest.h>

#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>

#include "src/platform/instance_lock.h"

using horalia::platform::InstanceLock;
using horalia::platform::instanceRunning;

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
        InstanceLock lock(path);
        EXPECT_FALSE(lock.held());
        EXPECT_TRUE(lock.tryLock());
        EXPECT_TRUE(lock.held());
        EXPECT_TRUE(lock.tryLock()) << "held already";
        EXPECT_TRUE(instanceRunning(path));
        EXPECT_FALSE(InstanceLock(path).tryLock());
    }
    EXPECT_FALSE(QFile::exists(path));
}
