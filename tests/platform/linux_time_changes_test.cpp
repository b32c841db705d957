// The desktop's word on time changes from real sources: logind's PrepareForSleep signal, played by a second
// connection that owns org.freedesktop.login1 on the test's own session bus (run inside dbus-run-session),
// and a zone file in a folder of the test's own. Setting the real clock is left out: it would move every
// process's clock on the machine.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QFileSystemWatcher>
#include <QSaveFile>
#include <QTemporaryDir>
#include <functional>

#include "src/platform/linux_time_changes.h"

using horalia::platform::LinuxTimeChanges;
using horalia::platform::TimeChange;

namespace {

// Runs the event loop until the condition holds or 10 s have gone by; the sources are other processes and the
// kernel, so the answer takes what it takes.
bool processEventsUntil(const std::function<bool()>& condition) {
    QDeadlineTimer deadline(10000);
    while (!condition()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

// A file is written as timedatectl replaces the zone file: a new file renamed over the old one.
bool writeFile(const QString& path, const QByteArray& content) {
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.commit();
}

}  // namespace

TEST(LinuxTimeChanges, AWakeFromLogindIsReportedAndGoingToSleepIsNot) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        GTEST_SKIP() << "no session bus: run inside dbus-run-session";
    }
    QDBusConnection logind =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("logind"));
    ASSERT_TRUE(logind.registerService(QStringLiteral("org.freedesktop.login1")));
    QTemporaryDir dir;
    LinuxTimeChanges changes(bus, dir.filePath(QStringLiteral("localtime")));
    changes.start();
    ASSERT_TRUE(changes.watchesSleep());
    QList<TimeChange> seen;
    changes.setHandler([&](TimeChange change) { seen << change; });

    for (bool sleeping : {true, false}) {
        QDBusMessage signal = QDBusMessage::createSignal("/org/freedesktop/login1",
                                                         "org.freedesktop.login1.Manager", "PrepareForSleep");
        signal << sleeping;
        ASSERT_TRUE(logind.send(signal));
    }
    // The bus keeps one sender's signals in order: the wake-up arrives after the going to sleep.
    ASSERT_TRUE(processEventsUntil([&] { return !seen.isEmpty(); }));
    EXPECT_EQ(seen, QList<TimeChange>{TimeChange::Woke});
    QDBusConnection::disconnectFromBus(QStringLiteral("logind"));
}

TEST(LinuxTimeChanges, ANewZoneFileIsReportedAndOtherFilesInItsFolderAreNot) {
    QTemporaryDir dir;
    const QString zone = dir.filePath(QStringLiteral("localtime"));
    ASSERT_TRUE(writeFile(zone, "TZif Europe/London"));
    // No bus at all: the zone and the clock are still watched.
    LinuxTimeChanges changes(QDBusConnection(QStringLiteral("none")), zone);
    changes.start();
    EXPECT_FALSE(changes.watchesSleep());
    EXPECT_TRUE(changes.watchesClock());
    QList<TimeChange> seen;
    changes.setHandler([&](TimeChange change) { seen << change; });

    // Another file, and the same zone written again: the folder changes, the zone does not. A watcher of the
    // test's own tells when the folder's change has been read.
    QFileSystemWatcher sentinel({dir.path()});
    bool folderChanged = false;
    QObject::connect(&sentinel, &QFileSystemWatcher::directoryChanged, [&] { folderChanged = true; });
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("adjtime")), "0.0 0 0.0"));
    ASSERT_TRUE(writeFile(zone, "TZif Europe/London"));
    ASSERT_TRUE(processEventsUntil([&] { return folderChanged; }));
    QCoreApplication::processEvents();
    EXPECT_TRUE(seen.isEmpty());

    ASSERT_TRUE(writeFile(zone, "TZif Europe/Berlin"));
    ASSERT_TRUE(processEventsUntil([&] { return !seen.isEmpty(); }));
    EXPECT_EQ(seen, QList<TimeChange>{TimeChange::TimeZone});
}
