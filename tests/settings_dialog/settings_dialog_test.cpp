// The settings dialog, offscreen, on the fake platform, with a recording clock window behind it: what it
// shows after loading from the stored settings, the two modes, the blinking mode label, what the focus moving
// to a box does, the pages' handlers (each checks what the user entered, stores it at once and confirms it),
// and the dialog as the application object holds it (closed with its close box it is unloaded, so the next
// "Main Options" is a fresh load).
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

#include "src/app/desktop_windows.h"
#include "src/platform/paths.h"
#include "src/settings_dialog/frm_settings.h"
#include "tests/support/fakes.h"
#include "tests/support/message_log.h"

using namespace testsupport;
using horalia::platform::Answer;

namespace {

class SettingsDialogTest : public ::testing::Test {
protected:
    SettingsDialogTest() : fake(at(0, 7)) {}
    // A control the logic names that the window lacks, or one of the wrong kind, fails the test at hand.
    void TearDown() override {
        EXPECT_TRUE(faults.lines().isEmpty()) << faults.lines().join(u'\n').toStdString();
    }
    MessageLog faults{QtCriticalMsg};

    void open(int page = 0) {
        dialog = make([this] { calls << "closeDialog"; });
        dialog->showPage(page);
    }
    // A dialog on the fakes; closeDialog is how it asks its owner to unload it.
    std::unique_ptr<horalia::settings_dialog::frm_settings> make(std::function<void()> closeDialog) {
        horalia::settings_dialog::ClockLink link;
        link.say = [this](const QString& talk, const QString& who) { said << who + ": " + talk; };
        link.view = &view;
        link.timeForeColour = [] { return QColor(0, 0, 255); };
        link.timeBackColour = [] { return QColor(255, 255, 0); };
        link.newcharacter = [this] {
            calls << "newcharacter";
            return true;
        };
        link.newcharacter2 = [this] {
            calls << "newcharacter2";
            return false;
        };
        link.unloadClock = [this] {
            calls << "unloadClock";
            fake.program.endProgram();
        };
        link.closeDialog = std::move(closeDialog);
        return std::make_unique<horalia::settings_dialog::frm_settings>(
            horalia::settings_dialog::DialogContext{fake.platform, colours, autostart, std::move(link)});
    }

    template <typename W = QWidget>
    W* w(const char* name) const {
        W* found = dialog->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QString text(const char* name) const {
        if (auto* line = dialog->findChild<QLineEdit*>(QString::fromLatin1(name))) {
            return line->text();
        }
        return w<QComboBox>(name)->currentText();
    }
    void type(const char* name, const QString& value) {
        auto* line = w<QLineEdit>(name);
        line->clear();
        QTest::keyClicks(line, value);
    }
    void click(const char* name) { QTest::mouseClick(w<QAbstractButton>(name), Qt::LeftButton); }
    bool ticked(const char* name) const { return w<QCheckBox>(name)->isChecked(); }
    // Writes to one key, values in order.
    QStringList writesOf(const QString& key) const {
        QStringList values;
        for (const QString& write : fake.settings.writes) {
            const qsizetype eq = write.indexOf(u'=');
            if (write.left(eq).section(u'/', 1).compare(key, Qt::CaseInsensitive) == 0) {
                values << write.mid(eq + 1);
            }
        }
        return values;
    }

    FakePlatform fake;
    RecordingView view{fake.clock};
    ScriptedColours colours;
    QTemporaryDir dir;
    horalia::platform::AutostartEntry autostart{dir.path() + "/horalia-deluxe.desktop",
                                                dir.path() + "/autostart/horalia-deluxe.desktop"};
    QStringList said;
    QStringList calls;
    std::unique_ptr<horalia::settings_dialog::frm_settings> dialog;
};

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
const QString kInvalidTime = "You must enter a valid time in 24 hour format";
const QString kTwoDigits = "You must enter TWO digits in each time box, e.g. 02 21";

}  // namespace

TEST_F(SettingsLoad, AnUnknownModeShowsEverythingAndItsLabelCannotSwitchIt) {
    store({"mode=Simple", "AlarmTime1=7", "QuietTime=\x01\x02xyz\xff", "effects1=true"});
    fake.settings.put("data", "format", "24");
    fake.settings.writes.clear();
    open();
    expectAdvancedControls(true);
    expectShown({"lab_mode=" + kSimpleLabel, "txt_hour1=7", "txt_min1=", "txt_quiet1=\x01\x02",
                 "com_format=12 Hour am/pm", "chk_effects1=[ ]"});
    EXPECT_EQ(said, QStringList{"genie: Main Options, you are in Simple mode!"});
    QTest::mouseClick(w("lab_mode"), Qt::LeftButton);
    EXPECT_TRUE(fake.settings.writes.isEmpty());
    EXPECT_TRUE(calls.isEmpty());
}

// A move of the focus to a box selects its text (the interval box gives a hint instead); the focus coming
// back with the window or from a popup, after leaving for the same reason, does neither.
TEST_F(SettingsDialogTest, TheFocusMovingToABoxSelectsAllOrHintsButItsComingBackDoesNot) {
    open(0);
    said.clear();
    auto leaveAndReturn = [](QWidget* box, Qt::FocusReason reason) {
        QFocusEvent out(QEvent::FocusOut, reason);
        QCoreApplication::sendEvent(box, &out);
        QFocusEvent in(QEvent::FocusIn, reason);
        QCoreApplication::sendEvent(box, &in);
    };
    auto* hour = w<QLineEdit>("txt_hour1");
    auto* speech = w<QPlainTextEdit>("txt_speech");
    speech->setPlainText("Hello");
    for (const auto& [reason, moves] : {std::pair{Qt::TabFocusReason, true},
                                        {Qt::ActiveWindowFocusReason, false},
                                        {Qt::PopupFocusReason, false}}) {
        // Where the user left the cursor, with part of the text chosen.
        hour->setSelection(1, 1);
        leaveAndReturn(hour, reason);
        EXPECT_EQ(hour->selectedText(), moves ? "99" : "9") << reason;
        QTextCursor cursor = speech->textCursor();
        cursor.setPosition(3);
        speech->setTextCursor(cursor);
        leaveAndReturn(speech, reason);
        EXPECT_EQ(speech->textCursor().selectedText(), moves ? "Hello" : "") << reason;
        const qsizetype hints = said.size();
        leaveAndReturn(w("Combo2"), reason);
        EXPECT_EQ(said.size() - hints, moves ? 1 : 0) << reason;
    }
    EXPECT_EQ(said.first(), "peedy: You can enter any number between 1 and 60 in this box");
    // Given the focus while the window was in the background (as "Main Options" does with the hour box), a
    // box gets it only when the window comes forward: that is still a move to it.
    auto* minute = w<QLineEdit>("txt_min1");
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(hour, &away);
    QFocusEvent forward(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(minute, &forward);
    EXPECT_EQ(minute->selectedText(), "99");
}

TEST_F(SettingsDialogTest, SetChecksTheTimeAndSetClearRepeatAndLaunchStoreAtOnce) {
    fake.settings.set("mode", "advanced");
    open(0);
    said.clear();
    // Out of range, no number or short: refused, and the input stays.
    const struct {
        const char* hour;
        const char* minute;
        QString message;
    } cases[] = {{"24", "00", kInvalidTime}, {"12", "60", kInvalidTime}, {"ab", "30", kInvalidTime},
                 {"-1", "30", kInvalidTime}, {"7", "30", kTwoDigits},    {"07", "5", kTwoDigits}};
    for (const auto& c : cases) {
        fake.dialogs.boxes.clear();
        type("txt_hour1", c.hour);
        type("txt_min1", c.minute);
        click("com_set1");
        ASSERT_EQ(fake.dialogs.boxes.size(), 1) << c.hour << ":" << c.minute;
        EXPECT_EQ(fake.dialogs.boxes[0].text, c.message) << c.hour << ":" << c.minute;
        EXPECT_EQ(text("txt_hour1"), c.hour);
    }
    EXPECT_TRUE(writesOf("AlarmTime1").isEmpty());
    // Each alarm is confirmed by the other character.
    type("txt_hour1", "07");
    type("txt_min1", "30");
    click("com_set1");
    EXPECT_EQ(fake.settings.get("AlarmTime1"), "0730");
    // Bounds are inclusive.
    type("txt_hour2", "23");
    type("txt_min2", "59");
    click("com_set2");
    EXPECT_EQ(fake.settings.get("AlarmTime2"), "2359");
    EXPECT_EQ(said, (QStringList{"peedy: Your alarm has been set", "genie: Your alarm has been set"}));

    // Clear, repeat and launch store at once too.
    fake.dialogs.beeps = 0;
    click("com_clear1");
    EXPECT_EQ(fake.settings.get("AlarmTime1"), "9999");
    EXPECT_EQ(text("txt_hour1") + text("txt_min1"), "9999");
    EXPECT_EQ(fake.dialogs.beeps, 1);

    // The stored value decides the repeat box, starting from a missing key.
    QTest::mouseClick(w("chk_repeat1"), Qt::LeftButton);
    EXPECT_TRUE(ticked("chk_repeat1"));
    EXPECT_EQ(writesOf("Repeat1"), QStringList{"True"});
    fake.settings.set("Repeat2", "True");  // out of step with the unticked box
    dialog->showPage(1);
    QTest::mouseClick(w("chk_repeat2"), Qt::LeftButton);
    EXPECT_FALSE(ticked("chk_repeat2"));
    EXPECT_EQ(fake.settings.get("Repeat2"), "False");

    fake.dialogs.files = QStringList{"/usr/bin/xclock"};
    click("com_change1");
    EXPECT_EQ(fake.settings.get("Launch1"), "/usr/bin/xclock");
    EXPECT_EQ(text("txt_launch1"), "/usr/bin/xclock");
    ASSERT_EQ(fake.dialogs.fileDialogs.size(), 1);
    EXPECT_TRUE(fake.dialogs.fileDialogs[0].startsWith(
        "Program files (*.exe)|*.exe|Pif files (*.pif)|*.pif|Batch files (*.bat)|*.bat|"));
    EXPECT_EQ(fake.dialogs.beeps, 2);
}

TEST_F(SettingsDialogTest, IntervalAndQuietHoursAreCheckedBeforeTheyAreStored) {
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
    // The range is checked.
    said.clear();
    fake.settings.writes.clear();
    interval->setEditText("0");
    EXPECT_EQ(fake.settings.get("Announce"), "0");
    interval->setEditText("61");
    interval->setEditText("x");
    interval->setEditText("");  // emptied: nothing at all
    EXPECT_EQ(writesOf("Announce"), QStringList{"0"});
    const QString invalid =
        "genie: Hey, you entered an invalid number, please choose one between zero and 60";
    EXPECT_EQ(said, (QStringList{"genie: I will announce the time, every 0 minutes!", invalid, invalid}));

    // Quiet hours get a leading zero, and are checked before they are stored.
    said.clear();
    type("txt_quiet1", "5");
    type("txt_quiet2", "7");
    click("com_setquiet");
    EXPECT_EQ(text("txt_quiet1") + "," + text("txt_quiet2"), "05,07");
    EXPECT_EQ(fake.settings.get("QuietTime"), "0507");
    EXPECT_EQ(fake.dialogs.beeps, 1);
    EXPECT_EQ(said, QStringList{"peedy: \\chr=\"Whisper\"\\We will whisper between 05 and 07 hours"});
    said.clear();
    for (const char* bad : {"24", "x"}) {
        type("txt_quiet1", bad);
        type("txt_quiet2", "07");
        click("com_setquiet");
    }
    EXPECT_EQ(text("txt_quiet1"), "0x");  // the zero is added before the check
    EXPECT_EQ(writesOf("QuietTime"), QStringList{"0507"});
    EXPECT_EQ(said,
              QStringList(2, "peedy: Hey, you did not enter a vaild hour from and to, please try again"));
}

TEST_F(SettingsDialogTest, FormatSwitchRedrawsTheClockAndMessagesStoreEveryKeystroke) {
    fake.settings.set("mode", "advanced");
    open(6);
    auto* format = w<QComboBox>("com_format");
    format->setEditText("24 hour");
    click("Command2");
    ASSERT_EQ(fake.dialogs.boxes.size(), 1);
    EXPECT_EQ(fake.dialogs.boxes[0].text, "You didn`t enter a correct format, please try again");
    EXPECT_TRUE(writesOf("format").isEmpty());

    format->setEditText("12 Hour am/pm");
    click("Command2");
    EXPECT_EQ(fake.settings.read("data", "format"), "1");
    EXPECT_EQ(view.text, "12:07am");
    EXPECT_FALSE(view.twentyFourHour);
    format->setCurrentIndex(0);
    click("Command2");
    EXPECT_EQ(fake.settings.read("data", "format"), "0");
    EXPECT_EQ(view.text, "00:07");
    EXPECT_TRUE(view.twentyFourHour);
    EXPECT_EQ(fake.dialogs.beeps, 2);

    // Messages and the user name store every keystroke.
    for (const auto& [box, key] : {std::pair{"txt_username", "UserName"},
                                   {"txt_startupmessage", "StartupMessage"},
                                   {"txt_message2", "AlarmMessage2"}}) {
        w<QLineEdit>(box)->clear();
        fake.settings.writes.clear();
        QTest::keyClicks(w(box), "Hi");
        EXPECT_EQ(writesOf(key), (QStringList{"H", "Hi"})) << box;
    }
}

TEST_F(SettingsDialogTest, SoundEffectsAskToRestartAndYesRestartsTheClock) {
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
    EXPECT_TRUE(calls.isEmpty());  // No: keeps running with the new value

    QTest::mouseClick(w("chk_effects2"), Qt::LeftButton);
    EXPECT_EQ(fake.settings.get("effects2"), "False");
    ASSERT_EQ(fake.shell.starts.size(), 1);
    EXPECT_EQ(fake.shell.starts[0].path, horalia::platform::programFile("reboot"));
    EXPECT_EQ(fake.shell.starts[0].style, horalia::platform::WindowStyle::NormalFocus);
    EXPECT_EQ(calls, QStringList{"unloadClock"});
    EXPECT_EQ(fake.program.ends, 1);
}

TEST_F(SettingsDialogTest, HidingAndStartWithLoginFollowTheStoredValue) {
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
    EXPECT_EQ(said, (QStringList{"peedy: Horalia will now start with windows",
                                 "genie: Horalia will no longer start when windows does!"}));
    // Changing a character closes the dialog whatever was chosen.
    dialog->showPage(2);
    click("com_changechar1");
    click("com_changechar2");
    EXPECT_EQ(calls, (QStringList{"newcharacter", "closeDialog", "newcharacter2", "closeDialog"}));
}

TEST_F(SettingsDialogTest, ColoursAreStoredEvenAfterACancelAndTypeAndSpeakChoosesTheSpeakerByTheExactName) {
    fake.settings.set("LastCharacter", "max");
    fake.settings.set("LastCharacter2", "plany");
    open(3);
    // A cancelled colour dialog hands back the colour it held, which is stored all the same.
    colours.answers = {255, std::nullopt};
    click("com_changefore");
    EXPECT_EQ(fake.settings.get("ForeColour"), "255");
    EXPECT_EQ(view.foreColour, 255);
    EXPECT_EQ(w("txt_forecolour")->palette().color(QPalette::Base), QColor(255, 0, 0));
    click("com_changeback");
    EXPECT_EQ(fake.settings.get("BackColour"), "255");
    EXPECT_EQ(view.backColour, 255);
    EXPECT_EQ(w("txt_backcolour")->palette().color(QPalette::Base), QColor(255, 0, 0));
    EXPECT_EQ(fake.dialogs.beeps, 2);

    dialog->showPage(5);
    said.clear();
    auto* speech = w<QPlainTextEdit>("txt_speech");
    speech->setPlainText("Hello \\emp\\there");
    click("com_speak");
    auto* chooser = w<QComboBox>("Combo1");
    chooser->setEditText("Max");
    click("com_speak");
    EXPECT_EQ(said, (QStringList{"genie: Hello \\emp\\there", "peedy: Hello \\emp\\there"}));
}

namespace {

class SettingsUnload : public SettingsDialogTest {
protected:
    SettingsUnload() {
        windows.setSettingsFactory([this] { return make([this] { windows.closeSettings(); }); });
    }
    // What "Main Options" does.
    horalia::settings_dialog::frm_settings& mainOptions() {
        windows.showSettings(0, true);
        EXPECT_NE(windows.settings(), nullptr);
        return *windows.settings();
    }
    static QString box(horalia::settings_dialog::frm_settings& dialog, const char* name) {
        return dialog.findChild<QLineEdit*>(QString::fromLatin1(name))->text();
    }

    horalia::app::DesktopWindows windows{fake.shell, fake.dialogs};
};

const QString kGreeting = "genie: Main Options, you are in simple mode!";

TEST_F(SettingsUnload, HidingKeepsTheDialogTheCloseBoxDiscardsUnsetTextAndTheNextOpenLoadsAgain) {
    fake.settings.set("AlarmTime1", "0730");
    fake.settings.set("AlarmMessage", "Get up");
    horalia::settings_dialog::frm_settings& first = mainOptions();
    first.findChild<QLineEdit*>("txt_hour1")->setText("11");
    // Hidden while a character file is chosen, and opened again while loaded: the same, unchanged dialog.
    windows.hideSettings();
    EXPECT_EQ(&mainOptions(), &first);
    EXPECT_EQ(box(first, "txt_hour1"), "11");
    EXPECT_EQ(said.size(), 1);
    EXPECT_TRUE(first.close());
    EXPECT_EQ(windows.settings(), nullptr);
    // The stored value is what the next load reads, so a changed one shows too.
    fake.settings.set("AlarmMessage", "Wake up");

    horalia::settings_dialog::frm_settings& second = mainOptions();
    EXPECT_NE(&second, &first);
    EXPECT_TRUE(second.isVisible());
    EXPECT_EQ(box(second, "txt_hour1"), "07");
    // The hour box has the focus as the new window comes up, ready to be typed over.
    QCoreApplication::processEvents();
    EXPECT_EQ(second.findChild<QLineEdit*>("txt_hour1")->selectedText(), "07");
    EXPECT_EQ(box(second, "txt_min1"), "30");
    EXPECT_EQ(box(second, "txt_message1"), "Wake up");
    EXPECT_EQ(said, (QStringList{kGreeting, kGreeting}));
    // Filling the controls again writes nothing back.
    EXPECT_EQ(writesOf("AlarmTime1"), QStringList{"0730"});
}

}  // namespace
