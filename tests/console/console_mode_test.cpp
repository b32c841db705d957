// The console mode end to end: the program itself, run on a virtual clock, its lines read as a user reads
// them.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "src/console/duration.h"
#include "tests/support/qt_printers.h"
#include "tests/support/run_program.h"

using testsupport::runProgram;

namespace {

// Whether every expected line is in lines, in this order (other lines may come between).
::testing::AssertionResult containsInOrder(const QStringList& lines, const QStringList& expected) {
    qsizetype at = -1;
    for (const QString& want : expected) {
        if ((at = lines.indexOf(want, at + 1)) < 0) {
            return ::testing::AssertionFailure() << "missing, or out of order: " << want.toStdString();
        }
    }
    return ::testing::AssertionSuccess();
}

// A home the clock has been installed in: our two characters in its character folder, as a first run leaves
// them.
struct InstalledHome : QTemporaryDir {
    InstalledHome() {
        const QString characters = path() + "/data/horalia/msagent/chars";
        QDir().mkpath(characters);
        for (const QString name : {"max.acs", "plany.acs"}) {
            QFile::copy(QFileInfo(HORALIA_BIN).dir().filePath(name), characters + "/" + name);
        }
    }
};

}  // namespace

TEST(ConsoleMode, PreviewsAnHourAndAHalfFromAGivenTime) {
    InstalledHome home;
    auto run = runProgram(home, {"--console", "--from", "2026-12-06T10:14:30", "--for", "90m"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 12);
    EXPECT_EQ(lines.mid(0, 8),
              (QStringList{R"(10:14:30 frm_clock Move 2000 2000)", R"(10:14:30 frm_clock lab_time "10:14am")",
                           R"(10:14:30 Tray Add "Horalia Deluxe")",
                           R"(10:14:30 Tray Modify "Click me for options. Horalia Deluxe 3.6.1")",
                           R"(10:14:30 Tray Modify 1)", R"(10:14:30 frm_clock Show)",
                           R"(10:14:32 Agent1 Load "max" "max.acs")",
                           R"(10:14:32 Agent2 Load "plany" "plany.acs")"}));
    EXPECT_TRUE(containsInOrder(
        lines,
        {R"(10:14:32 Agent1 Speak "good morning, Nobody")", R"(10:14:32 Agent1 MoveTo 235 44)",
         R"(10:14:40 Agent2 Speak "Welcome to Horalia Deluxe")", R"(10:14:40 Agent2 MoveTo 16 44)",
         R"(10:15:02 frm_clock lab_time "10:15am")", R"(10:15:02 Agent2 Stop)",
         R"(10:15:02 Agent2 Speak " ")", R"(10:15:02 Agent2 Show)",
         R"(10:15:02 Agent2 Speak "The time is 15 minutes past 10")", R"(10:15:02 Agent2 Play "Decline")",
         R"(10:30:02 Agent1 Speak "The time is half past 10")",
         R"(11:00:02 Agent1 Speak "The time is 11 O clock ")", R"(11:44:02 frm_clock lab_time "11:44am")"}));
    EXPECT_FALSE(run.out.contains("11:45:02")) << "ran past its span";
}

TEST(ConsoleMode, ADayWithSettingsFromTheConfigCommand) {
    InstalledHome home;
    ASSERT_EQ(runProgram(home, {"config", "set", "Data", "AlarmTime2", "0615"}).exitCode, 0);
    ASSERT_EQ(runProgram(home, {"config", "set", "Data", "AlarmMessage2", "Rise and shine"}).exitCode, 0);
    ASSERT_EQ(runProgram(home, {"config", "set", "Data", "Launch2", "/usr/bin/true"}).exitCode, 0);
    ASSERT_EQ(runProgram(home, {"config", "set", "Data", "QuietTime", "2207"}).exitCode, 0);
    ASSERT_EQ(runProgram(home, {"config", "set", "data", "format", "0"}).exitCode, 0);
    ASSERT_EQ(runProgram(home, {"config", "set", "Data", "Announce", "60"}).exitCode, 0);

    auto run = runProgram(home, {"--console", "--from", "2026-12-06T00:00:00", "--for", "24h"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(R"(06:15:02 Agent2 Speak "\\chr=\"Whisper\"\\Rise and shine")"));
    EXPECT_TRUE(run.out.contains(R"(06:15:02 Shell Start "/usr/bin/true" 4)"));
    EXPECT_TRUE(run.out.contains(R"(13:00:02 frm_clock lab_time "13:00")"));
    EXPECT_TRUE(run.out.contains(R"(Speak "The time is 1 O clock ")"));
    // Every hour but the one it started in (the first full tick comes when the minute first changes).
    EXPECT_EQ(
        run.out.count(QRegularExpression(R"(Speak "(\\\\chr=\\"Whisper\\"\\\\)?The time is|mindnight)")), 23);
    EXPECT_EQ(run.out.count(" frm_clock lab_time "), 1 + 1439);
}

// As on the desktop: a character that cannot be loaded is reported, nothing is asked of it, and the clock
// goes on without it. A character the user has no copy of is looked for among the program's own.
TEST(ConsoleMode, WithoutItsCharactersTheClockSaysWhyAndRunsOn) {
    QTemporaryDir home;
    ASSERT_EQ(runProgram(home, {"config", "set", "Data", "LastCharacter", "ghost"}).exitCode, 0);
    ASSERT_EQ(runProgram(home, {"config", "set", "Data", "LastCharacter2", "phantom"}).exitCode, 0);
    auto run = runProgram(home, {"--console", "--from", "2026-12-06T10:14:30", "--for", "3m"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QString folder = home.path() + "/data/horalia/msagent/chars/";
    EXPECT_TRUE(run.err.startsWith("horalia: cannot load " + folder + "ghost.acs: cannot open " + folder +
                                   "ghost.acs"))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("horalia: cannot load " + folder + "phantom.acs: "));
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.filter(" Agent"), (QStringList{R"(10:14:32 Agent1 Load "ghost" "ghost.acs")",
                                                   R"(10:14:32 Agent2 Load "phantom" "phantom.acs")"}));
    EXPECT_TRUE(lines.contains(R"(10:17:02 frm_clock lab_time "10:17am")"));
}

// The preview a newcomer runs before the clock ever ran: the characters the program ships speak all day.
TEST(ConsoleMode, InAFreshHomeBothShippedCharactersSpeak) {
    QTemporaryDir home;
    auto run = runProgram(home, {"--console", "--from", "2026-12-06T06:00:00", "--for", "24h"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("cannot load")) << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(home.path() + "/data/horalia/msagent/chars/max.acs")) << "no copy is made";
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    // Each speaks its half of the day's announcements (a statement and the space before it).
    EXPECT_GE(lines.filter(QRegularExpression(R"(^\S+ Agent1 Speak "\S)")).size(), 45);
    EXPECT_GE(lines.filter(QRegularExpression(R"(^\S+ Agent2 Speak "\S)")).size(), 45);
}

TEST(ConsoleMode, RefusesBadTimesAndSpansClearly) {
    QTemporaryDir home;
    auto badFrom = runProgram(home, {"--console", "--from", "tomorrow", "--for", "1h"});
    EXPECT_EQ(badFrom.exitCode, 1);
    EXPECT_TRUE(badFrom.err.contains("--from")) << badFrom.err.toStdString();
    auto badFor = runProgram(home, {"--console", "--from", "2026-12-06T00:00:00", "--for", "forever"});
    EXPECT_EQ(badFor.exitCode, 1);
    EXPECT_TRUE(badFor.err.contains("--for")) << badFor.err.toStdString();
    using horalia::console::parseDuration;
    // The spans it reads: "90m" and "24h" are the spans of the runs above.
    EXPECT_EQ(std::tuple(parseDuration("1h30m"), parseDuration("45s"), parseDuration("2d")),
              std::tuple(90 * 60000, 45000, 48LL * 3600000));
    for (const char* bad : {"", "90", "m", "-5m", "1.5h", "1 h", "999999999d", "1y"}) {
        EXPECT_FALSE(parseDuration(bad).has_value()) << bad;
    }
}

TEST(ConsoleMode, AWholeScriptedSession) {
    InstalledHome home;
    const QByteArray script =
        "Agent1 DragComplete\nAgent1 DragComplete\nAgent1 DragComplete\nAgent2 DragComplete\n"
        "Agent2 DragComplete\nAgent2 DragComplete\n# every command of character 1, then of character 2\n"
        "Agent1 Command Introduce\nAgent1 Command Date\nAgent1 Command Future\nAgent1 Command Shut\n"
        "Agent1 Command Properties\nAgent1 Command default\nAgent2 Command Introduce\n"
        "Agent2 Command Date\nAgent2 Command Shut\nAgent2 Command Properties\nAgent2 Command default\n"
        "tray hide\nwait 1m\ntray show\nAgent1 Command exit\nmenu mnu_about\n";
    auto run = runProgram(home, {"--console", "--from", "2026-12-04T10:00:00", "--for", "1h"}, script);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    // What each command says is the reactions' concern; here, that every kind of script line reaches its
    // character, in turn and on virtual time.
    EXPECT_TRUE(containsInOrder(
        lines,
        {R"(10:00:10 Agent2 Speak "Hey, what are you doing with max")",
         R"(10:00:10 Agent1 Speak "Hey you, leave plany alone, you big bully")",
         R"(10:00:10 Agent1 Speak "Hello, my name is Max. A small robot on one wheel who likes to be on time")",
         R"(10:00:10 Agent1 Speak "The date is Friday December 04, 2026.")",
         R"(10:00:10 Agent1 PropertySheet true)", R"(10:00:10 Agent1 Speak "Okay I`m home !")",
         R"(10:00:14 Agent2 Speak "I`m home too!")",
         R"(10:00:14 Agent2 Speak "Hello, my name is Plany. A little propeller plane who flies the time over to you")",
         R"(10:00:14 Agent1 Speak "Okay I`m home !")", R"(10:00:18 Agent2 Speak "I`m home too!")",
         R"(10:00:18 Tray ShowMenu)", R"(10:00:18 frm_clock Hide)",
         R"(10:01:02 frm_clock lab_time "10:01am")", R"(10:01:18 Tray ShowMenu)",
         R"(10:01:18 frm_clock Show)", R"(10:01:18 Agent1 Stop)", R"(10:01:18 Tray Delete)",
         R"(10:01:18 Program End)"}));
    // Nothing happens once the program has ended: not the about box, not the next minute.
    EXPECT_EQ(lines.last(), "10:01:18 Program End");
}

TEST(ConsoleMode, TheSettingsDialogTakesTypingAndClicksByTheControlsNames) {
    InstalledHome home;
    const QByteArray script =
        "menu mnu_settings1\nsettings type txt_hour1 07\nsettings type txt_min1 45\n"
        "settings click com_set1\nsettings type txt_username Alice\nsettings click chk_repeat1\n";
    auto run = runProgram(home, {"--console", "--from", "2026-12-04T10:00:00", "--for", "1m"}, script);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    EXPECT_EQ(runProgram(home, {"config", "get", "Data", "AlarmTime1"}).out.trimmed(), "0745");
    EXPECT_EQ(runProgram(home, {"config", "get", "Data", "UserName"}).out.trimmed(), "Alice");

    // A box cannot be clicked, a button takes no typing, and a name the dialog does not have is a line the
    // program cannot read.
    for (const QByteArray& wrong :
         {QByteArray("settings click txt_hour1\n"), QByteArray("settings type com_set1 7\n"),
          QByteArray("settings click com_nothing\n")}) {
        QTemporaryDir other;
        auto bad = runProgram(other, {"--console", "--from", "2026-12-04T10:00:00", "--for", "1m"},
                              "menu mnu_settings1\n" + wrong);
        EXPECT_TRUE(bad.err.contains("cannot read \"" + wrong.trimmed() + "\"")) << bad.err.toStdString();
    }
}
