// The web page opener: the probe document around the browser look-up, the browser started with the address,
// and both failure messages. The about box: the version announced when it first loads, one instance, the
// opener loading it hidden, and the window itself driven offscreen with QTest clicks on its links. Last, the
// desktop's browser look-up: MIME type from the extension, the handler's desktop entry found in the data
// folders, its Exec line read and resolved; every broken step ends in "no program".
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include "src/about/about_box.h"
#include "src/about/frm_about.h"
#include "src/about/link_label.h"
#include "src/about/local_text_files.h"
#include "src/about/web_addresses.h"
#include "src/about/web_page_opener.h"
#include "src/about/xdg_html_handler_finder.h"
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

TEST(WebPageOpener, TheProbeIsPresentForTheLookUpOnlyAndGoneAfterItAndTheBrowserGetsTheAddress) {
    const AssociatedProgram flatpak{QStringLiteral("/usr/bin/flatpak"), {"run", "org.mozilla.firefox"}};
    const AssociatedProgram firefox{kBrowser, {}};
    const QString opened = kBrowser + u'|' + kAddress + "|1";
    const QString flatpakRun = QStringLiteral("/usr/bin/flatpak|run org.mozilla.firefox");
    const QString notFound = QStringLiteral("BROWSER NOT FOUND|Could not find associated browser!|48");
    const QString failed = QStringLiteral("URL FAILED|Web Page not Opened|48");
    // What the finder answers, the address, the outcome; the files that cannot be written, the programs
    // that fail to start.
    using Case = std::tuple<const char*, std::optional<AssociatedProgram>, QString, QStringList,
                            QSet<QString>, QSet<QString>>;
    for (const auto& [what, answer, address, outcome, unwritable, failing] : std::initializer_list<Case>{
             {"blanks around the path",
              AssociatedProgram{"  " + kBrowser + "  ", {}},
              kAddress,
              {opened},
              {},
              {}},
             {"its own arguments first", flatpak, kAddress, {flatpakRun + u' ' + kAddress + "|1"}, {}, {}},
             {"no address: the browser's own page", flatpak, {}, {flatpakRun + "|1"}, {}, {}},
             {"no browser", std::nullopt, kAddress, {notFound}, {}, {}},
             {"a blank path", AssociatedProgram{"   ", {}}, kAddress, {notFound}, {}, {}},
             {"a probe that cannot be written", firefox, kAddress, {notFound}, {kProbe}, {}},
             {"it fails to start", firefox, kAddress, {opened, failed}, {}, {kBrowser}}}) {
        SCOPED_TRACE(what);
        OpenerRig rig;
        rig.finder.answer = answer;
        rig.files.unwritable = unwritable;
        rig.fake.shell.failing = failing;
        QStringList beforeStart;  // the files there each time just before the browser starts
        rig.opener.sisterapplink(address, [&] { beforeStart << rig.files.files.keys().join(u' '); });
        EXPECT_EQ(rig.outcome(), outcome);
        EXPECT_EQ(beforeStart, QStringList(rig.fake.shell.starts.size(), QString()));  // once, the probe gone
        EXPECT_EQ(rig.finder.lookups, QStringList{kProbe});
        EXPECT_EQ(rig.finder.contentsSeen, QStringList{unwritable.isEmpty() ? kProbeText : QString()});
        // The delete is tried even when the probe could not be written.
        EXPECT_EQ(rig.files.log, (QStringList{"write " + kProbe, "remove " + kProbe}));
        EXPECT_TRUE(rig.files.files.isEmpty());
    }

    // On disk: an old probe is overwritten, and nothing is left behind.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString probe = dir.filePath(QStringLiteral("temphtm.HTM"));
    QFile old(probe);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write(QByteArray(5000, 'z')) == 5000);
    old.close();
    testsupport::FakePlatform fake{testsupport::at(10, 0)};
    LocalTextFiles files;
    testsupport::DiskReadingFinder finder;
    WebPageOpener opener{fake.shell, fake.dialogs, files, finder, probe};
    opener.sisterapplink(kAddress);
    EXPECT_EQ(finder.seen, kProbeText.toUtf8());
    EXPECT_TRUE(QDir(dir.path()).isEmpty());  // the probe too
    ASSERT_EQ(fake.dialogs.boxes.size(), 1);

    // A folder that does not exist: nothing can be written, the user hears that no browser was found.
    WebPageOpener nowhere{fake.shell, fake.dialogs, files, finder, dir.filePath("no/such/x.HTM")};
    nowhere.sisterapplink(kAddress);
    EXPECT_EQ(finder.seen, QByteArray("missing"));
    EXPECT_EQ(fake.dialogs.boxes.size(), 2);
}

// --- The about box, with the opener's fakes ---

struct AboutBoxTest : ::testing::Test {
    OpenerRig rig;
    QStringList said;
    int viewsMade = 0;
    std::function<void()> whileSaying;  // a handler run while the character speaks

    AboutBox box{"3.6.1",
                 [this](const QString& talk, const QString& who) {
                     said << who + u':' + talk;
                     if (whileSaying) {
                         whileSaying();
                     }
                 },
                 rig.opener,
                 [this](auto) {
                     ++viewsMade;
                     return std::make_unique<testsupport::RecordingAboutView>();
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
    EXPECT_EQ(static_cast<testsupport::RecordingAboutView*>(box.view())->log,
              QStringList{"version 3.6.1"});  // never shown
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

// --- The desktop's browser look-up ---

TEST(XdgFinder, FindsTheDefaultHtmlHandlersProgramAndItsFixedArgumentsOrNothingAndGarbageNeverCrashes) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString dataDir = root.filePath(QStringLiteral("data"));
    const QString binDir = root.filePath(QStringLiteral("bin"));
    const auto write = [](const QString& path, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        file.write(bytes);
    };
    const QString document = root.filePath(QStringLiteral("temphtm.HTM"));
    write(document, kProbeText.toUtf8());
    const QString browser = binDir + QStringLiteral("/web browser");
    write(browser, "#!/bin/sh\n");
    QFile::setPermissions(browser, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QStringList runs;
    const auto finder = [&](std::optional<QString> answer) {
        return XdgHtmlHandlerFinder(
            [&runs, answer](const QString& program, const QStringList& arguments) {
                runs << program + u' ' + arguments.join(u' ');
                return answer;
            },
            {root.filePath(QStringLiteral("nothing-here")), dataDir}, {binDir});
    };

    QFile::copy(browser, binDir + "/surf");
    write(binDir + QStringLiteral("/plain"), "not a program");
    write(dataDir + QStringLiteral("/applications/noexec.desktop"), "[Desktop Entry]\nName=x\n");
    const QString quoted = "\"" + browser + "\"";
    // Desktop entries and their Exec lines; single quotes are no quoting, so good.desktop names no file.
    const QStringList entries{"browser.desktop",     quoted + " --new-window %u",
                              "vendor/surf.desktop", "surf %U",
                              "good.desktop",        "'" + browser + "'",
                              "better.desktop",      quoted,
                              "empty.desktop",       "  %u ",
                              "gone.desktop",        binDir + "/gone %u",
                              "plain.desktop",       binDir + "/plain",
                              "relative.desktop",    "bin/web\\sbrowser"};
    for (qsizetype i = 0; i < entries.size(); i += 2) {
        write(dataDir + QStringLiteral("/applications/") + entries[i],
              ("[Desktop Entry]\nType=Application\nName=Browser\nExec=" + entries[i + 1] + "\n").toUtf8());
    }
    // Found: the program with its fixed arguments, a bare name looked for on the path, the first usable entry
    // of a list. Nothing: no default set; names that are no desktop file IDs or name files outside the
    // applications folders; an entry without Exec, with an empty one, or with a program that is not there or
    // cannot run.
    QStringList results;
    for (const char* answer :
         {"browser.desktop\n", "vendor-surf.desktop", "missing.desktop;good.desktop;better.desktop;", "",
          "\n\n", "browser", "../applications/browser.desktop", "nobody.desktop", "noexec.desktop",
          "empty.desktop", "gone.desktop", "plain.desktop", "relative.desktop"}) {
        const auto found = finder(QString::fromUtf8(answer)).findExecutable(document);
        results << (found ? found->path + u'|' + found->arguments.join(u' ') : QStringLiteral("none"));
    }
    EXPECT_EQ(results, QStringList({browser + "|--new-window", binDir + "/surf|", browser + "|"}) +
                           QStringList(10, QStringLiteral("none")));
    EXPECT_FALSE(finder(std::nullopt).findExecutable(document));  // xdg-mime missing or failing
    EXPECT_EQ(runs, QStringList(14, QStringLiteral("xdg-mime query default text/html")));
    // A missing document: nothing is asked. A document of no known type.
    runs.clear();
    EXPECT_FALSE(finder(QStringLiteral("browser.desktop")).findExecutable(document + QStringLiteral("x")));
    EXPECT_TRUE(runs.isEmpty());
    write(root.filePath(QStringLiteral("probe.zzqq")), "x");
    EXPECT_FALSE(finder("browser.desktop").findExecutable(root.filePath("probe.zzqq")));

    // Only the Desktop Entry group's Exec counts.
    const QString text = QStringLiteral(
        "# Exec=comment\n[Desktop Action new-window]\nExec=wrong --new-window\n[Desktop Entry]\n"
        "Exec[de]=localised\n# Exec=commented\n  Exec =  web\\sbrowser \\\\x %u  \r\nExec=second\n"
        "[Other]\nExec=other\n");
    EXPECT_EQ(XdgHtmlHandlerFinder::execValue(text), QStringLiteral("web browser \\x %u"));
    EXPECT_EQ(XdgHtmlHandlerFinder::execValue(QStringLiteral("Exec=no group")), QString());
    EXPECT_EQ(XdgHtmlHandlerFinder::execValue(QStringLiteral("[Desktop Entry]\nExec")), QString());
    // Garbage never crashes, nor gives an empty word.
    QRandomGenerator random(4);
    const QString alphabet = QStringLiteral("[]=\\\"% \n\tExec@uDesktop Entry");
    for (int round = 0; round < 2000; ++round) {
        QString text = QStringLiteral("[Desktop Entry]\nExec=");
        for (int i = random.bounded(80); i > 0; --i) {
            text += alphabet.at(random.bounded(static_cast<int>(alphabet.size())));
        }
        const QStringList command = XdgHtmlHandlerFinder::execCommand(XdgHtmlHandlerFinder::execValue(text));
        EXPECT_FALSE(command.contains(QString())) << text.toStdString();
    }
}

}  // namespace
