// What the user may run: the open-file dialogs' Windows filters as Linux ones (which names and which files
// each one lists), and the command that starts a program, a script or a desktop entry.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "tests/support/qt_printers.h"

#include "src/platform/file_filters.h"
#include "src/platform/launch_command.h"

using horalia::platform::desktopEntryCommand;
using horalia::platform::FileFilter;
using horalia::platform::fileFilters;
using horalia::platform::launchCommand;
using horalia::platform::LaunchCommand;

namespace {

// A file of that text in dir, which its owner may run when `runnable`.
QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& text, bool runnable) {
    QFile f(dir.filePath(name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
    f.close();
    const QFile::Permissions owner = QFile::ReadOwner | QFile::WriteOwner;
    EXPECT_TRUE(f.setPermissions(runnable ? owner | QFile::ExeOwner : owner));
    return f.fileName();
}

// Each filter as the dialog's text, "+x" when only files the user may run are listed.
QStringList shown(const QString& windowsFilter) {
    QStringList out;
    for (const FileFilter& f : fileFilters(windowsFilter)) {
        out << f.nameFilter() + (f.executablesOnly ? " +x" : "");
    }
    return out;
}

TEST(FileFilters, WindowsPatternsBecomeTheirLinuxCounterpartsUnderTheSameDescriptions) {
    const struct {
        const char* windows;
        QStringList expected;
    } table[] = {
        {"Program files (*.exe)|*.exe|Pif files (*.pif)|*.pif|Batch files (*.bat)|*.bat",
         {"Program files (*) +x", "Pif files (*.desktop)", "Batch files (*.sh *.bash *.py *.pl)"}},
        // Nothing to map: as it stands.
        {"Agent Characters (*.acs)|*.acs", {"Agent Characters (*.acs)"}},
        // Windows compares without regard to case; a caption without its patterns gets them.
        {"Programs|*.EXE", {"Programs (*) +x"}},
        {"Commands (*.com;*.cmd)|*.com;*.cmd", {"Commands (* *.sh *.bash *.py *.pl) +x"}},
        // Two Windows patterns with one counterpart name it once.
        {"Shortcuts (*.lnk;*.pif)|*.lnk; *.pif", {"Shortcuts (*.desktop)"}},
        {"Text and pictures|*.txt;*.bmp", {"Text and pictures (*.txt *.bmp)"}},
        // A description left without a pattern, or with an empty one, is no filter.
        {"Text (*.txt)|*.txt|Dangling", {"Text (*.txt)"}},
        {"Empty||Text|*.txt", {"Text (*.txt)"}},
        {"", {}},
    };
    for (const auto& row : table) {
        EXPECT_EQ(shown(QString::fromLatin1(row.windows)), row.expected) << row.windows;
    }
}

TEST(FileFilters, ProgramsAreWhatTheUserMayRunScriptsAndEntriesGoByTheirNames) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto file = [&dir](const QString& name, bool runnable) {
        return QFileInfo(writeFile(dir, name, "#!/bin/sh\n", runnable));
    };
    const QFileInfo tool = file("calendar", true);
    const QFileInfo notes = file("notes.txt", false);
    const QFileInfo runnableScript = file("wake.sh", true);
    const QFileInfo plainScript = file("snooze.sh", false);
    const QFileInfo loudScript = file("Wake.SH", true);
    const QFileInfo entry = file("clock.desktop", false);
    ASSERT_TRUE(QDir(dir.path()).mkdir("bin"));
    const QFileInfo folder(dir.filePath("bin"));

    const QList<FileFilter> filters =
        fileFilters("Program files (*.exe)|*.exe|Pif files (*.pif)|*.pif|Batch files (*.bat)|*.bat");
    ASSERT_EQ(filters.size(), 3);
    const auto listed = [&](const FileFilter& filter) {
        QStringList names;
        for (const QFileInfo& f : {tool, notes, runnableScript, plainScript, loudScript, entry, folder}) {
            if (filter.lists(f)) {
                names << f.fileName();
            }
        }
        return names;
    };
    EXPECT_EQ(listed(filters[0]), (QStringList{"calendar", "wake.sh", "Wake.SH", "bin"}));
    EXPECT_EQ(listed(filters[1]), (QStringList{"clock.desktop", "bin"}));
    // Linux names keep their case, so a script that shouts its extension is not one.
    EXPECT_EQ(listed(filters[2]), (QStringList{"wake.sh", "snooze.sh", "bin"}));
}

TEST(DesktopEntryCommand, ExecLineWithoutItsFieldCodes) {
    struct Case {
        const char* entry;
        std::optional<LaunchCommand> command;
    };
    const Case cases[] = {
        {"[Desktop Entry]\nType=Application\nExec=mpv --fs %U\n", LaunchCommand{"mpv", {"--fs"}}},
        {"[Desktop Entry]\nExec=\"/opt/My Player/play\" --volume=50%% %f\n",
         LaunchCommand{"/opt/My Player/play", {"--volume=50%"}}},
        {"[Desktop Entry]\nExec=app --name=%c %i %k\n", LaunchCommand{"app", {"--name="}}},
        {"# comment\n[Desktop Action New]\nExec=other\n[Desktop Entry]\nExec= xclock \n",
         LaunchCommand{"xclock", {}}},
        {"[Desktop Entry]\nType=Link\nURL=https://example.org\nExec=xclock\n", std::nullopt},
        {"[Desktop Entry]\nType=Application\nHidden=true\nExec=xclock\n", std::nullopt},
        {"[Desktop Entry]\nType=Application\nName=No command\n", std::nullopt},
        {"[Desktop Entry]\nExec=%u\n", std::nullopt},
        {"Exec=xclock\n", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        EXPECT_EQ(desktopEntryCommand(QString::fromUtf8(c.entry)), c.command);
    }
}

TEST(LaunchCommand, ProgramsScriptsAndEntriesEachStartTheirWay) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto write = [&dir](const QString& name, const QByteArray& text, bool runnable) {
        return writeFile(dir, name, text, runnable);
    };
    const QString program = write("wake-up", "#!/bin/sh\n", true);
    const QString script = write("Music.SH", "echo hi\n", false);
    const QString python = write("lights.py", "print()\n", false);
    const QString entry = write("radio.desktop", "[Desktop Entry]\nExec=radio --station %u\n", false);
    const QString plain = write("notes.txt", "text\n", false);

    EXPECT_EQ(launchCommand(program, {"-q"}), (LaunchCommand{program, {"-q"}}));
    EXPECT_EQ(launchCommand(script, {}), (LaunchCommand{"/bin/sh", {script}}));
    EXPECT_EQ(launchCommand(python, {"a"}), (LaunchCommand{"python3", {python, "a"}}));
    EXPECT_EQ(launchCommand(entry, {"x"}), (LaunchCommand{"radio", {"--station", "x"}}));
    EXPECT_EQ(launchCommand(plain, {}), std::nullopt) << "a document is no program";
    EXPECT_EQ(launchCommand(dir.filePath("missing"), {}), std::nullopt);
    EXPECT_EQ(launchCommand(dir.path(), {}), std::nullopt) << "a folder is no program";
    EXPECT_EQ(launchCommand("", {}), std::nullopt);
}

}  // namespace
