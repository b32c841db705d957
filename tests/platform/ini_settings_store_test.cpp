// The settings file on disk: values come back exactly, a file too big is never overwritten, and writes
// survive crashes and other writers (how its text is read and edited is the ini document's own test).
#include <gtest/gtest.h>

#include <signal.h>
#include "tests/support/qt_printers.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include "src/platform/ini_settings_store.h"

using agent::ini::IniDocument;
using horalia::platform::IniSettingsStore;

namespace {

struct SettingsFile : ::testing::Test {
    QString path() const { return dir_.path() + "/HoraliaIIV/settings.ini"; }
    // Runs `horalia config set Data KEY VALUE` with this test's settings folder.
    QProcess* startSet(const QString& key, const QString& value) const {
        auto* process = new QProcess;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", dir_.path());
        process->setProcessEnvironment(env);
        process->start(HORALIA_BIN, {"config", "set", "Data", key, value});
        return process;
    }
    QTemporaryDir dir_;
};

}  // namespace

// The clock and the dialog each hold a store of the same file: each sees the other's writes at its next read.
TEST_F(SettingsFile, TheFirstGoodWriteCreatesTheFileAndEveryValueComesBackByteForByte) {
    const QStringList values = {"", "  spaces at both ends  ", "line one\nline two\r\n",
                                QString(QChar(0)) + "NUL"};
    IniSettingsStore clock(path());
    IniSettingsStore dialog(path());
    EXPECT_EQ(clock.read("Data", "Announce", "15"), "15");
    // Names that would corrupt the file are refused before anything is written.
    EXPECT_FALSE(dialog.write("Data", "a=b", "x"));
    EXPECT_FALSE(dialog.write("Da]ta", "k", "x"));
    EXPECT_FALSE(QFile::exists(path()));
    for (int i = 0; i < values.size(); ++i) {
        const agent::Status written = dialog.write("Data", QString("Key%1").arg(i), values[i]);
        ASSERT_TRUE(written) << written.error().toStdString();
        EXPECT_EQ(clock.read("Data", QString("Key%1").arg(i), "<default>"), values[i]) << i;
    }
    // The empty value (Key0) is a value, not an absent key.
    EXPECT_EQ(clock.read("Data", "NoSuchKey", "<default>"), "<default>");
    // Nothing but the file is left behind: no temporary file, no lock.
    EXPECT_EQ(QDir(dir_.path() + "/HoraliaIIV").entryList(QDir::Files), QStringList{"settings.ini"});
}

// A file too big is never read nor overwritten (a folder in its place is the config command's test).
TEST_F(SettingsFile, AnOversizedFileIsNeverOverwritten) {
    QByteArray big = "[Data]\nUserName=Ann\n";
    big.append(QByteArray(agent::ini::IniFile::kMaxFileSize, ';'));
    QDir().mkpath(dir_.path() + "/HoraliaIIV");
    QFile file(path());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(big) == big.size());
    file.close();
    IniSettingsStore store(path());
    EXPECT_EQ(store.read("Data", "UserName", "Nobody"), "Nobody");
    EXPECT_FALSE(store.write("Data", "UserName", "Bob"));
    EXPECT_EQ(QFileInfo(path()).size(), big.size());
}

TEST_F(SettingsFile, ConcurrentWritersInOtherProcessesLoseNothing) {
    constexpr int kWriters = 4;
    // Every process writes its keys one after another while the others do the same.
    for (int key = 0; key < 4; ++key) {
        std::vector<std::unique_ptr<QProcess>> running;
        for (int w = 0; w < kWriters; ++w) {
            running.emplace_back(startSet(QString("W%1K%2").arg(w).arg(key), "v"));
        }
        for (auto& p : running) {
            ASSERT_TRUE(p->waitForFinished(30000));
            EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
        }
    }
    IniSettingsStore store(path());
    for (int w = 0; w < kWriters; ++w) {
        for (int key = 0; key < 4; ++key) {
            EXPECT_EQ(store.read("Data", QString("W%1K%2").arg(w).arg(key)), "v") << w << "/" << key;
        }
    }
}

TEST_F(SettingsFile, AWriterKilledAtAnyMomentLeavesAWholeFile) {
    IniSettingsStore store(path());
    for (int i = 0; i < 10; ++i) {
        ASSERT_TRUE(store.write("Data", QString("Keep%1").arg(i), QString("value %1").arg(i)));
    }
    const QString big(20000, QChar('z'));
    QRandomGenerator random(42);
    for (int round = 0; round < 25; ++round) {
        std::unique_ptr<QProcess> writer(startSet("Big", big + QString::number(round)));
        ASSERT_TRUE(writer->waitForStarted());
        QThread::usleep(random.bounded(20000));
        ::kill(static_cast<pid_t>(writer->processId()), SIGKILL);
        writer->waitForFinished();

        agent::Result<IniDocument> doc = store.load();
        ASSERT_TRUE(doc) << doc.error().toStdString();
        for (int i = 0; i < 10; ++i) {
            ASSERT_EQ(doc->value("Data", QString("Keep%1").arg(i)), QString("value %1").arg(i))
                << "round " << round;
        }
        // The big value is either absent, or a whole one of the rounds so far.
        std::optional<QString> bigValue = doc->value("Data", "Big");
        if (bigValue) {
            ASSERT_TRUE(bigValue->startsWith(big));
            ASSERT_LE(bigValue->mid(big.size()).toInt(), round);
        }
    }
    // A writer killed while holding the lock does not lock others out for good.
    const agent::Status after = store.write("Data", "After", "yes");
    EXPECT_TRUE(after) << after.error().toStdString();
}
