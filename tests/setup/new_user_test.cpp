// New_User on the fake platform with real files in a temporary home: which start each state of the settings
// and of the machine leads to, and what the agreement's two buttons store.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "src/platform/local_files.h"
#include "src/setup/new_user.h"
#include "tests/support/fakes.h"

using horalia::platform::Answer;
using horalia::setup::New_User;
using horalia::setup::SetupLocations;
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

class NewUserTest : public ::testing::Test {
protected:
    NewUserTest() {
        QDir root(home.path());
        root.mkpath("program");
        root.mkpath("espeak");
        root.mkpath("config");
        where.programFolder = home.path() + "/program";
        where.characterFolder = home.path() + "/data/horalia/msagent/chars";
        where.engineProbes = {where.characterFolder + "/max.acs", where.characterFolder + "/plany.acs"};
        where.voiceProbes = {home.path() + "/nowhere/phontab", home.path() + "/espeak/phontab"};
        writeFile(where.programFolder + "/max.acs", "max character");
        writeFile(where.programFolder + "/plany.acs", "plany character");
        writeFile(where.programFolder + "/horalia-deluxe.desktop", "[Desktop Entry]\nName=Horalia Deluxe\n");
        writeFile(home.path() + "/espeak/phontab", "phonemes");
        links.showClock = [this] { calls << QStringLiteral("showClock %1").arg(fake.clock.nowMs()); };
        links.checkboxes = [this] { calls << QStringLiteral("checkboxes %1").arg(fake.clock.nowMs()); };
        links.showAgreement = [this] { calls << "showAgreement"; };
        links.showInstaller = [this] { calls << "showInstaller"; };
    }

    New_User make(horalia::platform::Platform& platform) {
        return New_User(platform, files, autostart, where, links, {"--console"});
    }
    QString autostartTarget() const { return home.path() + "/config/autostart/horalia-deluxe.desktop"; }

    QTemporaryDir home;
    FakePlatform fake{at(9, 0)};
    horalia::platform::LocalFiles files;
    horalia::platform::AutostartEntry autostart{home.path() + "/program/horalia-deluxe.desktop",
                                                home.path() + "/config/autostart/horalia-deluxe.desktop"};
    SetupLocations where;
    New_User::Links links;
    QStringList calls;
    std::unique_ptr<horalia::platform::Timer> endTimer;
};

}  // namespace

TEST_F(NewUserTest, AReturningUserGetsTheClockAndTwoSecondsLaterTheCharacters) {
    fake.settings.set("LastCharacter", "max");
    fake.settings.set("LastCharacter2", "plany");
    fake.settings.writes.clear();
    New_User newUser = make(fake.platform);
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
    New_User newUser = make(fake.platform);
    EXPECT_EQ(newUser.load(), New_User::Outcome::Agreement);
    EXPECT_EQ(calls, QStringList{"showAgreement"});
    EXPECT_EQ(readFile(where.characterFolder + "/max.acs"), "max character");
    EXPECT_EQ(readFile(where.characterFolder + "/plany.acs"), "plany character");
    EXPECT_EQ(fake.program.ends, 0);
    // "I DON'T AGREE" ends the program with nothing stored.
    newUser.Command1_Click();
    EXPECT_EQ(fake.program.ends, 1);
    EXPECT_TRUE(fake.settings.writes.isEmpty());
    EXPECT_TRUE(fake.shell.starts.isEmpty());
}
// "I AGREE" stores the defaults in this order, with the question about the login as step 12, which writes
// only on Yes (the installed program's first run answers No).
TEST_F(NewUserTest, IAgreeStoresTheDefaultsAsksAboutTheLoginAndRestarts) {
    QDir().mkpath(home.path() + "/config/autostart");
    writeFile(autostartTarget(), "old");  // an entry already there is overwritten without a word
    New_User newUser = make(fake.platform);
    ASSERT_EQ(newUser.load(), New_User::Outcome::Agreement);
    fake.dialogs.answers = {Answer::Yes};
    newUser.Command3_Click();
    EXPECT_EQ(fake.settings.writes,
              (QStringList{"Data/LastCharacter=max",
                           "Data/LastCharacter2=plany",
                           "Data/AlarmMessage=This is alarm 1, time to wake up!",
                           "Data/AlarmMessage2=This is alarm 2, time to wake up!",
                           "Data/Announce=10",
                           "Data/BackColour=16777215",
                           "Data/ForeColour=0",
                           "Data/FormX=2000",
                           "Data/FormY=2000",
                           "Data/LoadWithWindows=False",
                           "data/format=1",
                           "Data/LoadWithWindows=True",
                           "Data/QuietTime=0000",
                           "Data/Repeat1=False",
                           "Data/Repeat2=False",
                           "Data/StartupMessage=Right click on the clock, or on the task bar icon, for "
                           "more options",
                           "Data/UserName=Nobody!",
                           "Data/effects1=False",
                           "Data/effects2=True",
                           "Data/minimise=False",
                           "Data/mode=simple"}));
    ASSERT_EQ(fake.dialogs.boxes.size(), 1);
    EXPECT_EQ(fake.dialogs.boxes[0].text,
              "DO YOU WANT HORALIA DELUXE TO START WITH WINDOWS?. If you choose YES, it`s very easy to turn "
              "this feature off in the Main Options menu");
    EXPECT_EQ(fake.dialogs.boxes[0].style, 4);
    EXPECT_EQ(readFile(autostartTarget()), "[Desktop Entry]\nName=Horalia Deluxe\n");
    // The restart through the companion, and the next start finding the settings, are the install test's.
    ASSERT_EQ(fake.shell.starts.size(), 1);
    EXPECT_EQ(fake.program.ends, 1);
}

TEST_F(NewUserTest, AMissingComponentLeadsToTheInstallerScreenNotTheAgreement) {
    {
        SCOPED_TRACE("the voices missing, the engine's characters in place");
        QFile::remove(home.path() + "/espeak/phontab");
        New_User newUser = make(fake.platform);
        EXPECT_EQ(newUser.load(), New_User::Outcome::Installer);
        EXPECT_EQ(calls, QStringList{"showInstaller"});
        EXPECT_EQ(readFile(where.characterFolder + "/max.acs"), "max character");
        EXPECT_TRUE(newUser.engineInstalled());
        EXPECT_FALSE(newUser.voicesInstalled());
    }
    {
        SCOPED_TRACE("a character missing from the program folder and from the engine's folder");
        calls.clear();
        writeFile(home.path() + "/espeak/phontab", "phonemes");
        QFile::remove(where.characterFolder + "/plany.acs");
        QFile::remove(where.programFolder + "/plany.acs");
        New_User newUser = make(fake.platform);
        EXPECT_EQ(newUser.load(), New_User::Outcome::Installer);
        EXPECT_EQ(calls, QStringList{"showInstaller"});
        EXPECT_FALSE(newUser.engineInstalled());
        EXPECT_TRUE(newUser.voicesInstalled());
    }
}
