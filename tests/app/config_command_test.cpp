// `horalia config`: what users and scripts see, exit codes included.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "tests/support/qt_printers.h"
#include "tests/support/run_program.h"

using testsupport::runProgram;

TEST(ConfigCommand, SetAndListInAnyLetterCaseAndErrorsExitWithOne) {
    QTemporaryDir home;
    const char* value = "  Ann = \"the\" [best] ; 🕰\nok ";
    EXPECT_EQ(runProgram(home, {"config", "set", "Data", "UserName", value}).exitCode, 0);
    EXPECT_EQ(runProgram(home, {"config", "set", "data", "format", "0"}).exitCode, 0);
    // (what `config get` prints is read back by the restart and install tests)
    auto list = runProgram(home, {"config", "list"});
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_EQ(list.out, "[Data]\nUserName=\"  Ann = \\\"the\\\" [best] ; 🕰\\nok \"\nformat=0\n");

    auto missing = runProgram(home, {"config", "get", "Data", "Announce"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains("no key Announce in section Data")) << missing.err.toStdString();
    EXPECT_TRUE(missing.out.isEmpty());
    for (const QStringList& bad :
         {QStringList{"config", "get", "Data"}, QStringList{"config", "set", "Data", "k"},
          QStringList{"config", "list", "extra"}}) {
        auto run = runProgram(home, bad);
        EXPECT_EQ(run.exitCode, 1) << bad.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("usage:")) << run.err.toStdString();
    }
    auto badKey = runProgram(home, {"config", "set", "Data", "a=b", "x"});
    EXPECT_EQ(badKey.exitCode, 1);
    EXPECT_TRUE(badKey.err.contains("not a key name")) << badKey.err.toStdString();

    // A settings file that cannot be read is reported, and left as it is.
    QDir(home.path() + "/config/HoraliaIIV").removeRecursively();
    QDir().mkpath(home.path() + "/config/HoraliaIIV/settings.ini");
    auto unreadable = runProgram(home, {"config", "set", "Data", "Announce", "10"});
    EXPECT_EQ(unreadable.exitCode, 1);
    EXPECT_TRUE(unreadable.err.contains("settings.ini")) << unreadable.err.toStdString();
    EXPECT_EQ(runProgram(home, {"config", "list"}).exitCode, 1);
    EXPECT_EQ(runProgram(home, {"config", "get", "Data", "UserName"}).exitCode, 1);
}
