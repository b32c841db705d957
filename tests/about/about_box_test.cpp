// The about box: the version announced when it first loads, one instance, the opener loading it hidden, and
// the window itself driven offscreen with QTest clicks on its links.
#include <gtest/gtest.h>

#include <QTest>

#include "src/about/about_box.h"
#include "src/about/frm_about.h"
#include "src/about/link_label.h"
#include "src/about/web_addresses.h"
#include "tests/support/about_fakes.h"
#include "tests/support/fakes.h"
#include "tests/support/recording_engine.h"

using horalia::about::AboutBox;
using horalia::about::AboutView;
using horalia::about::AssociatedProgram;
using horalia::about::frm_about;
using horalia::about::WebPageOpener;

namespace {

const QString kBrowser = QStringLiteral("/usr/bin/firefox-esr");

class AboutBoxTest : public ::testing::Test {
protected:
    testsupport::FakePlatform fake{testsupport::at(10, 0)};
    testsupport::MemoryTextFiles files;
    testsupport::FakeHtmlHandlerFinder finder{files};
    WebPageOpener opener{fake.shell, fake.dialogs, files, finder, QStringLiteral("/tmp/x/temphtm.HTM")};
    QStringList said;
    int viewsMade = 0;
    testsupport::RecordingAboutView* view = nullptr;
    std::function<void(const QString&)> openLink;

    AboutBox box{QStringLiteral("3.6.1"),
                 [this](const QString& talk, const QString& who) { said << who + u':' + talk; }, opener,
                 [this](std::function<void(const QString&)> open) -> std::unique_ptr<AboutView> {
                     ++viewsMade;
                     openLink = std::move(open);
                     auto made = std::make_unique<testsupport::RecordingAboutView>();
                     view = made.get();
                     return made;
                 }};

    void SetUp() override { finder.answer = AssociatedProgram{kBrowser, {}}; }
};

TEST(AboutVersion, MajorMinorRevisionAsPlainNumbers) {
    QStringList shown;
    for (const char* version : {"3.6.1", "03.06.010", "3.6.1.7", "4", "", "x.-1.99999999999999999999999"}) {
        shown << AboutBox::versionText(version);
    }
    EXPECT_EQ(shown, (QStringList{"3.6.1", "3.6.10", "3.6.1", "4.0.0", "0.0.0", "0.0.0"}));
}

TEST_F(AboutBoxTest, TheFirstShowAnnouncesTheVersionAndLaterShowsOnlyBringItUp) {
    EXPECT_FALSE(box.isLoaded());
    box.show();
    EXPECT_EQ(said, QStringList{"genie:This is version, 3.6.1"});
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->log, (QStringList{"version 3.6.1", "show"}));
    box.show();
    box.load();
    EXPECT_EQ(said.size(), 1);
    EXPECT_EQ(viewsMade, 1);
    EXPECT_EQ(view->log, (QStringList{"version 3.6.1", "show", "show"}));
}

TEST_F(AboutBoxTest, OpeningAPageBeforeTheBoxWasEverOpenedLoadsItHiddenAndAnnouncesTheVersion) {
    box.sisterapplink(horalia::about::kProductWebSite);
    EXPECT_TRUE(box.isLoaded());
    EXPECT_EQ(said, QStringList{"genie:This is version, 3.6.1"});
    EXPECT_EQ(view->log, QStringList{"version 3.6.1"});  // never shown
    ASSERT_EQ(fake.shell.starts.size(), 1);
    EXPECT_EQ(fake.shell.starts[0].arguments, QStringList{horalia::about::kProductWebSite});

    box.sisterapplink(horalia::about::kSisterWebSite);
    EXPECT_EQ(said.size(), 1);
    EXPECT_EQ(fake.shell.starts.size(), 2);
}

TEST_F(AboutBoxTest, WithoutABrowserTheBoxStaysUnloaded) {
    finder.answer.reset();
    box.sisterapplink(horalia::about::kProductWebSite);
    EXPECT_FALSE(box.isLoaded());
    EXPECT_TRUE(said.isEmpty());
    ASSERT_EQ(fake.dialogs.boxes.size(), 1);
    EXPECT_EQ(fake.dialogs.boxes[0].title, QStringLiteral("BROWSER NOT FOUND"));
}

TEST_F(AboutBoxTest, TheWindowsLinksOpenThroughTheBox) {
    box.show();
    ASSERT_TRUE(openLink);
    openLink(horalia::about::kSisterWebSite);
    ASSERT_EQ(fake.shell.starts.size(), 1);
    EXPECT_EQ(fake.shell.starts[0].path, kBrowser);
    EXPECT_EQ(fake.shell.starts[0].arguments, QStringList{horalia::about::kSisterWebSite});
}

TEST_F(AboutBoxTest, ASayThatAsksForTheBoxAgainGetsTheSameOne) {
    AboutBox* self = nullptr;
    AboutBox reentrant{QStringLiteral("3.6.1"),
                       [&](const QString& talk, const QString&) {
                           said << talk;
                           self->show();  // a handler run while the character speaks
                       },
                       opener,
                       [this](std::function<void(const QString&)>) -> std::unique_ptr<AboutView> {
                           ++viewsMade;
                           return std::make_unique<testsupport::RecordingAboutView>();
                       }};
    self = &reentrant;
    reentrant.show();
    EXPECT_EQ(viewsMade, 1);
    EXPECT_EQ(said.size(), 1);
}

// --- The window, offscreen ---

class FrmAboutTest : public ::testing::Test {
protected:
    QStringList opened;
    frm_about window{[this](const QString& address) { opened << address; }};
};

TEST_F(FrmAboutTest, AClickOpensThePageOnceAndADoubleClickTwice) {
    window.showWindow();
    QTest::mouseClick(window.link_siteweb, Qt::LeftButton);
    EXPECT_EQ(opened, QStringList{horalia::about::kProductWebSite});
    opened.clear();
    // A double-click as the desktop delivers it: press, release, press, double-click, release.
    QTest::mousePress(window.link_sisterapp, Qt::LeftButton);
    QTest::mouseRelease(window.link_sisterapp, Qt::LeftButton);
    QTest::mousePress(window.link_sisterapp, Qt::LeftButton);
    QTest::mouseDClick(window.link_sisterapp, Qt::LeftButton);
    QTest::mouseRelease(window.link_sisterapp, Qt::LeftButton);
    EXPECT_EQ(opened, (QStringList{horalia::about::kSisterWebSite, horalia::about::kSisterWebSite}));
}

TEST_F(FrmAboutTest, OtherButtonsAndDragsOffTheLinkOpenNothing) {
    window.showWindow();
    QTest::mouseClick(window.link_siteweb, Qt::RightButton);
    QTest::mouseClick(window.link_siteweb, Qt::MiddleButton);
    QTest::mousePress(window.link_siteweb, Qt::LeftButton);
    QTest::mouseRelease(window.link_siteweb, Qt::LeftButton, {}, QPoint(-5, -5));
    QTest::mouseRelease(window.link_siteweb, Qt::LeftButton);  // a release with no press before it
    EXPECT_TRUE(opened.isEmpty());
}

}  // namespace
