// The settings dialog, offscreen, on the fake platform, with a recording clock window behind it: what it
// shows after loading from the stored settings, the two modes, the blinking mode label, what the focus moving
// to a box does, the pages' handlers (each checks what the user entered, stores it at once and confirms it),
// and the dialog as the application object holds it (closed with its close box it is unloaded, so the next
// "Main Options" is a fresh load).
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include "src/app/desktop_windows.h"
#include "src/platform/paths.h"
#include "src/settings_dialog/frm_settings.h"
#include "tests/support/fakes.h"
#include "tests/support/message_log.h"

using namespace testsupport;
using horalia::platform::Answer;
using horalia::settings_dialog::frm_settings;

namespace {

struct SettingsDialogTest : ::testing::Test {
    // A control the logic names that the window lacks, or one of the wrong kind, fails the test at hand.
    void TearDown() override {
        EXPECT_TRUE(faults.lines().isEmpty()) << faults.lines().join(u'\n').toStdString();
    }
    MessageLog faults{QtCriticalMsg};

    // Opens the dialog at a page; returns what was said as it opened, and forgets it.
    QStringList open(int page = 0) {
        dialog = make([this] { calls << "closeDialog"; });
        dialog->showPage(page);
        return heard();
    }
    QStringList heard() { return std::exchange(said, {}); }
    bool called(const char* what, bool answer) {
        calls << what;
        return answer;
    }
    // A dialog on the fakes; closeDialog is how it asks its owner to unload it.
    std::unique_ptr<frm_settings> make(std::function<void()> closeDialog) {
        horalia::settings_dialog::ClockLink link;
        link.say = [this](const QString& talk, const QString& who) { said << who + ": " + talk; };
        link.view = &view;
        link.timeForeColour = [] { return QColor(0, 0, 255); };
        link.timeBackColour = [] { return QColor(255, 255, 0); };
        link.newcharacter = [this] { return called("newcharacter", true); };
        link.newcharacter2 = [this] { return called("newcharacter2", false); };
        link.unloadClock = [this] {
            called("unloadClock", true);
            fake.program.endProgram();
        };
        link.closeDialog = std::move(closeDialog);
        return std::make_unique<frm_settings>(
            horalia::settings_dialog::DialogContext{fake.platform, colours, autostart, std::move(link)});
    }

    template <typename W = QWidget>
    W* w(const QString& name) const {
        W* found = dialog->findChild<W*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    // Types each value into its box, then clicks the button.
    void enter(std::initializer_list<std::pair<const char*, QString>> values, const char* button) {
        for (const auto& [name, value] : values) {
            w<QLineEdit>(name)->clear();
            QTest::keyClicks(w(name), value);
        }
        click(button);
    }
    void click(const QString& name) { QTest::mouseClick(w<QAbstractButton>(name), Qt::LeftButton); }
    // What a control shows: its text, or "[x]" / "[ ]" for a check box.
    QString shown(const QString& name) const {
        if (auto* box = dialog->findChild<QCheckBox*>(name)) {
            return box->isChecked() ? "[x]" : "[ ]";
        }
        QWidget* widget = w(name);  // a label, a line or a combo box
        return widget->property(qobject_cast<QComboBox*>(widget) ? "currentText" : "text").toString();
    }
    // Each entry is "control=what it shows" or "@Key=its stored value"; one list, so that a failure names
    // every one that differs.
    void expectShown(const QStringList& expected) const {
        QStringList got;
        for (const QString& entry : expected) {
            const QString name = entry.section(u'=', 0, 0);
            got << name + '=' + (name.startsWith('@') ? fake.settings.get(name.mid(1)) : shown(name));
        }
        EXPECT_EQ(got, expected);
    }
    // Writes to one key, values in order.
    QStringList writesOf(const QString& key) const {
        return fake.settings.writes.filter('/' + key + '=', Qt::CaseInsensitive)
            .replaceInStrings(QRegularExpression("^[^=]*="), QString());
    }

    FakePlatform fake{at(0, 7)};
    RecordingView view{fake.clock};
    ScriptedColours colours;
    QTemporaryDir dir;
    horalia::platform::AutostartEntry autostart{dir.path() + "/horalia-deluxe.desktop",
                                                dir.path() + "/autostart/horalia-deluxe.desktop"};
    QStringList said;
    QStringList calls;
    std::unique_ptr<frm_settings> dialog;
};

const QString kInvalidTime = "You must enter a valid time in 24 hour format";
const QString kTwoDigits = "You must enter TWO digits in each time box, e.g. 02 21";

}  // namespace

TEST_F(SettingsDialogTest, AnUnknownModeShowsEverythingAndItsLabelCannotSwitchIt) {
    for (const QString& entry :
         QString("mode=Simple;AlarmTime1=7;QuietTime=\x01\x02xyz\xff;effects1=true").split(';')) {
        fake.settings.set(entry.section('=', 0, 0), entry.section('=', 1));
    }
    fake.settings.put("data", "format", "24");
    fake.settings.writes.clear();
    EXPECT_EQ(open(), QStringList{"genie: Main Options, you are in Simple mode!"});
    EXPECT_TRUE(dialog->SSTab1()->isTabEnabled(1));
    for (const char* name : {"Label32", "chk_effects1", "Label33", "chk_effects2", "txt_startupmessage",
                             "Label22", "com_clear1"}) {
        EXPECT_FALSE(w(name)->isHidden()) << name;
    }
    expectShown({"lab_mode=YOU ARE IN SIMPLE MODE, CLICK HERE ----> CLICK <---- TO CHANGE", "txt_hour1=7",
                 "txt_min1=", "txt_quiet1=\x01\x02", "com_format=12 Hour am/pm", "chk_effects1=[ ]"});
    QTest::mouseClick(w("lab_mode"), Qt::LeftButton);
    EXPECT_EQ(fake.settings.writes + calls, QStringList());  // neither stored nor done
}

// A move of the focus to a box selects its text (the interval box gives a hint instead); the focus coming
// back with the window or from a popup, after leaving for the same reason, does neither.
TEST_F(SettingsDialogTest, TheFocusMovingToABoxSelectsAllOrHintsButItsComingBackDoesNot) {
    open(0);
    auto move = [](QWidget* from, QWidget* to, Qt::FocusReason reason) {
        QFocusEvent out(QEvent::FocusOut, reason);
        QCoreApplication::sendEvent(from, &out);
        QFocusEvent in(QEvent::FocusIn, reason);
        QCoreApplication::sendEvent(to, &in);
    };
    auto* hour = w<QLineEdit>("txt_hour1");
    auto* speech = w<QPlainTextEdit>("txt_speech");
    speech->setPlainText("Hello");
    for (const auto& [reason, moves] : {std::pair{Qt::TabFocusReason, true},
                                        {Qt::ActiveWindowFocusReason, false},
                                        {Qt::PopupFocusReason, false}}) {
        // Where the user left the cursor, with part of the text chosen.
        hour->setSelection(1, 1);
        move(hour, hour, reason);
        EXPECT_EQ(hour->selectedText(), moves ? "99" : "9") << reason;
        QTextCursor cursor = speech->textCursor();
        cursor.setPosition(3);
        speech->setTextCursor(cursor);
        move(speech, speech, reason);
        EXPECT_EQ(speech->textCursor().selectedText(), moves ? "Hello" : "") << reason;
        const qsizetype hints = said.size();
        move(w("Combo2"), w("Combo2"), reason);
        EXPECT_EQ(said.size() - hints, moves ? 1 : 0) << reason;
    }
    EXPECT_EQ(said.first(), "peedy: You can enter any number between 1 and 60 in this box");
    // Given the focus while the window was in the background (as "Main Options" does with the hour box), a
    // box gets it only when the window comes forward: that is still a move to it.
    move(hour, w("txt_min1"), Qt::ActiveWindowFocusReason);
    EXPECT_EQ(w<QLineEdit>("txt_min1")->selectedText(), "99");
}

TEST_F(SettingsDialogTest, SetChecksTheTimeAndSetClearRepeatAndLaunchStoreAtOnce) {
    fake.settings.set("mode", "advanced");
    open(0);
    // Out of range, no number or short: refused, and the input stays.
    for (const auto& [hour, minute, message] : {std::tuple{"24", "00", kInvalidTime},
                                                {"12", "60", kInvalidTime},
                                                {"ab", "30", kInvalidTime},
                                                {"-1", "30", kInvalidTime},
                                                {"7", "30", kTwoDigits},
                                                {"07", "5", kTwoDigits}}) {
        SCOPED_TRACE(std::string(hour) + ":" + minute);
        fake.dialogs.boxes.clear();
        enter({{"txt_hour1", hour}, {"txt_min1", minute}}, "com_set1");
        ASSERT_EQ(fake.dialogs.boxes.size(), 1);
        EXPECT_EQ(fake.dialogs.boxes[0].text + '|' + shown("txt_hour1"), message + '|' + hour);
    }
    EXPECT_TRUE(writesOf("AlarmTime1").isEmpty());
    // Each alarm is confirmed by the other character; bounds are inclusive.
    enter({{"txt_hour1", "07"}, {"txt_min1", "30"}}, "com_set1");
    enter({{"txt_hour2", "23"}, {"txt_min2", "59"}}, "com_set2");
    expectShown({"@AlarmTime1=0730", "@AlarmTime2=2359"});
    EXPECT_EQ(said, (QStringList{"peedy: Your alarm has been set", "genie: Your alarm has been set"}));

    // Clear, repeat and launch store at once too.
    fake.dialogs.beeps = 0;
    click("com_clear1");
    expectShown({"@AlarmTime1=9999", "txt_hour1=99", "txt_min1=99"});
    EXPECT_EQ(fake.dialogs.beeps, 1);

    // The stored value decides the repeat box, starting from a missing key.
    click("chk_repeat1");
    expectShown({"chk_repeat1=[x]"});
    EXPECT_EQ(writesOf("Repeat1"), QStringList{"True"});
    fake.settings.set("Repeat2", "True");  // out of step with the unticked box
    dialog->showPage(1);
    click("chk_repeat2");
    expectShown({"chk_repeat2=[ ]", "@Repeat2=False"});

    fake.dialogs.files = QStringList{"/usr/bin/xclock"};
    click("com_change1");
    expectShown({"@Launch1=/usr/bin/xclock", "txt_launch1=/usr/bin/xclock"});
    ASSERT_EQ(fake.dialogs.fileDialogs.size(), 1);
    EXPECT_TRUE(fake.dialogs.fileDialogs[0].startsWith(
        "Program files (*.exe)|*.exe|Pif files (*.pif)|*.pif|Batch files (*.bat)|*.bat|"));
    EXPECT_EQ(fake.dialogs.beeps, 2);
}

TEST_F(SettingsDialogTest, IntervalAndQuietHoursAreCheckedBeforeTheyAreStored) {
    open(2);
    auto* interval = w<QComboBox>("Combo2");
    // The second key arrives half a second after the first, during the first run's wait.
    std::unique_ptr<horalia::platform::Timer> secondKey = fake.clock.createTimer();
    secondKey->start(500, [interval] { QTest::keyClick(interval->lineEdit(), '0'); });
    const qint64 start = fake.clock.nowMs();
    QTest::keyClick(interval->lineEdit(), '3');
    EXPECT_EQ(fake.clock.nowMs() - start, 1500);
    EXPECT_EQ(writesOf("Announce"), (QStringList{"30", "30"}));
    EXPECT_EQ(heard(), QStringList(2, "genie: I will announce the time, every 30 minutes!"));
    // The range is checked.
    fake.settings.writes.clear();
    interval->setEditText("0");
    EXPECT_EQ(fake.settings.get("Announce"), "0");
    for (const char* refused : {"61", "x", ""}) {  // emptied: nothing at all
        interval->setEditText(refused);
    }
    EXPECT_EQ(writesOf("Announce"), QStringList{"0"});
    const QString invalid =
        "genie: Hey, you entered an invalid number, please choose one between zero and 60";
    EXPECT_EQ(heard(), (QStringList{"genie: I will announce the time, every 0 minutes!", invalid, invalid}));

    // Quiet hours get a leading zero, and are checked before they are stored.
    enter({{"txt_quiet1", "5"}, {"txt_quiet2", "7"}}, "com_setquiet");
    expectShown({"txt_quiet1=05", "txt_quiet2=07", "@QuietTime=0507"});
    EXPECT_EQ(fake.dialogs.beeps, 1);
    EXPECT_EQ(heard(), QStringList{"peedy: \\chr=\"Whisper\"\\We will whisper between 05 and 07 hours"});
    for (const char* bad : {"24", "x"}) {
        enter({{"txt_quiet1", bad}, {"txt_quiet2", "07"}}, "com_setquiet");
    }
    EXPECT_EQ(shown("txt_quiet1"), "0x");  // the zero is added before the check
    EXPECT_EQ(writesOf("QuietTime"), QStringList{"0507"});
    EXPECT_EQ(said,
              QStringList(2, "peedy: Hey, you did not enter a vaild hour from and to, please try again"));
}

// The format redraws the clock, messages store every keystroke, sound effects ask to restart the clock (Yes
// restarts it), and hiding and starting with the login follow the stored value.
TEST_F(SettingsDialogTest, TheMiscellaneousAndCharacterPagesStoreAtOnce) {
    fake.settings.set("mode", "advanced");
    open(6);
    auto* format = w<QComboBox>("com_format");
    // The format stored, the time on the clock, and whether the clock is in 24 hour mode.
    auto clock = [&] {
        return fake.settings.read("data", "format") + ' ' + view.text + ' ' +
               (view.twentyFourHour ? "24" : "12");
    };
    format->setEditText("24 hour");
    click("Command2");
    ASSERT_EQ(fake.dialogs.boxes.size(), 1);
    EXPECT_EQ(fake.dialogs.boxes[0].text, "You didn`t enter a correct format, please try again");
    EXPECT_TRUE(writesOf("format").isEmpty());

    format->setEditText("12 Hour am/pm");
    click("Command2");
    EXPECT_EQ(clock(), "1 12:07am 12");
    format->setCurrentIndex(0);
    click("Command2");
    EXPECT_EQ(clock(), "0 00:07 24");
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

    dialog->showPage(2);
    fake.dialogs.boxes.clear();
    // A missing key counts as "True": the first click turns the effects on.
    fake.dialogs.answers = {Answer::No, Answer::Yes};
    click("chk_effects1");
    expectShown({"chk_effects1=[ ]", "@effects1=False"});
    ASSERT_EQ(fake.dialogs.boxes.size(), 1);
    const auto& warning = fake.dialogs.boxes[0];
    EXPECT_EQ(warning.title + '|' + QString::number(warning.style) + '|' + warning.text.left(49),
              "Warning!|4|You will need to re start Horalia Deluxe for this");
    EXPECT_TRUE(calls.isEmpty());  // No: keeps running with the new value

    click("chk_effects2");
    EXPECT_EQ(fake.settings.get("effects2"), "False");
    ASSERT_EQ(fake.shell.starts.size(), 1);
    EXPECT_EQ(std::tuple(fake.shell.starts[0].path, fake.shell.starts[0].style, calls, fake.program.ends),
              std::tuple(horalia::platform::programFile("reboot"),
                         horalia::platform::WindowStyle::NormalFocus, QStringList{"unloadClock"}, 1));

    said.clear();
    QFile source(autostart.source());
    ASSERT_TRUE(source.open(QIODevice::WriteOnly));
    source.write("[Desktop Entry]\nName=Horalia Deluxe\n");
    source.close();
    for (const auto& [page, box, key] :
         {std::tuple{2, "chk_hide1", "charhide"}, {6, "chk_LWW", "LoadWithWindows"}}) {
        dialog->showPage(page);
        for (const bool on : {true, false}) {
            click(box);
            expectShown(
                {box + QString(on ? "=[x]" : "=[ ]"), '@' + QString(key) + (on ? "=True" : "=False")});
            EXPECT_EQ(QFile::exists(autostart.target()), on && page == 6) << box;
        }
    }
    EXPECT_EQ(said, (QStringList{"peedy: Horalia will now start with windows",
                                 "genie: Horalia will no longer start when windows does!"}));
    // Changing a character closes the dialog whatever was chosen.
    dialog->showPage(2);
    click("com_changechar1");
    click("com_changechar2");
    EXPECT_EQ(calls.mid(1), (QStringList{"newcharacter", "closeDialog", "newcharacter2", "closeDialog"}));
}

TEST_F(SettingsDialogTest, ColoursAreStoredEvenAfterACancelAndTypeAndSpeakChoosesTheSpeakerByTheExactName) {
    fake.settings.set("LastCharacter", "max");
    fake.settings.set("LastCharacter2", "plany");
    open(3);
    // A cancelled colour dialog hands back the colour it held, which is stored all the same.
    colours.answers = {255, std::nullopt};
    for (const auto& [which, colour] : {std::pair{QString("fore"), &RecordingView::foreColour},
                                        {QString("back"), &RecordingView::backColour}}) {
        click("com_change" + which);
        EXPECT_EQ(fake.settings.get(which + "Colour"), "255");
        EXPECT_EQ(view.*colour, 255);
        EXPECT_EQ(w("txt_" + which + "colour")->palette().color(QPalette::Base), QColor(255, 0, 0));
    }
    EXPECT_EQ(fake.dialogs.beeps, 2);

    dialog->showPage(5);
    said.clear();
    w<QPlainTextEdit>("txt_speech")->setPlainText("Hello \\emp\\there");
    click("com_speak");
    w<QComboBox>("Combo1")->setEditText("Max");
    click("com_speak");
    EXPECT_EQ(said, (QStringList{"genie: Hello \\emp\\there", "peedy: Hello \\emp\\there"}));
}

TEST_F(SettingsDialogTest, HidingKeepsTheDialogTheCloseBoxDiscardsUnsetTextAndTheNextOpenLoadsAgain) {
    horalia::app::DesktopWindows windows{fake.shell, fake.dialogs};
    windows.setSettingsFactory([&] { return make([&] { windows.closeSettings(); }); });
    // What "Main Options" does.
    auto mainOptions = [&]() -> frm_settings& {
        windows.showSettings(0, true);
        EXPECT_NE(windows.settings(), nullptr);
        return *windows.settings();
    };
    fake.settings.set("AlarmTime1", "0730");
    fake.settings.set("AlarmMessage", "Get up");
    frm_settings& first = mainOptions();
    QLineEdit* hour = first.findChild<QLineEdit*>("txt_hour1");
    hour->setText("11");
    // Hidden while a character file is chosen, and opened again while loaded: the same, unchanged dialog.
    windows.hideSettings();
    EXPECT_EQ(&mainOptions(), &first);
    EXPECT_EQ(hour->text(), "11");
    EXPECT_EQ(said.size(), 1);
    EXPECT_TRUE(first.close());
    EXPECT_EQ(windows.settings(), nullptr);
    // The stored value is what the next load reads, so a changed one shows too.
    fake.settings.set("AlarmMessage", "Wake up");

    frm_settings& second = mainOptions();
    EXPECT_NE(&second, &first);
    EXPECT_TRUE(second.isVisible());
    // The hour box has the focus as the new window comes up, ready to be typed over.
    QCoreApplication::processEvents();
    const auto box = [&](const char* name) { return second.findChild<QLineEdit*>(name); };
    EXPECT_EQ((QStringList{box("txt_hour1")->text(), box("txt_min1")->text(), box("txt_message1")->text()}),
              (QStringList{"07", "30", "Wake up"}));
    EXPECT_EQ(box("txt_hour1")->selectedText(), "07");
    EXPECT_EQ(said, QStringList(2, "genie: Main Options, you are in simple mode!"));
    // Filling the controls again writes nothing back.
    EXPECT_EQ(writesOf("AlarmTime1"), QStringList{"0730"});
}
