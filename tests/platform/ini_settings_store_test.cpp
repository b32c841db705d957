// The settings file on disk: values come back exactly, a damaged or unreadable file never costs a setting,
// and writes survive crashes and other writers.
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

class SettingsFile : public ::testing::Test {
protected:
    QString path() const { return dir_.path() + "/HoraliaIIV/settings.ini"; }
    QByteArray contents() const {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void putContents(const QByteArray& bytes) {
        QDir().mkpath(dir_.path() + "/HoraliaIIV");
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QTemporaryDir dir_;
};

// Runs `horalia config ARGS` with this test's settings folder.
QProcess* startConfig(const QString& configHome, const QStringList& args) {
    auto* process = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", configHome);
    process->setProcessEnvironment(env);
    process->start(HORALIA_BIN, QStringList{"config"} + args);
    return process;
}

}  // namespace

TEST_F(SettingsFile, EveryValueComesBackByteForByte) {
    const QStringList values = {
        "",
        "  spaces at both ends  ",
        "a=b=c",
        "; not a comment",
        "[not a section]",
        "\"quoted\"",
        "'single' and \"double",
        "Grüße, 日本語, emoji 🕰",
        "line one\nline two\r\nline three\r",
        "C:\\Program Files\\alarm.exe",
        "ends with a backslash\\",
        "\ttab first",
        QString(QChar(0)) + "after a NUL",
        QString(10 * 1024, QChar('x')) + "end",
    };
    IniSettingsStore store(path());
    for (int i = 0; i < values.size(); ++i) {
        const agent::Status written = store.write("Data", QString("Key%1").arg(i), values[i]);
        ASSERT_TRUE(written) << written.error().toStdString();
    }
    IniSettingsStore fresh(path());
    for (int i = 0; i < values.size(); ++i) {
        EXPECT_EQ(fresh.read("Data", QString("Key%1").arg(i), "<default>"), values[i]) << i;
    }
    // The empty value (Key0) is a value, not an absent key.
    EXPECT_EQ(fresh.read("Data", "NoSuchKey", "<default>"), "<default>");
    EXPECT_EQ(fresh.read("Data", "NoSuchKey"), "");
}

TEST_F(SettingsFile, MissingFileGivesDefaultsAndTheFirstWriteCreatesIt) {
    IniSettingsStore store(path());
    EXPECT_EQ(store.read("Data", "Announce", "15"), "15");
    EXPECT_FALSE(QFile::exists(path()));
    ASSERT_TRUE(store.write("Data", "Announce", "10"));
    EXPECT_EQ(IniSettingsStore(path()).read("Data", "Announce", "15"), "10");
    // Nothing but the file is left behind: no temporary file, no lock.
    EXPECT_EQ(QDir(dir_.path() + "/HoraliaIIV").entryList(QDir::Files), QStringList{"settings.ini"});
}

TEST_F(SettingsFile, GarbledFileGivesDefaultsAndKeepsItsBytesOnWrite) {
    QByteArray garbage;
    QRandomGenerator random(7);
    for (int i = 0; i < 4096; ++i) {
        garbage.append(static_cast<char>(random.bounded(256)));
    }
    garbage.append("\n[Data\nAnnounce\n=\n");
    putContents(garbage);
    IniSettingsStore store(path());
    EXPECT_EQ(store.read("Data", "Announce", "15"), "15");
    ASSERT_TRUE(store.write("Data", "UserName", "Ann"));
    EXPECT_EQ(store.read("Data", "UserName"), "Ann");
    EXPECT_TRUE(contents().startsWith(garbage)) << "the garbled lines were lost";
}

TEST_F(SettingsFile, HandEditedFileKeepsItsCommentsAndOtherKeys) {
    putContents("# my settings\n[Data]\nmode = advanced\nUserName=Ann\n\n[Mine]\nx=1\n");
    IniSettingsStore store(path());
    ASSERT_TRUE(store.write("Data", "UserName", "Bob"));
    EXPECT_EQ(contents(), "# my settings\n[Data]\nmode = advanced\nUserName=Bob\n\n[Mine]\nx=1\n");
}

TEST_F(SettingsFile, UnreadableFileIsNeverOverwritten) {
    // A folder where the file should be cannot be read (a permission test would not work for root).
    QDir().mkpath(path());
    IniSettingsStore store(path());
    EXPECT_EQ(store.read("Data", "Announce", "15"), "15");
    const agent::Status written = store.write("Data", "Announce", "10");
    EXPECT_FALSE(written);
    EXPECT_TRUE(written.error().contains(path())) << written.error().toStdString();
    EXPECT_TRUE(QFileInfo(path()).isDir());
}

TEST_F(SettingsFile, OversizedFileIsTreatedAsUnreadable) {
    QByteArray big = "[Data]\nUserName=Ann\n";
    big.append(QByteArray(agent::ini::IniFile::kMaxFileSize, ';'));
    putContents(big);
    IniSettingsStore store(path());
    EXPECT_EQ(store.read("Data", "UserName", "Nobody"), "Nobody");
    EXPECT_FALSE(store.write("Data", "UserName", "Bob"));
    EXPECT_EQ(QFileInfo(path()).size(), big.size());
}

TEST_F(SettingsFile, RefusesNamesThatWouldCorruptTheFile) {
    IniSettingsStore store(path());
    EXPECT_FALSE(store.write("Data", "a=b", "x"));
    EXPECT_FALSE(store.write("Da]ta", "k", "x"));
    EXPECT_FALSE(store.write("Data", "two\nlines", "x"));
    EXPECT_FALSE(QFile::exists(path()));
}

TEST_F(SettingsFile, ChangesByAnotherWriterAreSeenAtTheNextRead) {
    IniSettingsStore clock(path());
    IniSettingsStore dialog(path());
    ASSERT_TRUE(dialog.write("Data", "Announce", "15"));
    EXPECT_EQ(clock.read("Data", "Announce"), "15");
    ASSERT_TRUE(dialog.write("Data", "Announce", "30"));
    EXPECT_EQ(clock.read("Data", "Announce"), "30");
    putContents("[Data]\nAnnounce=45\n");
    EXPECT_EQ(clock.read("Data", "Announce"), "45");
}

TEST_F(SettingsFile, ConcurrentWritersInOtherProcessesLoseNothing) {
    constexpr int kWriters = 4;
    constexpr int kKeysEach = 8;
    // Every process writes its keys one after another while the others do the same.
    std::vector<std::unique_ptr<QProcess>> running;
    for (int key = 0; key < kKeysEach; ++key) {
        for (int w = 0; w < kWriters; ++w) {
            running.emplace_back(
                startConfig(dir_.path(), {"set", "Data", QString("W%1K%2").arg(w).arg(key), "v"}));
        }
        for (auto& p : running) {
            ASSERT_TRUE(p->waitForFinished(30000));
            EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
        }
        running.clear();
    }
    IniSettingsStore store(path());
    for (int w = 0; w < kWriters; ++w) {
        for (int key = 0; key < kKeysEach; ++key) {
            EXPECT_EQ(store.read("Data", QString("W%1K%2").arg(w).arg(key)), "v") << w << "/" << key;
        }
    }
}

TEST_F(SettingsFile, AWriterKilledAtAnyMomentLeavesAWholeFile) {
    IniSettingsStore store(path());
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(store.write("Data", QString("Keep%1").arg(i), QString("value %1").arg(i)));
    }
    const QString big(20000, QChar('z'));
    QRandomGenerator random(42);
    for (int round = 0; round < 25; ++round) {
        std::unique_ptr<QProcess> writer(
            startConfig(dir_.path(), {"set", "Data", "Big", big + QString::number(round)}));
        ASSERT_TRUE(writer->waitForStarted());
        QThread::usleep(random.bounded(20000));
        ::kill(static_cast<pid_t>(writer->processId()), SIGKILL);
        writer->waitForFinished();

        agent::Result<IniDocument> doc = store.load();
        ASSERT_TRUE(doc) << doc.error().toStdString();
        for (int i = 0; i < 50; ++i) {
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
