// The desktop's browser look-up: MIME type from the extension, the handler's desktop entry found in the data
// folders, its Exec line read and resolved; every broken step ends in "no program".
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "src/about/xdg_html_handler_finder.h"

using horalia::about::XdgHtmlHandlerFinder;

namespace {

class XdgFinderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        dataDir = root.filePath(QStringLiteral("data"));
        binDir = root.filePath(QStringLiteral("bin"));
        QDir().mkpath(dataDir + QStringLiteral("/applications/vendor"));
        QDir().mkpath(binDir);
        document = root.filePath(QStringLiteral("temphtm.HTM"));
        write(document, "\"<HTML> <\\HTML>\"\n");
        browser = binDir + QStringLiteral("/web browser");
        write(browser, "#!/bin/sh\n");
        QFile::setPermissions(browser, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    static void write(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        file.write(bytes);
    }

    void entry(const QString& relative, const QString& exec) {
        write(dataDir + QStringLiteral("/applications/") + relative,
              ("[Desktop Entry]\nType=Application\nName=Browser\nExec=" + exec + "\n").toUtf8());
    }

    XdgHtmlHandlerFinder finder(std::optional<QString> answer) {
        return XdgHtmlHandlerFinder(
            [this, answer](const QString& program, const QStringList& arguments) {
                runs << program + u' ' + arguments.join(u' ');
                return answer;
            },
            {root.filePath(QStringLiteral("nothing-here")), dataDir}, {binDir});
    }

    QTemporaryDir root;
    QString dataDir, binDir, document, browser;
    QStringList runs;
};

TEST_F(XdgFinderTest, FindsTheDefaultHtmlHandlersProgramAndItsFixedArguments) {
    entry(QStringLiteral("browser.desktop"), "\"" + browser + "\" --new-window %u");
    auto found = finder(QStringLiteral("browser.desktop\n")).findExecutable(document);
    EXPECT_EQ(runs, QStringList{"xdg-mime query default text/html"});
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->path, browser);
    EXPECT_EQ(found->arguments, QStringList{"--new-window"});
}

TEST_F(XdgFinderTest, ABareProgramNameIsLookedForOnThePath) {
    QFile::copy(browser, binDir + QStringLiteral("/surf"));
    QFile::setPermissions(binDir + QStringLiteral("/surf"), QFile::ReadOwner | QFile::ExeOwner);
    entry(QStringLiteral("vendor/surf.desktop"), QStringLiteral("surf %U"));
    auto found = finder(QStringLiteral("vendor-surf.desktop")).findExecutable(document);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->path, binDir + QStringLiteral("/surf"));
    EXPECT_TRUE(found->arguments.isEmpty());
}

TEST_F(XdgFinderTest, TheFirstUsableEntryOfAListWins) {
    entry(QStringLiteral("good.desktop"), "'" + browser + "'");  // single quotes are no quoting: no such file
    entry(QStringLiteral("better.desktop"), "\"" + browser + "\"");
    auto found =
        finder(QStringLiteral("missing.desktop;good.desktop;better.desktop;")).findExecutable(document);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->path, browser);
}

TEST_F(XdgFinderTest, EveryBrokenStepEndsInNoProgram) {
    entry(QStringLiteral("browser.desktop"), "\"" + browser + "\" %u");
    // The document is missing: nothing is asked.
    EXPECT_FALSE(finder(QStringLiteral("browser.desktop")).findExecutable(document + QStringLiteral("x")));
    EXPECT_TRUE(runs.isEmpty());
    // A document of no known type.
    write(root.filePath(QStringLiteral("probe.zzqq")), "x");
    EXPECT_FALSE(finder(QStringLiteral("browser.desktop"))
                     .findExecutable(root.filePath(QStringLiteral("probe.zzqq"))));
    // xdg-mime missing or failing, or no default set.
    EXPECT_FALSE(finder(std::nullopt).findExecutable(document));
    EXPECT_FALSE(finder(QString()).findExecutable(document));
    EXPECT_FALSE(finder(QStringLiteral("\n\n")).findExecutable(document));
    // Names that are no desktop file IDs, or name files outside the applications folders.
    EXPECT_FALSE(finder(QStringLiteral("browser")).findExecutable(document));
    EXPECT_FALSE(finder(QStringLiteral("../applications/browser.desktop")).findExecutable(document));
    EXPECT_FALSE(finder(QStringLiteral("nobody.desktop")).findExecutable(document));
    // An entry without Exec, with an empty one, or with a program that is not there or cannot run.
    write(dataDir + QStringLiteral("/applications/noexec.desktop"), "[Desktop Entry]\nName=x\n");
    EXPECT_FALSE(finder(QStringLiteral("noexec.desktop")).findExecutable(document));
    entry(QStringLiteral("empty.desktop"), QStringLiteral("  %u "));
    EXPECT_FALSE(finder(QStringLiteral("empty.desktop")).findExecutable(document));
    entry(QStringLiteral("gone.desktop"), binDir + QStringLiteral("/gone %u"));
    EXPECT_FALSE(finder(QStringLiteral("gone.desktop")).findExecutable(document));
    write(binDir + QStringLiteral("/plain"), "not a program");
    entry(QStringLiteral("plain.desktop"), binDir + QStringLiteral("/plain"));
    EXPECT_FALSE(finder(QStringLiteral("plain.desktop")).findExecutable(document));
    entry(QStringLiteral("relative.desktop"), QStringLiteral("bin/web\\sbrowser"));
    EXPECT_FALSE(finder(QStringLiteral("relative.desktop")).findExecutable(document));
}

TEST(XdgExecLine, QuotingEscapesAndFieldCodes) {
    using C = QStringList;
    const auto exec = [](const char* line) {
        return XdgHtmlHandlerFinder::execCommand(QString::fromUtf8(line));
    };
    EXPECT_EQ(exec("firefox-esr %u"), C{"firefox-esr"});
    EXPECT_EQ(exec("  chromium   --incognito  %U "), (C{"chromium", "--incognito"}));
    EXPECT_EQ(exec("\"/opt/My Browser/run\" \"a \\\"b\\\" \\\\ c\""),
              (C{"/opt/My Browser/run", "a \"b\" \\ c"}));
    EXPECT_EQ(exec("b --icon=%i --url=%u --pct=100%% %c %k"), (C{"b", "--icon=", "--url=", "--pct=100%"}));
    EXPECT_EQ(exec("/usr/bin/flatpak run --branch=stable org.mozilla.firefox @@u %u @@"),
              (C{"/usr/bin/flatpak", "run", "--branch=stable", "org.mozilla.firefox"}));
    EXPECT_EQ(exec("\"unterminated quote"), C{"unterminated quote"});
    EXPECT_EQ(exec("trailing\\"), C{"trailing\\"});
    EXPECT_TRUE(exec("").isEmpty());
    EXPECT_TRUE(exec("%f %F @@").isEmpty());
}

TEST(XdgExecLine, OnlyTheDesktopEntryGroupsExecCounts) {
    const QString text = QStringLiteral(
        "# Exec=comment\n"
        "[Desktop Action new-window]\n"
        "Exec=wrong --new-window\n"
        "[Desktop Entry]\n"
        "Exec[de]=localised\n"
        "# Exec=commented\n"
        "  Exec =  web\\sbrowser \\\\x %u  \r\n"
        "Exec=second\n"
        "[Other]\nExec=other\n");
    EXPECT_EQ(XdgHtmlHandlerFinder::execValue(text), QStringLiteral("web browser \\x %u"));
    EXPECT_EQ(XdgHtmlHandlerFinder::execValue(QStringLiteral("Exec=no group")), QString());
    EXPECT_EQ(XdgHtmlHandlerFinder::execValue(QStringLiteral("[Desktop Entry]\nExec")), QString());
}

TEST(XdgExecLine, GarbageNeverCrashes) {
    QRandomGenerator random(4);
    const QString alphabet = QStringLiteral("[]=\\\"% \n\tExec@uDesktop Entry");
    for (int round = 0; round < 2000; ++round) {
        QString text = QStringLiteral("[Desktop Entry]\nExec=");
        const int length = static_cast<int>(random.bounded(80));
        for (int i = 0; i < length; ++i) {
            text +=
                alphabet.at(static_cast<qsizetype>(random.bounded(static_cast<quint32>(alphabet.size()))));
        }
        const QStringList command = XdgHtmlHandlerFinder::execCommand(XdgHtmlHandlerFinder::execValue(text));
        for (const QString& word : command) {
            EXPECT_FALSE(word.isEmpty()) << text.toStdString();
        }
    }
}

}  // namespace
