// The handlers of the pages: each one checks what the user entered, stores it at once and confirms it.
#include <QFile>

#include "src/platform/paths.h"
#include "tests/settings_dialog/dialog_fixture.h"

using namespace testsupport;
using horalia::platform::Answer;

namespace {

using AlarmPages = SettingsDialogTest;
using TimePages = SettingsDialogTest;
using CharacterPages = SettingsDialogTest;

const QString kInvalidTime = "You must enter a valid time in 24 hour format";
const QString kTwoDigits = "You must enter TWO digits in each time box, e.g. 02 21";

}  // namespace

TEST_F(AlarmPages, SetRejectsTimesOutOfRangeOrShortAndKeepsTheInput) {
    open(0);
    const struct {
        const char* hour;
        const char* minute;
        QString message;
    } cases[] = {{"24", "00", kInvalidTime}, {"12", "60", kInvalidTime}, {"ab", "30", kInvalidTime},
                 {"", "30", kInvalidTime},   {"-1", "30", kInvalidTime}, {"7", "30", kTwoDigits},
                 {"07", "5", kTwoDigits}};
    for (const auto& c : cases) {
        fake.dialogs.boxes.clear();
        type("txt_hour1", c.hour);
        type("txt_min1", c.minute);
        click("com_set1");
        ASSERT_EQ(fake.dialogs.boxes.size(), 1) << c.hour << ":" << c.minute;
        EXPECT_EQ(fake.dialogs.boxes[0].text, c.message) << c.hour << ":" << c.minute;
        EXPECT_EQ(fake.dialogs.boxes[0].style, 0);
        EXPECT_EQ(text("txt_hour1"), c.hour);
    }
    EXPECT_TRUE(writesOf("AlarmTime1").isEmpty());
    EXPECT_EQ(said.size(), 1);  // the greeting only
}

TEST_F(AlarmPages, SetStoresTheTimeAsTypedAndTheOtherCharacterConfirms) {
    fake.settings.set("mode", "advanced");
    open(0);
    said.clear();
    type("txt_hour1", "07");
    type("txt_min1", "30");
    click("com_set1");
    EXPECT_EQ(fake.settings.get("AlarmTime1"), "0730");
    type("txt_hour1", "007");
    click("com_set1");
    EXPECT_EQ(fake.settings.get("AlarmTime1"), "00730");
    // Bounds are inclusive; a fraction within them passes.
    type("txt_hour2", "23");
    type("txt_min2", "59");
    click("com_set2");
    EXPECT_EQ(fake.settings.get("AlarmTime2"), "2359");
    type("txt_hour2", "00");
    type("txt_min2", "0.5");
    click("com_set2");
    EXPECT_EQ(fake.settings.get("AlarmTime2"), "000.5");
    EXPECT_EQ(said, (QStringList{"peedy: Your alarm has been set", "peedy: Your alarm has been set",
                                 "genie: Your alarm has been set", "genie: Your alarm has been set"}));
    EXPECT_TRUE(fake.dialogs.boxes.isEmpty());
}

TEST_F(AlarmPages, ClearRepeatLaunchAndMessageStoreAtOnce) {
    fake.settings.set("mode", "advanced");
    fake.settings.set("AlarmTime1", "0615");
    open(0);
    click("com_clear1");
    EXPECT_EQ(fake.settings.get("AlarmTime1"), "9999");
    EXPECT_EQ(text("txt_hour1") + text("txt_min1"), "9999");
    EXPECT_EQ(fake.dialogs.beeps, 1);

    // The stored value decides the repeat box, starting from a missing key.
    QTest::mouseClick(w("chk_repeat1"), Qt::LeftButton);
    EXPECT_TRUE(ticked("chk_repeat1"));
    QTest::mouseClick(w("chk_repeat1"), Qt::LeftButton);
    EXPECT_FALSE(ticked("chk_repeat1"));
    EXPECT_EQ(writesOf("Repeat1"), (QStringList{"True", "False"}));
    fake.settings.set("Repeat2", "True");  // out of step with the unticked box
    dialog->showPage(1);
    QTest::mouseClick(w("chk_repeat2"), Qt::LeftButton);
    EXPECT_FALSE(ticked("chk_repeat2"));
    EXPECT_EQ(fake.settings.get("Repeat2"), "False");

    fake.dialogs.files = QStringList{"/usr/bin/xclock", ""};
    click("com_change1");
    EXPECT_EQ(fake.settings.get("Launch1"), "/usr/bin/xclock");
    EXPECT_EQ(text("txt_launch1"), "/usr/bin/xclock");
    ASSERT_EQ(fake.dialogs.fileDialogs.size(), 1);
    EXPECT_TRUE(fake.dialogs.fileDialogs[0].startsWith(
        "Program files (*.exe)|*.exe|Pif files (*.pif)|*.pif|Batch files (*.bat)|*.bat|"));
    click("com_change1");  // cancelled: the launch program goes
    EXPECT_EQ(fake.settings.get("Launch1"), "");
    EXPECT_EQ(text("txt_launch1"), "");
    EXPECT_EQ(fake.dialogs.beeps, 3);
}

TEST_F(TimePages, IntervalWaitsASecondAndARunStartedDuringTheWaitRunsInsideIt) {
    open(2);
    said.clear();
    auto* interval = w<QComboBox>("Combo2");
    // The second key arrives half a second after the first, during the first run's wait.
    std::unique_ptr<horalia::platform::Timer> secondKey = fake.clock.createTimer();
    secondKey->start(500, [interval] { QTest::keyClick(interval->lineEdit(), '0'); });
    const qint64 start = fake.clock.nowMs();
    QTest::keyClick(interval->lineEdit(), '3');
    EXPECT_EQ(fake.clock.nowMs() - start, 1500);
    EXPECT_EQ(writesOf("Announce"), (QStringList{"30", "30"}));
    EXPECT_EQ(said, (QStringList{"genie: I will announce the time, every 30 minutes!",
                                 "genie: I will announce the time, every 30 minutes!"}));
}

TEST_F(TimePages, IntervalChecksTheRange) {
    open(2);
    said.clear();
    auto* interval = w<QComboBox>("Combo2");
    interval->setEditText("0");
    EXPECT_EQ(fake.settings.get("Announce"), "0");
    interval->setEditText("61");
    interval->setEditText("x");
    interval->setEditText("");  // emptied: nothing at all
    EXPECT_EQ(writesOf("Announce"), QStringList{"0"});
    const QString invalid =
        "genie: Hey, you entered an invalid number, please choose one between zero and 60";
    EXPECT_EQ(said, (QStringList{"genie: I will announce the time, every 0 minutes!", invalid, invalid}));
    // Choosing from the list counts as a change too.
    interval->setCurrentIndex(interval->findText("60"));
    EXPECT_EQ(fake.settings.get("Announce"), "60");
}

TEST_F(TimePages, IntervalHintIsForAMoveToTheBoxNotForItsFocusComingBackWithTheWindowOrAList) {
    open(2);
    said.clear();
    auto* interval = w<QComboBox>("Combo2");
    auto send = [interval](QEvent::Type type, Qt::FocusReason reason) {
        QFocusEvent event(type, reason);
        QCoreApplication::sendEvent(interval, &event);
    };
    int moves = 0;
    for (Qt::FocusReason reason :
         {Qt::TabFocusReason, Qt::BacktabFocusReason, Qt::MouseFocusReason, Qt::ShortcutFocusReason,
          Qt::OtherFocusReason, Qt::ActiveWindowFocusReason, Qt::PopupFocusReason}) {
        // Away and back for the same reason: another window or the box's own drop-down list.
        send(QEvent::FocusOut, reason);
        send(QEvent::FocusIn, reason);
        moves += reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
        EXPECT_EQ(said.size(), moves) << reason;
    }
    // Given the focus while the window was in the background, away from another box, the box gets it only as
    // the window comes forward: that is a move to it.
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(w("txt_quiet1"), &away);
    send(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    EXPECT_EQ(said, (QStringList(6, "peedy: You can enter any number between 1 and 60 in this box")));
}

TEST_F(TimePages, FormatSwitchStoresAndRedrawsTheClockAtOnce) {
    open(6);
    auto* format = w<QComboBox>("com_format");
    format->setEditText("24 hour");
    click("Command2");
    ASSERT_EQ(boxTexts(), QStringList{"You didn`t enter a correct format, please try again"});
    EXPECT_TRUE(writesOf("format").isEmpty());

    format->setEditText("12 Hour am/pm");
    click("Command2");
    EXPECT_EQ(fake.settings.read("data", "format"), "1");
    EXPECT_EQ(view.text, "12:07am");
    EXPECT_FALSE(view.twentyFourHour);
    EXPECT_EQ(view.geometry.height, 525);
    format->setCurrentIndex(0);
    click("Command2");
    EXPECT_EQ(fake.settings.read("data", "format"), "0");
    EXPECT_EQ(view.text, "00:07");
    EXPECT_TRUE(view.twentyFourHour);
    EXPECT_EQ(view.geometry.height, 750);
    EXPECT_EQ(fake.dialogs.beeps, 2);
}

TEST_F(TimePages, QuietHoursGetALeadingZeroAndAreCheckedBeforeTheyAreStored) {
    open(2);
    said.clear();
    type("txt_quiet1", "5");
    type("txt_quiet2", "7");
    click("com_setquiet");
    EXPECT_EQ(text("txt_quiet1") + "," + text("txt_quiet2"), "05,07");
    EXPECT_EQ(fake.settings.get("QuietTime"), "0507");
    EXPECT_EQ(fake.dialogs.beeps, 1);
    EXPECT_EQ(said, QStringList{"peedy: \\chr=\"Whisper\"\\We will whisper between 05 and 07 hours"});
    said.clear();
    for (const char* bad : {"24", "", "x"}) {
        type("txt_quiet1", bad);
        type("txt_quiet2", "07");
        click("com_setquiet");
    }
    EXPECT_EQ(text("txt_quiet1"), "0x");  // the zero is added before the check
    EXPECT_EQ(writesOf("QuietTime"), QStringList{"0507"});
    EXPECT_EQ(said,
              QStringList(3, "peedy: Hey, you did not enter a vaild hour from and to, please try again"));
}

TEST_F(CharacterPages, SoundEffectsAskToRestartAndYesRestartsTheClock) {
    fake.settings.set("mode", "advanced");
    open(2);
    // A missing key counts as "True": the first click turns the effects on.
    fake.dialogs.answers = {Answer::No, Answer::Yes};
    QTest::mouseClick(w("chk_effects1"), Qt::LeftButton);
    EXPECT_FALSE(ticked("chk_effects1"));
    EXPECT_EQ(fake.settings.get("effects1"), "False");
    ASSERT_EQ(fake.dialogs.boxes.size(), 1);
    EXPECT_EQ(fake.dialogs.boxes[0].title, "Warning!");
    EXPECT_EQ(fake.dialogs.boxes[0].style, 4);
    EXPECT_TRUE(fake.dialogs.boxes[0].text.startsWith("You will need to re start Horalia Deluxe for this"));
    EXPECT_TRUE(fake.shell.starts.isEmpty());  // No: keeps running with the new value
    EXPECT_TRUE(calls.isEmpty());

    QTest::mouseClick(w("chk_effects2"), Qt::LeftButton);
    EXPECT_EQ(fake.settings.get("effects2"), "False");
    ASSERT_EQ(fake.shell.starts.size(), 1);
    EXPECT_EQ(fake.shell.starts[0].path, horalia::platform::programFile("reboot"));
    EXPECT_EQ(calls, QStringList{"unloadClock"});
    EXPECT_EQ(fake.program.ends, 1);
}

TEST_F(CharacterPages, HidingAndStartWithLoginFollowTheStoredValue) {
    open(2);
    said.clear();
    QTest::mouseClick(w("chk_hide1"), Qt::LeftButton);
    EXPECT_TRUE(ticked("chk_hide1"));
    EXPECT_EQ(fake.settings.get("charhide"), "True");
    QTest::mouseClick(w("chk_hide1"), Qt::LeftButton);
    EXPECT_EQ(fake.settings.get("charhide"), "False");

    QFile source(autostart.source());
    ASSERT_TRUE(source.open(QIODevice::WriteOnly));
    source.write("[Desktop Entry]\nName=Horalia Deluxe\n");
    source.close();
    dialog->showPage(6);
    QTest::mouseClick(w("chk_LWW"), Qt::LeftButton);
    EXPECT_TRUE(ticked("chk_LWW"));
    EXPECT_EQ(fake.settings.get("LoadWithWindows"), "True");
    EXPECT_TRUE(QFile::exists(autostart.target()));
    QTest::mouseClick(w("chk_LWW"), Qt::LeftButton);
    EXPECT_FALSE(ticked("chk_LWW"));
    EXPECT_EQ(fake.settings.get("LoadWithWindows"), "False");
    EXPECT_FALSE(QFile::exists(autostart.target()));
    // Removing an entry that is not there changes the setting all the same.
    fake.settings.set("LoadWithWindows", "True");
    QTest::mouseClick(w("chk_LWW"), Qt::LeftButton);
    EXPECT_EQ(fake.settings.get("LoadWithWindows"), "False");
    EXPECT_EQ(said, (QStringList{"peedy: Horalia will now start with windows",
                                 "genie: Horalia will no longer start when windows does!",
                                 "genie: Horalia will no longer start when windows does!"}));
}

TEST_F(CharacterPages, ChangingACharacterClosesTheDialogWhateverWasChosen) {
    open(2);
    click("com_changechar1");
    click("com_changechar2");
    EXPECT_EQ(calls, (QStringList{"newcharacter", "closeDialog", "newcharacter2", "closeDialog"}));
}

TEST_F(CharacterPages, ColoursAreAppliedAndStoredEvenAfterACancel) {
    open(3);
    colours.answers = {255, std::nullopt};
    click("com_changefore");
    EXPECT_EQ(fake.settings.get("ForeColour"), "255");
    EXPECT_EQ(view.foreColour, 255);
    EXPECT_EQ(w("txt_forecolour")->palette().color(QPalette::Base), QColor(255, 0, 0));
    click("com_changeback");  // cancelled: the colour held from last time
    EXPECT_EQ(fake.settings.get("BackColour"), "255");
    EXPECT_EQ(view.backColour, 255);
    EXPECT_EQ(w("txt_backcolour")->palette().color(QPalette::Base), QColor(255, 0, 0));
    colours.answers = {16711680};
    click("com_changeback");
    EXPECT_EQ(fake.settings.get("BackColour"), "16711680");
    EXPECT_EQ(w("txt_backcolour")->palette().color(QPalette::Base), QColor(0, 0, 255));
    EXPECT_EQ(fake.dialogs.beeps, 3);
}

TEST_F(CharacterPages, TypeAndSpeakChoosesTheSpeakerByTheExactName) {
    fake.settings.set("LastCharacter", "max");
    fake.settings.set("LastCharacter2", "plany");
    open(5);
    said.clear();
    auto* speech = w<QPlainTextEdit>("txt_speech");
    speech->setPlainText("Hello \\emp\\there");
    click("com_speak");
    auto* chooser = w<QComboBox>("Combo1");
    chooser->setCurrentIndex(0);  // plany
    click("com_speak");
    chooser->setEditText("Max");
    click("com_speak");
    EXPECT_EQ(said, (QStringList{"genie: Hello \\emp\\there", "peedy: Hello \\emp\\there",
                                 "peedy: Hello \\emp\\there"}));
    EXPECT_EQ(speech->toPlainText(), "Hello \\emp\\there");
}

TEST_F(CharacterPages, MessagesAndTheUserNameStoreEveryKeystroke) {
    fake.settings.set("mode", "advanced");
    open(6);
    for (const auto& [box, key] : {std::pair{"txt_username", "UserName"},
                                   {"txt_startupmessage", "StartupMessage"},
                                   {"txt_message1", "AlarmMessage"},
                                   {"txt_message2", "AlarmMessage2"}}) {
        w<QLineEdit>(box)->clear();
        fake.settings.writes.clear();
        QTest::keyClicks(w(box), "Hi!");
        EXPECT_EQ(writesOf(key), (QStringList{"H", "Hi", "Hi!"})) << box;
    }
}
