#include "agent/render/options_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using agent::render::InputDevice;
using agent::render::OptionsStore;
using agent::render::OptionsWindow;
using agent::render::OptionsWindowSetup;
using agent::render::VoiceEntry;
using agent::speech::InstalledVoice;
using agent::speech::VoiceGender;

namespace {

const QList<InstalledVoice> kVoices = {
    {QStringLiteral("gmw/en-GB-x-rp"), QStringLiteral("English (Received Pronunciation)"),
     QStringLiteral("en-gb"), VoiceGender::Male},
    {QStringLiteral("gmw/en-US"), QStringLiteral("English (America)"), QStringLiteral("en-us"),
     VoiceGender::Unspecified},
};

const QList<InputDevice> kInputs = {
    {QStringLiteral("alsa_input.pci-0000_00_1f.3.analog-stereo"),
     QStringLiteral("Built-in Audio Analog Stereo")},
    {QStringLiteral("alsa_input.usb-Blue_Yeti-00.analog-stereo"), QStringLiteral("Yeti Stereo Microphone")},
};

void processDeletions() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class OptionsWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        store = std::make_unique<OptionsStore>(dir.filePath(QStringLiteral("engine.ini")));
        setup.listVoices = [] { return kVoices; };
        setup.listInputs = [] { return kInputs; };
        setup.chooseFont = [this](const QFont& initial, QWidget*) {
            offered.append(initial);
            return nextFont;
        };
    }
    void TearDown() override {
        if (OptionsWindow* w = OptionsWindow::find(*store)) {
            w->close();
        }
        processDeletions();
    }

    OptionsWindow* open() { return OptionsWindow::open(*store, setup); }
    template <typename T>
    static T* child(OptionsWindow* w, const char* name) {
        T* found = w->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    static QPushButton* button(OptionsWindow* w, QDialogButtonBox::StandardButton which) {
        return w->findChild<QDialogButtonBox*>()->button(which);
    }
    // Where a click takes: a check box only answers on its box and its text, at its left.
    static void click(QWidget* widget) {
        const QPoint at =
            qobject_cast<QCheckBox*>(widget) ? QPoint(6, widget->height() / 2) : widget->rect().center();
        QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    }

    QTemporaryDir dir;
    std::unique_ptr<OptionsStore> store;
    OptionsWindowSetup setup;
    QList<QFont> offered;
    std::optional<QFont> nextFont;
};

TEST_F(OptionsWindowTest, FontIsChosenThroughTheChooserAndCanGoBackToTheCharacters) {
    OptionsWindow* w = open();
    auto* label = child<QLabel>(w, "fontName");
    auto* own = child<QPushButton>(w, "ownFont");
    EXPECT_EQ(label->text(), QStringLiteral("Character's own font"));
    EXPECT_FALSE(own->isEnabled());

    // A cancelled choice changes nothing.
    click(child<QPushButton>(w, "font"));
    ASSERT_EQ(offered.size(), 1);
    EXPECT_EQ(label->text(), QStringLiteral("Character's own font"));
    EXPECT_FALSE(button(w, QDialogButtonBox::Apply)->isEnabled());

    const QFont serif(QStringLiteral("DejaVu Serif"), 18);
    nextFont = serif;
    click(child<QPushButton>(w, "font"));
    EXPECT_EQ(label->text(), QStringLiteral("DejaVu Serif, 18 pt"));
    ASSERT_TRUE(own->isEnabled());
    click(button(w, QDialogButtonBox::Apply));
    EXPECT_EQ(store->options().balloonFont, serif);

    // The chooser starts from the chosen font.
    nextFont.reset();
    click(child<QPushButton>(w, "font"));
    ASSERT_EQ(offered.size(), 3);
    EXPECT_EQ(offered[2], serif);

    click(own);
    EXPECT_EQ(label->text(), QStringLiteral("Character's own font"));
    click(button(w, QDialogButtonBox::Ok));
    EXPECT_FALSE(store->options().balloonFont);
}

TEST_F(OptionsWindowTest, AFailedSaveIsShownAndKeepsTheWindowOpen) {
    QTemporaryDir blocked;
    const QString folder = blocked.filePath(QStringLiteral("engine.ini"));
    ASSERT_TRUE(QDir().mkpath(folder));
    OptionsStore unwritable(folder);
    OptionsWindow* w = OptionsWindow::open(unwritable, setup);
    click(child<QCheckBox>(w, "sounds"));
    click(button(w, QDialogButtonBox::Ok));
    EXPECT_EQ(OptionsWindow::find(unwritable), w);
    EXPECT_FALSE(unwritable.options().soundEffectsOn) << "it still applies for this run";
    auto* error = child<QLabel>(w, "error");
    EXPECT_TRUE(error->isVisible());
    EXPECT_TRUE(error->text().contains(folder)) << error->text().toStdString();
    w->close();
}

// A voice or microphone chosen but no longer there stays choosable, so that OK does not drop it.
TEST(OptionsWindowText, VoiceAndInputEntries) {
    const QList<VoiceEntry> voices = {{"Character's own voice", ""},
                                      {"English (Received Pronunciation) (en-gb, male)", "gmw/en-GB-x-rp"},
                                      {"English (America) (en-us)", "gmw/en-US"}};
    EXPECT_EQ(agent::render::voiceEntries(kVoices, QStringLiteral("gmw/en-US")), voices);
    EXPECT_EQ(agent::render::voiceEntries({}, QStringLiteral("roa/it")),
              (QList<VoiceEntry>{{"Character's own voice", ""}, {"roa/it (not installed)", "roa/it"}}));

    // One without a description shows its id.
    EXPECT_EQ(
        agent::render::inputEntries({{"usb-mic", ""}}, QStringLiteral("bt-headset")),
        (QList<VoiceEntry>{
            {"Default input", ""}, {"usb-mic", "usb-mic"}, {"bt-headset (not connected)", "bt-headset"}}));
}

}  // namespace
