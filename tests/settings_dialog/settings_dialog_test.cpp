// The settings dialog as a whole: what it shows after loading from the stored settings, the two modes, the
// blinking mode label and the text boxes' select-all.
#include <QTabWidget>

#include "src/platform/paths.h"
#include "tests/settings_dialog/dialog_fixture.h"

using namespace testsupport;

namespace {

using SettingsModes = SettingsDialogTest;

const char* const kAdvancedOnly[] = {
    "Label32", "chk_effects1", "Label33", "chk_effects2", "txt_startupmessage", "Label22", "com_clear1"};

class SettingsLoad : public SettingsDialogTest {
protected:
    // Each entry is "key=value".
    void store(const QStringList& entries) {
        for (const QString& entry : entries) {
            fake.settings.set(entry.section(u'=', 0, 0), entry.section(u'=', 1));
        }
    }
    // What a control shows: its text, or "[x]" / "[ ]" for a check box.
    QString shown(const QString& name) const {
        if (auto* box = dialog->findChild<QCheckBox*>(name)) {
            return box->isChecked() ? "[x]" : "[ ]";
        }
        if (auto* label = dialog->findChild<QLabel*>(name)) {
            return label->text();
        }
        if (auto* button = dialog->findChild<QPushButton*>(name)) {
            return button->text();
        }
        return text(name.toLatin1().constData());
    }
    // Each entry is "control=what it shows"; one list, so that a failure names every control that differs.
    void expectShown(const QStringList& expected) const {
        QStringList got;
        for (const QString& entry : expected) {
            const QString name = entry.section(u'=', 0, 0);
            got << name + '=' + shown(name);
        }
        EXPECT_EQ(got, expected);
    }
    void expectAdvancedControls(bool visible) const {
        EXPECT_EQ(dialog->SSTab1()->isTabEnabled(1), visible);
        for (const char* name : kAdvancedOnly) {
            EXPECT_EQ(w(name)->isHidden(), !visible) << name;
        }
    }
};

const QString kSimpleLabel = "YOU ARE IN SIMPLE MODE, CLICK HERE ----> CLICK <---- TO CHANGE";

}  // namespace

TEST_F(SettingsLoad, FromNoSettingsShowsTheDefaultsInSimpleModeAndStoresNothing) {
    open();
    EXPECT_EQ(dialog->windowTitle(), "General Settings");
    QTabWidget* tabs = dialog->SSTab1();
    QStringList captions;
    for (int i = 0; i < tabs->count(); ++i) {
        captions << tabs->tabText(i);
    }
    EXPECT_EQ(captions, (QStringList{"Alarm 1 settings", "Alarm 2 settings", "Characters", "Colours", "Help",
                                     "Type and Speak", "Misc"}));
    expectAdvancedControls(false);
    expectShown({"txt_hour1=99", "txt_min1=99", "txt_hour2=99", "txt_quiet1=00", "txt_quiet2=00",
                 "com_format=24 Hour", "chk_effects1=[x]", "chk_effects2=[x]", "chk_repeat1=[ ]",
                 "chk_hide1=[ ]", "chk_LWW=[ ]", "Combo2=", "txt_startupmessage=Welcome To Horalia Deluxe",
                 "txt_username=Nobody", "txt_launch1=", "lab_mode=" + kSimpleLabel});
    // The swatches show the colours the clock shows now.
    EXPECT_EQ(w("txt_forecolour")->palette().color(QPalette::Base), QColor(0, 0, 255));
    EXPECT_EQ(w("txt_backcolour")->palette().color(QPalette::Base), QColor(255, 255, 0));
    EXPECT_EQ(said, QStringList{"genie: Main Options, you are in simple mode!"});
    EXPECT_TRUE(fake.settings.writes.isEmpty()) << fake.settings.writes.join(", ").toStdString();
}

TEST_F(SettingsLoad, EveryKeyFillsItsControlWithoutWritingAnythingBack) {
    store({"mode=advanced", "AlarmTime1=0721", "AlarmTime2=2359", "Repeat1=True", "Repeat2=True",
           "Launch1=/usr/bin/xclock", "Launch2=/opt/wake.sh", "AlarmMessage=Wake up one",
           "AlarmMessage2=Wake up two", "LastCharacter=max"});
    store({"LastCharacter2=plany", "charhide=True", "charhide2=True", "LoadWithWindows=True", "Announce=20",
           "StartupMessage=Hello there", "UserName=Ada", "QuietTime=2207", "effects1=False",
           "effects2=True"});
    fake.settings.put("data", "format", "1");
    fake.settings.writes.clear();
    open();
    expectAdvancedControls(true);
    expectShown({"txt_hour1=07", "txt_min1=21", "txt_hour2=23", "txt_min2=59", "chk_repeat1=[x]",
                 "chk_repeat2=[x]", "txt_launch1=/usr/bin/xclock", "txt_launch2=/opt/wake.sh",
                 "txt_message1=Wake up one", "txt_message2=Wake up two", "txt_character1=max",
                 "txt_character2=plany"});
    expectShown({"chk_hide1=[x]", "chk_hide2=[x]", "chk_LWW=[x]", "Combo1=max", "Combo2=20",
                 "txt_startupmessage=Hello there", "txt_username=Ada", "txt_quiet1=22", "txt_quiet2=07",
                 "com_format=12 Hour am/pm", "chk_effects1=[ ]", "chk_effects2=[x]",
                 "lab_mode=YOU ARE IN ADVANCED MODE, CLICK HERE ----> CLICK <---- TO CHANGE"});
    auto* chooser = w<QComboBox>("Combo1");
    ASSERT_EQ(chooser->count(), 2);
    EXPECT_EQ(chooser->itemText(0), "plany");
    EXPECT_EQ(chooser->itemText(1), "max");
    EXPECT_EQ(said, QStringList{"genie: Main Options, you are in advanced mode!"});
    EXPECT_TRUE(fake.settings.writes.isEmpty()) << fake.settings.writes.join(", ").toStdString();
    // Loading ran no handler: nothing waited, nothing was asked.
    EXPECT_EQ(fake.clock.nowMs(), at(0, 7).toMSecsSinceEpoch());
    EXPECT_TRUE(fake.dialogs.boxes.isEmpty());
}

TEST_F(SettingsLoad, GarbageValuesShowAsTheyAreAndNeverCrash) {
    store({"mode=Simple", "AlarmTime1=7", "AlarmTime2=", "QuietTime=\x01\x02xyz\xff", "effects1=true",
           "effects2=", "Repeat1=yes", "LoadWithWindows=1", "Announce=-3.5e9"});
    fake.settings.put("data", "format", "24");
    fake.settings.writes.clear();
    open();
    // An unknown mode: every control visible, the label keeps its first caption.
    expectAdvancedControls(true);
    expectShown({"lab_mode=" + kSimpleLabel, "txt_hour1=7", "txt_min1=", "txt_hour2=", "txt_quiet1=\x01\x02",
                 "com_format=12 Hour am/pm", "chk_effects1=[ ]", "chk_effects2=[ ]", "chk_repeat1=[ ]",
                 "chk_LWW=[ ]", "Combo2=-3.5e9"});
    EXPECT_EQ(said, QStringList{"genie: Main Options, you are in Simple mode!"});
    EXPECT_TRUE(fake.settings.writes.isEmpty());

    // The unknown mode stays: a click on the label does nothing at all.
    QTest::mouseClick(w("lab_mode"), Qt::LeftButton);
    EXPECT_TRUE(fake.settings.writes.isEmpty());
    EXPECT_TRUE(fake.shell.starts.isEmpty());
    EXPECT_TRUE(calls.isEmpty());
}

TEST_F(SettingsLoad, AnEmptyModeLeavesTwoBlanksInTheGreeting) {
    fake.settings.set("mode", "");
    open();
    EXPECT_EQ(said, QStringList{"genie: Main Options, you are in  mode!"});
}

// The launch box is filled only through the file dialog, and the quiet hours take two digits.
TEST_F(SettingsLoad, BoxesTheUserMayNotTypeFreely) {
    open(4);
    EXPECT_TRUE(w<QLineEdit>("txt_launch1")->isReadOnly());
    EXPECT_EQ(w<QLineEdit>("txt_quiet2")->maxLength(), 2);
    EXPECT_TRUE(w<QPlainTextEdit>("Text1")->isReadOnly());
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

TEST_F(SettingsLoad, AlarmTwoCannotBeChosenInSimpleMode) {
    open(6);
    dialog->showPage(1);
    EXPECT_EQ(dialog->SSTab1()->currentIndex(), 6);
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

TEST_F(SettingsModes, TextBoxesSelectAllWhenTheFocusMovesToThemNotWhenItComesBackWithTheWindow) {
    fake.settings.set("mode", "advanced");
    fake.settings.set("AlarmMessage", "Get up");
    fake.settings.set("QuietTime", "2207");
    open(0);
    // The focus leaves a box and comes back to it for the same reason; only a window or a popup hands it
    // back.
    const std::pair<Qt::FocusReason, bool> reasons[] = {
        {Qt::TabFocusReason, true},      {Qt::BacktabFocusReason, true}, {Qt::MouseFocusReason, true},
        {Qt::ShortcutFocusReason, true}, {Qt::OtherFocusReason, true},   {Qt::ActiveWindowFocusReason, false},
        {Qt::PopupFocusReason, false}};
    auto leaveAndReturn = [](QWidget* box, Qt::FocusReason reason) {
        QFocusEvent out(QEvent::FocusOut, reason);
        QCoreApplication::sendEvent(box, &out);
        QFocusEvent in(QEvent::FocusIn, reason);
        QCoreApplication::sendEvent(box, &in);
    };
    for (const auto& [reason, selects] : reasons) {
        for (const char* name : {"txt_hour1", "txt_min1", "txt_min2", "txt_quiet1", "txt_message1"}) {
            auto* box = w<QLineEdit>(name);
            // Where the user left the cursor, with part of the text chosen.
            box->setSelection(1, 1);
            leaveAndReturn(box, reason);
            EXPECT_EQ(box->selectedText(), selects ? box->text() : box->text().mid(1, 1))
                << name << " " << reason;
        }
        auto* speech = w<QPlainTextEdit>("txt_speech");
        QTextCursor cursor = speech->textCursor();
        cursor.setPosition(3);
        speech->setTextCursor(cursor);
        leaveAndReturn(speech, reason);
        EXPECT_EQ(speech->textCursor().selectedText().size(), selects ? speech->toPlainText().size() : 0)
            << reason;
    }
    // Given the focus while the window was in the background (as "Main Options" does with the hour box), a
    // box gets it only when the window comes forward: that is still a move to it.
    auto* hour = w<QLineEdit>("txt_hour1");
    auto* minute = w<QLineEdit>("txt_min1");
    minute->deselect();
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(hour, &away);
    QFocusEvent forward(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(minute, &forward);
    EXPECT_EQ(minute->selectedText(), minute->text());
}
