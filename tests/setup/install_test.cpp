// The program as a user gets it: `cmake --install` into a temporary prefix, the installed clock's first run
// with scripted answers, the restart into its normal start, and a second copy beside it that ends at once.
#include <gtest/gtest.h>

#include <QFileInfo>

#include "tests/support/program_home.h"

static QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

using InstalledProgram = testsupport::ProgramHome;

TEST_F(InstalledProgram, InstallsRunsItsFirstRunAndThenGreets) {
    // espeak-ng's own override of where its data lies, so the voice probe does not depend on this machine.
    QDir().mkpath(home.path() + "/espeak/espeak-ng-data");
    EXPECT_TRUE(QFile(home.path() + "/espeak/espeak-ng-data/phontab").open(QIODevice::WriteOnly));
    env.insert("ESPEAK_DATA_PATH", home.path() + "/espeak");
    const QString prefix = home.path() + "/prefix";
    QProcess install;
    install.start(CMAKE_COMMAND_PATH, {"--install", HORALIA_BUILD_DIR, "--prefix", prefix});
    ASSERT_TRUE(install.waitForFinished(120000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();

    const QString folder = prefix + "/lib/horalia";
    // The programs may run, the characters and the desktop entry are files.
    for (const QString file :
         {"horalia", "reboot", "agent", "speech", "max.acs", "plany.acs", "horalia-deluxe.desktop"}) {
        const QFileInfo info(folder + "/" + file);
        EXPECT_TRUE(file.contains('.') ? info.isFile() : info.isExecutable()) << file.toStdString();
    }
    const QFileInfo link(prefix + "/bin/horalia");
    ASSERT_TRUE(link.isSymLink());
    EXPECT_EQ(link.canonicalFilePath(), QFileInfo(folder + "/horalia").canonicalFilePath());
    const QByteArray entry = readFile(prefix + "/share/applications/horalia-deluxe.desktop");
    EXPECT_TRUE(entry.contains("\nExec=" + (prefix + "/bin/horalia").toUtf8() + "\n")) << entry.toStdString();
    EXPECT_EQ(readFile(folder + "/horalia-deluxe.desktop"), entry);
    EXPECT_TRUE(QFileInfo(prefix + "/share/icons/hicolor/scalable/apps/horalia-deluxe.svg").isFile());

    // The first run: the user agrees, and says no to starting with the desktop session.
    QProcess firstRun;
    firstRun.setProcessEnvironment(env);
    // The restarted clock inherits this output and outlives the first run: a file, not a pipe.
    firstRun.setStandardOutputFile(home.path() + "/clock.out");
    firstRun.setStandardErrorFile(home.path() + "/clock.err");
    firstRun.start(prefix + "/bin/horalia", {"--console"});
    ASSERT_TRUE(firstRun.waitForStarted());
    firstRun.write("answer no\nagreement click Command3\n");
    firstRun.closeWriteChannel();
    ASSERT_TRUE(firstRun.waitForFinished(30000));
    EXPECT_EQ(firstRun.exitCode(), 0) << readFile(home.path() + "/clock.err").toStdString();

    const QString chars = home.path() + "/data/horalia/msagent/chars";
    EXPECT_EQ(readFile(chars + "/max.acs"), readFile(folder + "/max.acs"));
    EXPECT_EQ(readFile(chars + "/plany.acs"), readFile(folder + "/plany.acs"));
    EXPECT_FALSE(readFile(chars + "/max.acs").isEmpty());
    EXPECT_FALSE(QFile::exists(home.path() + "/config/autostart/horalia-deluxe.desktop"));

    // The companion starts the installed clock again, which now takes the returning user's way.
    qint64 clockPid = 0;
    ASSERT_TRUE(waitFor([&] {
        clockPid = lockOwner();
        return clockPid > 0 && clockPid != firstRun.processId();
    })) << readFile(home.path() + "/clock.out").toStdString();
    QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(clockPid));
    ASSERT_TRUE(cmdline.open(QIODevice::ReadOnly));
    EXPECT_TRUE(cmdline.readAll().startsWith(folder.toUtf8() + "/horalia"));
    EXPECT_TRUE(waitFor([&] { return readFile(home.path() + "/clock.out").contains("Speak \"good "); }));
    const QString out = QString::fromUtf8(readFile(home.path() + "/clock.out"));
    for (const QString& line :
         QStringList{"New_User Show", "New_User Command3 \"I AGREE\"", "Windows Startup",
                     "Shell Start \"" + folder + "/reboot\" \"--console\" 1", "Program End", "frm_clock Show",
                     "Agent1 Load \"max\" \"max.acs\"", "Agent2 Load \"plany\" \"plany.acs\""}) {
        EXPECT_TRUE(out.contains(line)) << line.toStdString() << "\n" << out.toStdString();
    }
    EXPECT_TRUE(out.indexOf("Program End") < out.indexOf("frm_clock Show"));
    EXPECT_TRUE(out.contains(", Nobody!\"")) << "the greeting names the first run's user";
    EXPECT_EQ(config(prefix + "/bin/horalia", {"get", "Data", "LastCharacter"}), "max");
    EXPECT_EQ(config(prefix + "/bin/horalia", {"get", "Data", "mode"}), "simple");

    // A second copy beside the running clock ends at once; its only line is its end.
    QProcess second;
    second.setProcessEnvironment(env);
    second.start(prefix + "/bin/horalia", {"--console"});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    const QString secondOut = QString::fromUtf8(second.readAllStandardOutput()).trimmed();
    EXPECT_TRUE(secondOut.endsWith(" Program End") && !secondOut.contains('\n')) << secondOut.toStdString();
    EXPECT_EQ(lockOwner(), clockPid);
}
