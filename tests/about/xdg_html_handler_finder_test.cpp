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

TEST(XdgFinder, FindsTheDefaultHtmlHandlersProgramAndItsFixedArgumentsOrNothing) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString dataDir = root.filePath(QStringLiteral("data"));
    const QString binDir = root.filePath(QStringLiteral("bin"));
    QDir().mkpath(dataDir + QStringLiteral("/applications/vendor"));
    QDir().mkpath(binDir);
    const auto write = [](const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        file.write(bytes);
    };
    const QString document = root.filePath(QStringLiteral("temphtm.HTM"));
    write(document, "\"<HTML> <\\HTML>\"\n");
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

    QFile::copy(browser, binDir + QStringLiteral("/surf"));
    QFile::setPermissions(binDir + QStringLiteral("/surf"), QFile::ReadOwner | QFile::ExeOwner);
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
    EXPECT_FALSE(finder(QStringLiteral("browser.desktop"))
                     .findExecutable(root.filePath(QStringLiteral("probe.zzqq"))));
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
