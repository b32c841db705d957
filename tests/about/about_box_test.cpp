// The web page opener: the probe document around the browser look-up, the browser started with the address,
// and both failure messages.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "src/about/local_text_files.h"
#include "src/about/web_page_opener.h"
#include "tests/support/about_fakes.h"
#include "tests/support/fakes.h"

using horalia::about::AssociatedProgram;
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

}  // namespace
