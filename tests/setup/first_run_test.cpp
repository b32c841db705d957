// New_User on the fake platform with real files in a temporary home: which start each state of the settings
// and of the machine leads to, and what the agreement's two buttons store. Then frm_wait's timers in virtual
// time: each package started once, fifteen seconds apart, the window blinking every second, and the restart
// at forty seconds; and the two set-up windows offscreen: their fixed texts and colours, and that their
// buttons and timers reach the logic behind them.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "src/platform/local_files.h"
#include "src/setup/agreement_text.h"
#include "src/setup/agreement_window.h"
#include "src/setup/frm_wait.h"
#include "src/setup/new_user.h"
#include "src/setup/wait_screen.h"
#include "tests/support/fakes.h"

using namespace horalia::setup;
using testsupport::at;
using testsupport::FakePlatform;

namespace {

bool writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

struct NewUserTest : ::testing::Test {
    NewUserTest() {
        for (const char* folder : {"/program", "/espeak", "/config/autostart"}) {
            QDir().mkpath(home.path() + folder);
        }
        where.programFolder = home.path() + "/program";
        where.characterFolder = home.path() + "/data/horalia/msagent/chars";
        where.engineProbes = {where.characterFolder + "/max.acs", where.characterFolder + "/plany.acs"};
        where.voiceProbes = {home.path() + "/nowhere/phontab", home.path() + "/espeak/phontab"};
        writeFile(where.programFolder + "/max.acs", "max character");
        writeFile(where.programFolder + "/plany.acs", "plany character");
        writeFile(autostart.source(), "[Desktop Entry]\nName=Horalia Deluxe\n");
        writeFile(home.path() + "/espeak/phontab", "phonemes");
        links.showClock = [this] { calls << QStringLiteral("showClock %1").arg(fake.clock.nowMs()); };
        links.checkboxes = [this] { calls << QStringLiteral("checkboxes %1").arg(fake.clock.nowMs()); };
        links.showAgreement = [this] { calls << "showAgreement"; };
        links.showInstaller = [this] { calls << "showInstaller"; };
    }

    New_User make() { return New_User(fake.platform, files, autostart, where, links, {"--console"}); }

    QTemporaryDir home;
    FakePlatform fake{at(9, 0)};
    horalia::platform::LocalFiles files;
    horalia::platform::AutostartEntry autostart{home.path() + "/program/horalia-deluxe.desktop",
                                                home.path() + "/config/autostart/horalia-deluxe.desktop"};
    SetupLocations where;
    New_User::Links links;
    QStringList calls;
};

}  // namespace

TEST_F(NewUserTest, AReturningUserGetsTheClockAndTwoSecondsLaterTheCharacters) {
    fake.settings.set("LastCharacter", "max");
    fake.settings.set("LastCharacter2", "plany");
    fake.settings.writes.clear();
    New_User newUser = make();
    EXPECT_EQ(newUser.load(), New_User::Outcome::ReturningUser);
    const qint64 start = at(9, 0).toMSecsSinceEpoch();
    EXPECT_EQ(calls, (QStringList{QStringLiteral("showClock %1").arg(start),
                                  QStringLiteral("checkboxes %1").arg(start + 2000)}));
    // No probe and no copy on this path: an empty character folder does not stop the clock.
    EXPECT_FALSE(QDir(where.characterFolder).exists());
    EXPECT_TRUE(fake.settings.writes.isEmpty());
}

TEST_F(NewUserTest, AFirstRunCopiesTheCharactersAndShowsTheAgreementWhoseIDontAgreeEndsTheProgram) {
    // A stale copy in the character folder is replaced.
    QDir().mkpath(where.characterFolder);
    writeFile(where.characterFolder + "/max.acs", "an old max");
    New_User newUser = make();
    EXPECT_EQ(newUser.load(), New_User::Outcome::Agreement);
    EXPECT_EQ(calls, QStringList{"showAgreement"});
    EXPECT_EQ(
        readFile(where.characterFolder + "/max.acs") + '|' + readFile(where.characterFolder + "/plany.acs"),
        "max character|plany character");
    EXPECT_EQ(fake.program.ends, 0);
    // "I DON'T AGREE" ends the program with nothing stored.
    newUser.Command1_Click();
    EXPECT_EQ(std::tuple(fake.program.ends, fake.settings.writes.size(), fake.shell.starts.size()),
              std::tuple(1, 0, 0));
}
// "I AGREE" stores the defaults in this order, with the question about the login as step 12, which writes
// only on Yes (the installed program's first run answers No).
TEST_F(NewUserTest, IAgreeStoresTheDefaultsAsksAboutTheLoginAndRestarts) {
    writeFile(autostart.target(), "old");  // an entry already there is overwritten without a word
    New_User newUser = make();
    ASSERT_EQ(newUser.load(), New_User::Outcome::Agreement);
    fake.dialogs.answers = {horalia::platform::Answer::Yes};
    newUser.Command3_Click();
    EXPECT_EQ(
        fake.settings.writes.join(';'),
        "Data/LastCharacter=max;Data/LastCharacter2=plany;Data/AlarmMessage=This is alarm 1, time to wake "
        "up!;Data/AlarmMessage2=This is alarm 2, time to wake up!;Data/Announce=10;Data/BackColour=16777215;"
        "Data/ForeColour=0;Data/FormX=2000;Data/FormY=2000;Data/LoadWithWindows=False;data/format=1;"
        "Data/LoadWithWindows=True;Data/QuietTime=0000;Data/Repeat1=False;Data/Repeat2=False;"
        "Data/StartupMessage=Right click on the clock, or on the task bar icon, for more options;"
        "Data/UserName=Nobody!;Data/effects1=False;Data/effects2=True;Data/minimise=False;Data/mode=simple");
    ASSERT_EQ(fake.dialogs.boxes.size(), 1);
    EXPECT_EQ(fake.dialogs.boxes[0].text + '|' + QString::number(fake.dialogs.boxes[0].style),
              "DO YOU WANT HORALIA DELUXE TO START WITH WINDOWS?. If you choose YES, it`s very easy to turn "
              "this feature off in the Main Options menu|4");
    EXPECT_EQ(readFile(autostart.target()), "[Desktop Entry]\nName=Horalia Deluxe\n");
    // The restart through the companion, and the next start finding the settings, are the install test's.
    ASSERT_EQ(fake.shell.starts.size(), 1);
    EXPECT_EQ(fake.program.ends, 1);
}

TEST_F(NewUserTest, AMissingComponentLeadsToTheInstallerScreenNotTheAgreement) {
    // First the voices missing with the engine's characters in place, then a character missing from the
    // program folder and from the engine's folder.
    for (const bool voicesMissing : {true, false}) {
        SCOPED_TRACE(voicesMissing ? "no voices" : "no plany");
        calls.clear();
        if (voicesMissing) {
            QFile::remove(home.path() + "/espeak/phontab");
        } else {
            writeFile(home.path() + "/espeak/phontab", "phonemes");
            QFile::remove(where.characterFolder + "/plany.acs");
            QFile::remove(where.programFolder + "/plany.acs");
        }
        New_User newUser = make();
        EXPECT_EQ(newUser.load(), New_User::Outcome::Installer);
        EXPECT_EQ(calls, QStringList{"showInstaller"});
        EXPECT_EQ(readFile(where.characterFolder + "/max.acs"), "max character");
        EXPECT_EQ(std::pair(newUser.engineInstalled(), newUser.voicesInstalled()),
                  std::pair(voicesMissing, !voicesMissing));
    }
}

TEST(WaitScreenTest, StartsEachPackageOnceAndRestartsAtFortySeconds) {
    FakePlatform fake{at(9, 0)};
    WaitScreen screen(fake.platform, "/opt/horalia", [](qint32) {}, {"--console"});
    // "path args style @ms since the screen appeared" for each program started.
    auto started = [&] {
        QStringList lines;
        for (const auto& s : fake.shell.starts) {
            lines << QStringLiteral("%1 %2 %3 @%4")
                         .arg(s.path, s.arguments.join(u' '), QString::number(static_cast<int>(s.style)),
                              QString::number(s.atMs - at(9, 0).toMSecsSinceEpoch()));
        }
        return lines;
    };
    const QStringList all{"/opt/horalia/agent /Q:A 1 @1000", "/opt/horalia/speech /Q:A 1 @16000",
                          "/opt/horalia/reboot --console 2 @40000"};
    screen.load();
    fake.clock.advanceBy(999);
    EXPECT_TRUE(fake.shell.starts.isEmpty());
    fake.clock.advanceBy(1);
    EXPECT_EQ(started(), all.first(1));
    fake.clock.advanceBy(38999);
    EXPECT_EQ(started(), all.first(2));
    EXPECT_EQ(fake.program.ends, 0);
    fake.clock.advanceBy(1);
    EXPECT_EQ(std::tuple(started(), fake.program.ends, screen.running()), std::tuple(all, 1, false));
    // Nothing more happens, however long the machine takes to end the program.
    fake.clock.advanceBy(120000);
    EXPECT_EQ(fake.shell.starts.size(), 3);
    // Shown again, it starts each package once more.
    screen.load();
    EXPECT_EQ(screen.counter(), 0);
    fake.clock.advanceBy(17000);
    EXPECT_EQ(fake.shell.starts.size(), 5);
    EXPECT_EQ(fake.shell.starts[3].path + ' ' + fake.shell.starts[4].path,
              "/opt/horalia/agent /opt/horalia/speech");
}

TEST(SetupWindows,
     TheAgreementIsRedBorderlessWithTwoButtonsAndPleaseWaitIsYellowBoldBlinksAndEndsWhenClosed) {
    QStringList clicks;
    AgreementWindow agreement([&] { clicks << "agree"; }, [&] { clicks << "disagree"; });
    agreement.showCentred();
    EXPECT_EQ(
        std::tuple(agreement.windowFlags().testFlag(Qt::FramelessWindowHint),
                   agreement.palette().color(QPalette::Window), agreement.Command3()->text(),
                   agreement.Command1()->text(), agreement.Text1()->toPlainText()),
        std::tuple(true, QColor(255, 0, 0), QString("I AGREE"), QString("I DON`T AGREE"), agreementText()));
    EXPECT_LT(agreement.Command3()->mapTo(&agreement, QPoint()).x(),
              agreement.Command1()->mapTo(&agreement, QPoint()).x());
    QTest::mouseClick(agreement.Command3(), Qt::LeftButton);
    QTest::mouseClick(agreement.Command1(), Qt::LeftButton);
    EXPECT_EQ(clicks, (QStringList{"agree", "disagree"}));

    FakePlatform fake(at(9, 0));
    frm_wait wait(fake.platform, "/opt/horalia");
    wait.showCentred();
    EXPECT_EQ(std::tuple(wait.Label1()->text().left(12), wait.Label1()->font().bold(),
                         wait.palette().color(QPalette::Window)),
              std::tuple(QString("PLEASE WAIT!"), true, QColor(255, 255, 0)));
    fake.clock.advanceBy(1000);
    EXPECT_EQ(wait.palette().color(QPalette::Window), QColor(255, 0, 0));
    wait.close();
    EXPECT_EQ(fake.program.ends, 1);
}
