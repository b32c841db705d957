// Locks left by writers killed at the wrong moment: an update still goes through once they have stayed a
// while (QLockFile alone would wait half a minute for a lock that names no process).
#include <gtest/gtest.h>

#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <optional>

#include "agent/ini/ini_file.h"

using agent::ini::IniDocument;
using agent::ini::IniFile;

namespace {

void writeFile(const QString& path, const QByteArray& contents) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents);
}

}  // namespace

TEST(IniFileLocks, LeftoverLocksOfKilledWritersAreTakenOver) {
    // A lock naming a process that is not running (pids stop well below this), as a killed writer leaves it.
    const QByteArray dead = "4194000\nhoralia\n" + QSysInfo::machineHostName().toUtf8() + "\n";
    const struct {
        const char* name;
        QByteArray lock;
        std::optional<QByteArray> removal;
    } cases[] = {
        {"a lock naming no process", "", std::nullopt},
        {"a dead writer's lock and an empty removal lock", dead, QByteArray()},
        {"a dead writer's lock and removal lock", dead, dead},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        IniFile file(dir.filePath("settings.ini"));
        writeFile(file.path() + ".lock", c.lock);
        if (c.removal) {
            writeFile(file.path() + ".lock.rmlock", *c.removal);
        }
        const agent::Status written =
            file.update([](IniDocument& doc) { doc.setValue("Data", "After", "yes"); });
        ASSERT_TRUE(written) << written.error().toStdString();
        EXPECT_EQ(file.load()->value("Data", "After"), "yes");
        EXPECT_FALSE(QFile::exists(file.path() + ".lock"));
    }
}
