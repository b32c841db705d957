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
#include "tests/support/qt_printers.h"

using namespace horalia::about;

namespace {

const QString kProbe = QStringLiteral("/tmp/probe/temphtm.HTM");
const QString kAddress = QStringLiteral("https://horalia-deluxe.github.io/");
const QString kProbeText = QStringLiteral("\"<HTML> <\\HTML>\"\n");
const QString kBrowser = QStringLiteral("/usr/bin/firefox-esr");

struct OpenerRig {
    testsupport::FakePlatform fake{testsupport::at(10, 0)};
    testsupport::MemoryTextFiles files;
    testsupport::FakeHtmlHandlerFinder finder{files};
    WebPageOpener opener{fake.shell, fake.dialogs, files, finder, kProbe};

    // The programs started ("path|arguments|window style"), then the boxes shown ("title|text|style").
    QStringList outcome() const {
        QStringList out;
        for (const auto& start : fake.shell.starts) {
            out << start.path + u'|' + start.arguments.join(u' ') + u'|' +
                       QString::number(static_cast<int>(start.style));
        }
        for (const auto& box : fake.dialogs.boxes) {
            out << box.title + u'|' + box.text + u'|' + QString::number(box.style);
        }
        return out;
    }
};

TEST(WebPageOpener, TheProbeIsPresentForTheLookUpOnlyAndTheBrowserGetsTheAddress) {
    const AssociatedProgram flatpak{QStringLiteral("/usr/bin/flatpak"), {"run", "org.mozilla.firefox"}};
    const AssociatedProgram firefox{kBrowser, {}};
    const QString opened = kBrowser + u'|' + kAddress + "|1";
    const QString flatpakRun = QStringLiteral("/usr/bin/flatpak|run org.mozilla.firefox");
    const QString notFound = QStringLiteral("BROWSER NOT FOUND|Could not find associated browser!|48");
    struct Case {
        const char* what;
        std::optional<AssociatedProgram> answer;
        QString address;
        QStringList outcome;
        bool unwritable = false;
        bool failing = false;
    } cases[] = {
        {"blanks around the path", AssociatedProgram{"  " + kBrowser + "  ", {}}, kAddress, {opened}},
        {"its own arguments first", flatpak, kAddress, {flatpakRun + u' ' + kAddress + "|1"}},
        {"no address: the browser's own page", flatpak, {}, {flatpakRun + "|1"}},
        {"no browser", std::nullopt, kAddress, {notFound}},
        {"a blank path", AssociatedProgram{"   ", {}}, kAddress, {notFound}},
        {"a probe that cannot be written", firefox, kAddress, {notFound}, true},
        {"it fails to start", firefox, kAddress, {opened, "URL FAILED|Web Page not Opened|48"}, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OpenerRig rig;
        rig.finder.answer = c.answer;
        if (c.unwritable) {
            rig.files.unwritable.insert(kProbe);
        }
        if (c.failing) {
            rig.fake.shell.failing.insert(kBrowser);
        }
        QStringList beforeStart;  // the files there each time just before the browser starts
        rig.opener.sisterapplink(c.address, [&] { beforeStart << rig.files.files.keys().join(u' '); });
        EXPECT_EQ(rig.outcome(), c.outcome);
        EXPECT_EQ(beforeStart, QStringList(rig.fake.shell.starts.size(), QString()));  // once, the probe gone
        EXPECT_EQ(rig.finder.lookups, QStringList{kProbe});
        EXPECT_EQ(rig.finder.contentsSeen, QStringList{c.unwritable ? QString() : kProbeText});
        // The delete is tried even when the probe could not be written.
        EXPECT_EQ(rig.files.log, (QStringList{"write " + kProbe, "remove " + kProbe}));
        EXPECT_TRUE(rig.files.files.isEmpty());
    }
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

class AboutBoxTest : public ::testing::Test {
protected:
    OpenerRig rig;
    QStringList said;
    int viewsMade = 0;
    testsupport::RecordingAboutView* view = nullptr;
    std::function<void(const QString&)> openLink;
    std::function<void()> whileSaying;  // a handler run while the character speaks

    AboutBox box{QStringLiteral("3.6.1"),
                 [this](const QString& talk, const QString& who) {
                     said << who + u':' + talk;
                     if (whileSaying) {
                         whileSaying();
                     }
                 },
                 rig.opener,
                 [this](std::function<void(const QString&)> open) -> std::unique_ptr<AboutView> {
                     ++viewsMade;
                     openLink = std::move(open);
                     auto made = std::make_unique<testsupport::RecordingAboutView>();
                     view = made.get();
                     return made;
                 }};
};

TEST(AboutVersion, MajorMinorRevisionAsPlainNumbers) {
    QStringList shown;
    for (const char* version : {"3.6.1", "03.06.010", "3.6.1.7", "4", "", "x.-1.99999999999999999999999"}) {
        shown << AboutBox::versionText(version);
    }
    EXPECT_EQ(shown, (QStringList{"3.6.1", "3.6.10", "3.6.1", "4.0.0", "0.0.0", "0.0.0"}));
}

TEST_F(AboutBoxTest, OpeningAPageLoadsTheBoxHiddenAndAnnouncesTheVersionOnlyWhenABrowserIsFound) {
    rig.finder.answer.reset();
    box.sisterapplink(kProductWebSite);
    EXPECT_FALSE(box.isLoaded());
    EXPECT_TRUE(said.isEmpty());
    rig.finder.answer = AssociatedProgram{kBrowser, {}};
    box.sisterapplink(kProductWebSite);
    EXPECT_TRUE(box.isLoaded());
    EXPECT_EQ(view->log, QStringList{"version 3.6.1"});  // never shown
    box.sisterapplink(kSisterWebSite);
    EXPECT_EQ(said, QStringList{"genie:This is version, 3.6.1"});
    EXPECT_EQ(rig.outcome(),
              (QStringList{kBrowser + u'|' + kProductWebSite + "|1", kBrowser + u'|' + kSisterWebSite + "|1",
                           "BROWSER NOT FOUND|Could not find associated browser!|48"}));
}

TEST_F(AboutBoxTest, ASayThatAsksForTheBoxAgainGetsTheSameOne) {
    whileSaying = [this] { box.show(); };
    box.show();
    EXPECT_EQ(viewsMade, 1);
    EXPECT_EQ(said.size(), 1);
}

// --- The window, offscreen ---

TEST(FrmAbout, ALeftClickOpensThePageOnceADoubleClickTwiceAndNothingElseOpensIt) {
    QStringList opened;
    frm_about window{[&](const QString& address) { opened << address; }};
    window.showWindow();
    QTest::mouseClick(window.link_siteweb, Qt::LeftButton);
    // A double-click as the desktop delivers it: press, release, press, double-click, release.
    QTest::mousePress(window.link_sisterapp, Qt::LeftButton);
    QTest::mouseRelease(window.link_sisterapp, Qt::LeftButton);
    QTest::mousePress(window.link_sisterapp, Qt::LeftButton);
    QTest::mouseDClick(window.link_sisterapp, Qt::LeftButton);
    QTest::mouseRelease(window.link_sisterapp, Qt::LeftButton);
    // Other buttons, a drag off the link, and a release with no press before it.
    QTest::mouseClick(window.link_siteweb, Qt::RightButton);
    QTest::mouseClick(window.link_siteweb, Qt::MiddleButton);
    QTest::mousePress(window.link_siteweb, Qt::LeftButton);
    QTest::mouseRelease(window.link_siteweb, Qt::LeftButton, {}, QPoint(-5, -5));
    QTest::mouseRelease(window.link_siteweb, Qt::LeftButton);
    EXPECT_EQ(opened, (QStringList{kProductWebSite, kSisterWebSite, kSisterWebSite}));
}

}  // namespace
