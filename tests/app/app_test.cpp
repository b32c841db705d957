// `horalia config`: what users and scripts see, exit codes included. Then starting the program again while a
// clock runs: the running clock shows itself as the tray's "Show the clock" does, and the later start only
// asks. Here on the fake channel; the real program's two copies over the real socket are the desktop suite's
// second start and the setup test's second copy.
#include <gtest/gtest.h>

#include <QDir>

#include "src/wiring/later_starts.h"
#include "tests/support/clock_harness.h"
#include "tests/support/run_program.h"

using namespace testsupport;

TEST(ConfigCommand, SetAndListInAnyLetterCaseAndErrorsExitWithOne) {
    QTemporaryDir home;
    const char* value = "  Ann = \"the\" [best] ; 🕰\nok ";
    EXPECT_EQ(runProgram(home, {"config", "set", "Data", "UserName", value}).exitCode, 0);
    EXPECT_EQ(runProgram(home, {"config", "set", "data", "format", "0"}).exitCode, 0);
    // (what `config get` prints is read back by the restart and install tests)
    auto list = runProgram(home, {"config", "list"});
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_EQ(list.out, "[Data]\nUserName=\"  Ann = \\\"the\\\" [best] ; 🕰\\nok \"\nformat=0\n");

    for (const auto& [args, error] : std::initializer_list<std::pair<QStringList, const char*>>{
             {{"config", "get", "Data", "Announce"}, "no key Announce in section Data"},
             {{"config", "get", "Data"}, "usage:"},
             {{"config", "set", "Data", "k"}, "usage:"},
             {{"config", "list", "extra"}, "usage:"},
             {{"config", "set", "Data", "a=b", "x"}, "not a key name"}}) {
        const auto run = runProgram(home, args);
        EXPECT_EQ(std::pair(run.exitCode, run.out), std::pair(1, QString())) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(error)) << run.err.toStdString();
    }

    // A settings file that cannot be read is reported, and left as it is.
    QDir(home.path() + "/config/HoraliaIIV").removeRecursively();
    QDir().mkpath(home.path() + "/config/HoraliaIIV/settings.ini");
    auto unreadable = runProgram(home, {"config", "set", "Data", "Announce", "10"});
    EXPECT_EQ(unreadable.exitCode, 1);
    EXPECT_TRUE(unreadable.err.contains("settings.ini")) << unreadable.err.toStdString();
    EXPECT_EQ(runProgram(home, {"config", "list"}).exitCode, 1);
    EXPECT_EQ(runProgram(home, {"config", "get", "Data", "UserName"}).exitCode, 1);
}

TEST(LaterStarts, TheRunningClockShowsItselfOnlyOnceItHasLoadedAndStaysShownWhenAskedAsItStarts) {
    ClockHarness clock(at(10, 0, 30));
    clock.fake.settings.set("minimise", "True");
    FakeInstanceChannel channel;
    horalia::wiring::serveLaterStarts(channel, clock.controller);
    EXPECT_EQ(channel.listens, 1);
    // While a first run shows its agreement there is no clock to show.
    EXPECT_FALSE(channel.request());
    EXPECT_TRUE(clock.view.visibility.isEmpty());

    clock.controller.load();
    clock.view.setVisible(true);
    // Between the start and the first tick, which hides a clock whose setting says hidden.
    EXPECT_TRUE(channel.request());
    clock.runFor(1);
    EXPECT_TRUE(clock.view.visible);
    EXPECT_EQ(clock.fake.settings.get("minimise"), "False");
}
