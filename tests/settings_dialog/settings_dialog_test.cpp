// The settings dialog as a whole: what it shows after loading from the stored settings, the two modes, the
// blinking mode label and the text boxes' select-all.
#include <QTabWidget>

#include "src/platform/paths.h"
#include "src/settings_dialog/help_text.h"
#include "tests/settings_dialog/dialog_fixture.h"

using namespace testsupport;

namespace {

using SettingsLoad = SettingsDialogTest;
using SettingsModes = SettingsDialogTest;

const char* const kAdvancedOnly[] = {
    "Label32", "chk_effects1", "Label33", "chk_effects2", "txt_startupmessage", "Label22", "com_clear1"};

}  // namespace

TEST_F(SettingsLoad, FromNoSettingsShowsTheDefaultsInSimpleModeAndStoresNothing) {
    open();
    EXPECT_EQ(dialog->windowTitle(), "General Settings");
    QTabWidget* tabs = dialog->SSTab1();
    ASSERT_EQ(tabs->count(), 7);
    const QStringList captions{
        "Alarm 1 settings", "Alarm 2 settings", "Characters", "Colours", "Help", "Type and Speak", "Misc"};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(tabs->tabText(i), captions[i]);
    }
    EXPECT_FALSE(tabs->isTabEnabled(1));
    for (const char* name : kAdvancedOnly) {
        EXPECT_TRUE(w(name)->isHidden()) << name;
    }
    EXPECT_EQ(text("txt_hour1"), "99");
    EXPECT_EQ(text("txt_min1"), "99");
    EXPECT_EQ(text("txt_hour2"), "99");
    EXPECT_EQ(text("txt_quiet1"), "00");
    EXPECT_EQ(text("txt_quiet2"), "00");
    EXPECT_EQ(text("com_format"), "24 Hour");
    EXPECT_TRUE(ticked("chk_effects1"));
    EXPECT_TRUE(ticked("chk_effects2"));
    EXPECT_FALSE(ticked("chk_repeat1"));
    EXPECT_FALSE(ticked("chk_hide1"));
    EXPECT_FALSE(ticked("chk_LWW"));
    EXPECT_EQ(text("Combo2"), "");
    EXPECT_EQ(w<QComboBox>("Combo2")->count(), 6);
    EXPECT_EQ(w<QComboBox>("Combo2")->itemText(5), "60");
    EXPECT_EQ(w<QComboBox>("com_format")->itemText(1), "12 Hour am/pm");
    EXPECT_EQ(text("txt_startupmessage"), "Welcome To Horalia Deluxe");
    EXPECT_EQ(text("txt_username"), "Nobody");
    EXPECT_EQ(text("txt_launch1"), "");
    EXPECT_EQ(w<QLabel>("lab_mode")->text(),
              "YOU ARE IN SIMPLE MODE, CLICK HERE ----> CLICK <---- TO CHANGE");
    // The swatches show the colours the clock shows now.
    EXPECT_EQ(w("txt_forecolour")->palette().color(QPalette::Base), QColor(0, 0, 255));
    EXPECT_EQ(w("txt_backcolour")->palette().color(QPalette::Base), QColor(255, 255, 0));
    EXPECT_EQ(said, QStringList{"genie: Main Options, you are in simple mode!"});
    EXPECT_TRUE(fake.settings.writes.isEmpty()) << fake.settings.writes.join(", ").toStdString();
}

TEST_F(SettingsLoad, EveryKeyFillsItsControlWithoutWritingAnythingBack) {
    auto& s = fake.settings;
    s.set("mode", "advanced");
    s.set("AlarmTime1", "0721");
    s.set("AlarmTime2", "2359");
    s.set("Repeat1", "True");
    s.set("Repeat2", "True");
    s.set("Launch1", "/usr/bin/xclock");
    s.set("Launch2", "/opt/wake.sh");
    s.set("AlarmMessage", "Wake up one");
    s.set("AlarmMessage2", "Wake up two");
    s.set("LastCharacter", "max");
    s.set("LastCharacter2", "plany");
    s.set("charhide", "True");
    s.set("charhide2", "True");
    s.set("LoadWithWindows", "True");
    s.set("Announce", "20");
    s.set("StartupMessage", "Hello there");
    s.set("UserName", "Ada");
    s.set("QuietTime", "2207");
    s.write("data", "format", "1");
    s.set("effects1", "False");
    s.set("effects2", "True");
    s.writes.clear();
    open();
    EXPECT_TRUE(dialog->SSTab1()->isTabEnabled(1));
    for (const char* name : kAdvancedOnly) {
        EXPECT_FALSE(w(name)->isHidden()) << name;
    }
    EXPECT_EQ(w<QLabel>("lab_mode")->text(),
              "YOU ARE IN ADVANCED MODE, CLICK HERE ----> CLICK <---- TO CHANGE");
    EXPECT_EQ(text("txt_hour1") + text("txt_min1") + text("txt_hour2") + text("txt_min2"), "07212359");
    EXPECT_TRUE(ticked("chk_repeat1"));
    EXPECT_TRUE(ticked("chk_repeat2"));
    EXPECT_EQ(text("txt_launch1"), "/usr/bin/xclock");
    EXPECT_EQ(text("txt_launch2"), "/opt/wake.sh");
    EXPECT_EQ(text("txt_message1"), "Wake up one");
    EXPECT_EQ(text("txt_message2"), "Wake up two");
    EXPECT_EQ(text("txt_character1"), "max");
    EXPECT_EQ(text("txt_character2"), "plany");
    EXPECT_TRUE(ticked("chk_hide1"));
    EXPECT_TRUE(ticked("chk_hide2"));
    EXPECT_TRUE(ticked("chk_LWW"));
    EXPECT_EQ(text("Combo1"), "max");
    auto* chooser = w<QComboBox>("Combo1");
    ASSERT_EQ(chooser->count(), 2);
    EXPECT_EQ(chooser->itemText(0), "plany");
    EXPECT_EQ(chooser->itemText(1), "max");
    EXPECT_EQ(text("Combo2"), "20");
    EXPECT_EQ(text("txt_startupmessage"), "Hello there");
    EXPECT_EQ(text("txt_username"), "Ada");
    EXPECT_EQ(text("txt_quiet1") + "-" + text("txt_quiet2"), "22-07");
    EXPECT_EQ(text("com_format"), "12 Hour am/pm");
    EXPECT_FALSE(ticked("chk_effects1"));
    EXPECT_TRUE(ticked("chk_effects2"));
    EXPECT_EQ(said, QStringList{"genie: Main Options, you are in advanced mode!"});
    EXPECT_TRUE(s.writes.isEmpty()) << s.writes.join(", ").toStdString();
    // Loading ran no handler: nothing waited, nothing was asked.
    EXPECT_EQ(fake.clock.nowMs(), at(0, 7).toMSecsSinceEpoch());
    EXPECT_TRUE(fake.dialogs.boxes.isEmpty());
}

TEST_F(SettingsLoad, GarbageValuesShowAsTheyAreAndNeverCrash) {
    auto& s = fake.settings;
    s.set("mode", "Simple");
    s.set("AlarmTime1", "7");
    s.set("AlarmTime2", "");
    s.set("QuietTime", "\x01\x02xyz\xff");
    s.write("data", "format", "24");
    s.set("effects1", "true");
    s.set("effects2", "");
    s.set("Repeat1", "yes");
    s.set("LoadWithWindows", "1");
    s.set("Announce", "-3.5e9");
    s.writes.clear();
    open();
    // An unknown mode: every control visible, the label keeps its first caption.
    EXPECT_TRUE(dialog->SSTab1()->isTabEnabled(1));
    for (const char* name : kAdvancedOnly) {
        EXPECT_FALSE(w(name)->isHidden()) << name;
    }
    EXPECT_EQ(w<QLabel>("lab_mode")->text(),
              "YOU ARE IN SIMPLE MODE, CLICK HERE ----> CLICK <---- TO CHANGE");
    EXPECT_EQ(text("txt_hour1"), "7");
    EXPECT_EQ(text("txt_min1"), "");
    EXPECT_EQ(text("txt_hour2"), "");
    EXPECT_EQ(text("txt_quiet1"), QString("\x01\x02"));
    EXPECT_EQ(text("com_format"), "12 Hour am/pm");
    EXPECT_FALSE(ticked("chk_effects1"));
    EXPECT_FALSE(ticked("chk_effects2"));
    EXPECT_FALSE(ticked("chk_repeat1"));
    EXPECT_FALSE(ticked("chk_LWW"));
    EXPECT_EQ(text("Combo2"), "-3.5e9");
    EXPECT_EQ(said, QStringList{"genie: Main Options, you are in Simple mode!"});
    EXPECT_TRUE(s.writes.isEmpty());

    // The unknown mode stays: a click on the label does nothing at all.
    QTest::mouseClick(w("lab_mode"), Qt::LeftButton);
    EXPECT_TRUE(s.writes.isEmpty());
    EXPECT_TRUE(fake.shell.starts.isEmpty());
    EXPECT_TRUE(calls.isEmpty());
}

TEST_F(SettingsLoad, AnEmptyModeLeavesTwoBlanksInTheGreeting) {
    fake.settings.set("mode", "");
    open();
    EXPECT_EQ(said, QStringList{"genie: Main Options, you are in  mode!"});
}

TEST_F(SettingsLoad, ControlsCarryTheirCaptionsAndTooltips) {
    open();
    EXPECT_EQ(w<QLabel>("Label2")->text(), "Alarm set for");
    EXPECT_EQ(w<QLabel>("Label9")->text(), "Alarm set for");
    EXPECT_EQ(w<QLabel>("Label28")->text(), "Please use 24 hour format");
    EXPECT_EQ(w<QLabel>("Label7")->text(), "Program to launch with alarm 2");
    EXPECT_EQ(w<QLabel>("Label5")->text(), "Alarm 1 spoken message, you may type in a new one");
    EXPECT_EQ(w("txt_hour1")->toolTip(), "Enter your new alarm hour in here");
    EXPECT_EQ(w("txt_min2")->toolTip(), "Enter your new alarm minute in here and then click SET");
    EXPECT_EQ(w<QPushButton>("com_set1")->text(), "SET");
    EXPECT_EQ(w<QPushButton>("com_clear2")->text(), "Clear this alarm");
    EXPECT_TRUE(w<QLineEdit>("txt_launch1")->isReadOnly());
    EXPECT_EQ(w("txt_launch2")->toolTip(), "This program will launch with alarm 2");
    EXPECT_EQ(w<QLabel>("Label11")->text(), "Character 1 is ");
    EXPECT_EQ(w<QLabel>("Label33")->text(), "Turn off character 2 sound effects");
    EXPECT_EQ(w("txt_quiet1")->toolTip(), "This is the HOUR to be quet FROM");
    EXPECT_EQ(w<QLineEdit>("txt_quiet2")->maxLength(), 2);
    EXPECT_EQ(w<QLabel>("Label25")->text(), "The clock will `Whisper` between");
    EXPECT_EQ(w<QLabel>("Label15")->text(), "This the is current clock text colour");
    EXPECT_TRUE(w<QPlainTextEdit>("Text1")->isReadOnly());
    EXPECT_EQ(
        w<QPlainTextEdit>("txt_speech")->toPlainText(),
        "Type in some text, whatever you want to hear back \nand then press Click Here To Speak. You can "
        "also \nuse \\emp\\Special commands like that or \n\\chr=\"Whisper\"\\commands like whisper\n");
    EXPECT_EQ(w<QPushButton>("com_speak")->text(), "CLICK HERE TO SPEAK");
    EXPECT_EQ(w<QLabel>("Label17")->text(), "Start Horalia Deluxe with Windows");
    EXPECT_EQ(w("chk_LWW")->toolTip(), "Click here to make horalia start with windows");
    EXPECT_EQ(w<QPushButton>("Command2")->toolTip(), "Click here to confirm your choice");
    EXPECT_EQ(w<QLabel>("Label22")->text(), "This is your current Start Up Message (for character 2)");
}

TEST_F(SettingsLoad, FitsASmallScreenWithEveryLabelBesideItsControl) {
    fake.settings.set("mode", "advanced");
    open(0);
    EXPECT_LE(dialog->width(), 1024);
    EXPECT_LE(dialog->height(), 768);
    EXPECT_LE(dialog->minimumSizeHint().width(), 1024);
    EXPECT_LE(dialog->minimumSizeHint().height(), 768);
    // Every check box's caption is its buddy, so a click or mnemonic on the label reaches the box.
    for (const char* pair :
         {"chk_repeat1:Label1", "chk_hide2:Label13", "chk_effects1:Label32", "chk_LWW:Label17"}) {
        const QStringList names = QString::fromLatin1(pair).split(':');
        EXPECT_EQ(dialog->findChild<QLabel*>(names[1])->buddy(), dialog->findChild<QWidget*>(names[0]))
            << pair;
    }
    // Tab order runs through the alarm page as it reads: hour, minute, SET.
    auto nextStop = [](QWidget* from) {
        QWidget* next = from->nextInFocusChain();
        while (next != from && !(next->focusPolicy() & Qt::TabFocus)) {
            next = next->nextInFocusChain();
        }
        return next;
    };
    EXPECT_EQ(nextStop(w("txt_hour1")), w("txt_min1"));
    EXPECT_EQ(nextStop(w("txt_min1")), w("com_set1"));
    EXPECT_EQ(nextStop(w("com_set1")), w("com_clear1"));
    EXPECT_EQ(nextStop(w("txt_quiet1")), w("txt_quiet2"));
    EXPECT_EQ(nextStop(w("txt_quiet2")), w("com_setquiet"));
}

TEST_F(SettingsLoad, OpeningAgainKeepsWhatWasTypedAndDoesNotGreetAgain) {
    open(0);
    w<QLineEdit>("txt_hour1")->setText("12");
    dialog->showPage(6);
    EXPECT_EQ(dialog->SSTab1()->currentIndex(), 6);
    EXPECT_EQ(text("txt_hour1"), "12");
    EXPECT_EQ(said.size(), 1);
    // Alarm 2 cannot be chosen in simple mode.
    dialog->showPage(1);
    EXPECT_EQ(dialog->SSTab1()->currentIndex(), 6);
}

TEST_F(SettingsLoad, HelpTextCoversEveryTopic) {
    open(4);
    const QString help = w<QPlainTextEdit>("Text1")->toPlainText();
    EXPECT_EQ(help, horalia::settings_dialog::helpText());
    for (const char* topic :
         {"ADVANCED", "MAIN OPTIONS", "How to:", "double-click the clock", "Type and Speak", "SET", "Cancel",
          "hide", "Change the characters", "Hide character 1 after talking", "announced", "24 hour format",
          "colour", "log in", "start-up message", "back to the clock", "version", "Exit"}) {
        EXPECT_TRUE(help.contains(QString::fromLatin1(topic))) << topic;
    }
}

TEST_F(SettingsModes, TheModeLabelBlinksEveryHalfSecondOnEveryPage) {
    open(0);
    auto colour = [this] { return w("lab_mode")->palette().color(QPalette::Window); };
    const QColor menu = colour();
    EXPECT_NE(menu, QColor(255, 0, 0));
    fake.clock.advanceBy(499);
    EXPECT_EQ(colour(), menu);
    fake.clock.advanceBy(1);
    EXPECT_EQ(colour(), QColor(255, 0, 0));
    EXPECT_EQ(dialog->logic().modeLabelColour(), horalia::settings_dialog::kRed);
    dialog->showPage(3);
    fake.clock.advanceBy(500);
    EXPECT_EQ(colour(), menu);
    EXPECT_EQ(dialog->logic().modeLabelColour(), horalia::settings_dialog::kMenuColour);
    fake.clock.advanceBy(10 * 500);
    EXPECT_EQ(colour(), menu);
    fake.clock.advanceBy(500);
    EXPECT_EQ(colour(), QColor(255, 0, 0));
}

TEST_F(SettingsModes, ClickingTheModeLabelSwitchesModeStartsTheCompanionAndEndsTheClock) {
    open(6);
    QTest::mouseClick(w("lab_mode"), Qt::LeftButton);
    EXPECT_EQ(fake.settings.get("mode"), "advanced");
    ASSERT_EQ(fake.shell.starts.size(), 1);
    EXPECT_TRUE(fake.shell.starts[0].path.endsWith("/reboot"));
    EXPECT_EQ(fake.shell.starts[0].style, horalia::platform::WindowStyle::NormalFocus);
    EXPECT_EQ(calls, QStringList{"unloadClock"});
    EXPECT_EQ(fake.program.ends, 1);
}

TEST_F(SettingsModes, AdvancedSwitchesBackToSimpleAndAMissingCompanionStillEndsTheClock) {
    fake.settings.set("mode", "advanced");
    fake.shell.failing.insert(horalia::platform::programFile("reboot"));
    open(6);
    QTest::mouseClick(w("lab_mode"), Qt::LeftButton);
    EXPECT_EQ(fake.settings.get("mode"), "simple");
    EXPECT_EQ(fake.shell.starts.size(), 1);
    EXPECT_EQ(fake.program.ends, 1);
}

TEST_F(SettingsModes, TextBoxesSelectTheirWholeTextOnFocus) {
    fake.settings.set("mode", "advanced");
    fake.settings.set("AlarmMessage", "Get up");
    open(0);
    dialog->activateWindow();
    for (const char* name : {"txt_hour1", "txt_min1", "txt_message1"}) {
        auto* box = w<QLineEdit>(name);
        box->deselect();
        box->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        EXPECT_EQ(box->selectedText(), box->text()) << name;
        EXPECT_FALSE(box->text().isEmpty());
    }
    dialog->showPage(5);
    auto* speech = w<QPlainTextEdit>("txt_speech");
    speech->setFocus(Qt::MouseFocusReason);
    QCoreApplication::processEvents();
    EXPECT_EQ(speech->textCursor().selectedText().size(), speech->toPlainText().size());
}
