// The web page opener: the probe document around the browser look-up, the browser started with the address,
// and both failure messages. The about box: the version announced when it first loads, one instance, the
// opener loading it hidden, and the window itself driven offscreen with QTest clicks on its links.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "src/about/about_box.h"
#include "src/about/frm_about.h"
#include "src/about/link_label.h"
#include "src/about/local_text_files.h"
#include "src/about/web_addresses.h"
#include "src/about/web_page_opener.h"
#include "tests/support/about_fakes.h"
#include "tests/support/fakes.h"
#include "tests/support/recording_engine.h"

using horalia::about::AboutBox;
using horalia::about::AboutView;
using horalia::about::AssociatedProgram;
using horalia::about::frm_about;
using horalia::about::LocalTextFiles;
using horalia::about::WebPageOpener;
using horalia::platform::WindowStyle;

namespace {

const QString kProbe = QStringLiteral("/tmp/probe/temphtm.HTM");
const QString kAddress = QStringLiteral("https://horalia-deluxe.github.io/");
const QString kProbeText = QStringLiteral("\"<HTML> <\\HTML>\"\n");

class WebPageOpenerTest : public ::testing::Test {
protected:
    testsupport::FakePlatform fake{testsupport::at(10, 0)};
    testsupport::MemoryTextFiles files;
    testsupport::FakeHtmlHandlerFinder finder{files};
    WebPageOpener opener{fake.shell, fake.dialogs, files, finder, kProbe};
};

TEST_F(WebPageOpenerTest, TheProbeIsPresentForTheLookUpOnlyAndTheBrowserGetsTheAddress) {
    finder.answer = AssociatedProgram{QStringLiteral("  /usr/bin/firefox-esr  "), {}};
    bool probeGoneBeforeStart = false;
    opener.sisterapplink(kAddress, [&] { probeGoneBeforeStart = !files.files.contains(kProbe); });

    EXPECT_EQ(finder.lookups, QStringList{kProbe});
    EXPECT_EQ(finder.contentsSeen, QStringList{kProbeText});
    EXPECT_EQ(files.log, (QStringList{"write " + kProbe, "remove " + kProbe}));
    EXPECT_TRUE(probeGoneBeforeStart);
    ASSERT_EQ(fake.shell.starts.size(), 1);
    EXPECT_EQ(fake.shell.starts[0].path, QStringLiteral("/usr/bin/firefox-esr"));
    EXPECT_EQ(fake.shell.starts[0].arguments, QStringList{kAddress});
    EXPECT_EQ(fake.shell.starts[0].style, WindowStyle::NormalFocus);
    EXPECT_TRUE(fake.dialogs.boxes.isEmpty());
}

TEST_F(WebPageOpenerTest, TheHandlersOwnArgumentsComeBeforeTheAddress) {
    finder.answer = AssociatedProgram{QStringLiteral("/usr/bin/flatpak"),
                                      {QStringLiteral("run"), QStringLiteral("org.mozilla.firefox")}};
    opener.sisterapplink(kAddress);
    ASSERT_EQ(fake.shell.starts.size(), 1);
    EXPECT_EQ(fake.shell.starts[0].arguments, (QStringList{"run", "org.mozilla.firefox", kAddress}));

    opener.sisterapplink(QString());  // no address: the browser starts on its own page
    ASSERT_EQ(fake.shell.starts.size(), 2);
    EXPECT_EQ(fake.shell.starts[1].arguments, (QStringList{"run", "org.mozilla.firefox"}));
}

TEST_F(WebPageOpenerTest, WithoutABrowserOrWithABlankPathItSaysSoStartsNothingAndLeavesNoProbe) {
    for (const auto& answer :
         {std::optional<AssociatedProgram>(), std::optional(AssociatedProgram{"   ", {}})}) {
        SCOPED_TRACE(answer ? "blank path" : "no browser");
        finder.answer = answer;
        fake.dialogs.boxes.clear();
        bool started = false;
        opener.sisterapplink(kAddress, [&] { started = true; });
        ASSERT_EQ(fake.dialogs.boxes.size(), 1);
        EXPECT_EQ(fake.dialogs.boxes[0].text, QStringLiteral("Could not find associated browser!"));
        EXPECT_EQ(fake.dialogs.boxes[0].title, QStringLiteral("BROWSER NOT FOUND"));
        EXPECT_EQ(fake.dialogs.boxes[0].style, 48);
        EXPECT_TRUE(fake.shell.starts.isEmpty());
        EXPECT_FALSE(started);
        EXPECT_TRUE(files.files.isEmpty());
    }
}

TEST_F(WebPageOpenerTest, AProbeThatCannotBeWrittenEndsAsBrowserNotFound) {
    finder.answer = AssociatedProgram{QStringLiteral("/usr/bin/firefox-esr"), {}};
    files.unwritable.insert(kProbe);
    opener.sisterapplink(kAddress);
    ASSERT_EQ(fake.dialogs.boxes.size(), 1);
    EXPECT_EQ(fake.dialogs.boxes[0].text, QStringLiteral("Could not find associated browser!"));
    EXPECT_TRUE(fake.shell.starts.isEmpty());
    EXPECT_EQ(files.log.last(), "remove " + kProbe);  // the delete is tried all the same
}

TEST_F(WebPageOpenerTest, ABrowserThatFailsToStartIsReported) {
    finder.answer = AssociatedProgram{QStringLiteral("/usr/bin/firefox-esr"), {}};
    fake.shell.failing.insert(QStringLiteral("/usr/bin/firefox-esr"));
    opener.sisterapplink(kAddress);
    ASSERT_EQ(fake.dialogs.boxes.size(), 1);
    EXPECT_EQ(fake.dialogs.boxes[0].text, QStringLiteral("Web Page not Opened"));
    EXPECT_EQ(fake.dialogs.boxes[0].title, QStringLiteral("URL FAILED"));
    EXPECT_EQ(fake.dialogs.boxes[0].style, 48);
    EXPECT_EQ(fake.shell.starts.size(), 1);
    EXPECT_TRUE(files.files.isEmpty());
}

TEST(WebPageOpenerOnDisk, AnOldProbeIsOverwrittenAndNothingIsLeftBehind) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString probe = dir.filePath(QStringLiteral("temphtm.HTM"));
    {
        QFile old(probe);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(5000, 'z'));
    }
    testsupport::FakePlatform fake{testsupport::at(10, 0)};
    LocalTextFiles files;
    testsupport::DiskReadingFinder finder;
    WebPageOpener opener{fake.shell, fake.dialogs, files, finder, probe};
    opener.sisterapplink(kAddress);
    EXPECT_EQ(finder.seen, kProbeText.toUtf8());
    EXPECT_FALSE(QFile::exists(probe));
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    ASSERT_EQ(fake.dialogs.boxes.size(), 1);

    // A folder that does not exist: nothing can be written, the user hears that no browser was found.
    WebPageOpener nowhere{fake.shell, fake.dialogs, files, finder,
                          dir.filePath(QStringLiteral("no/such/x.HTM"))};
    nowhere.sisterapplink(kAddress);
    EXPECT_EQ(finder.seen, QByteArray("missing"));
    EXPECT_EQ(fake.dialogs.boxes.size(), 2);
}

// --- The about box, with the opener's fakes ---

const QString kBrowser = QStringLiteral("/usr/bin/firefox-esr");

class AboutBoxTest : public WebPageOpenerTest {
protected:
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
