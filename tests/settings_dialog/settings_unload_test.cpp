// The settings dialog as the application object holds it: closed with its window's close box it is unloaded,
// so the next "Main Options" is a fresh load.

#include "src/app/desktop_windows.h"
#include "tests/settings_dialog/dialog_fixture.h"

using namespace testsupport;

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

TEST_F(SettingsUnload, TheCloseBoxDiscardsUnsetTextAndTheNextOpenLoadsAgain) {
    fake.settings.set("AlarmTime1", "0730");
    fake.settings.set("AlarmMessage", "Get up");
    horalia::settings_dialog::frm_settings& first = mainOptions();
    first.findChild<QLineEdit*>("txt_hour1")->setText("11");
    EXPECT_TRUE(first.close());
    EXPECT_FALSE(first.isVisible());
    EXPECT_EQ(windows.settings(), nullptr);
    // The stored value is what the next load reads, so a changed one shows too.
    fake.settings.set("AlarmMessage", "Wake up");
    const int readsBefore = fake.settings.reads;

    horalia::settings_dialog::frm_settings& second = mainOptions();
    EXPECT_NE(&second, &first);
    EXPECT_TRUE(second.isVisible());
    EXPECT_EQ(box(second, "txt_hour1"), "07");
    // The hour box has the focus as the new window comes up, ready to be typed over.
    QCoreApplication::processEvents();
    EXPECT_EQ(second.findChild<QLineEdit*>("txt_hour1")->selectedText(), "07");
    EXPECT_EQ(box(second, "txt_min1"), "30");
    EXPECT_EQ(box(second, "txt_message1"), "Wake up");
    EXPECT_GT(fake.settings.reads, readsBefore);
    EXPECT_EQ(said, (QStringList{kGreeting, kGreeting}));
    // Filling the controls again writes nothing back.
    EXPECT_EQ(writesOf("AlarmTime1"), QStringList{"0730"});
}

TEST_F(SettingsUnload, HidingAndReopeningKeepTheDialog) {
    horalia::settings_dialog::frm_settings& dialog = mainOptions();
    dialog.findChild<QLineEdit*>("txt_hour1")->setText("11");
    // Hidden while a character file is chosen, and opened again while loaded: the same, unchanged dialog.
    windows.hideSettings();
    EXPECT_EQ(&mainOptions(), &dialog);
    EXPECT_EQ(box(dialog, "txt_hour1"), "11");
    EXPECT_EQ(said.size(), 1);
}

}  // namespace
