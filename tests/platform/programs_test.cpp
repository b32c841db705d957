// What the user may run: the open-file dialogs' Windows filters as Linux ones (which names and which files
// each one lists), and the command that starts a program, a script or a desktop entry.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "tests/support/qt_printers.h"

#include "src/platform/file_filters.h"
#include "src/platform/launch_command.h"

namespace horalia::platform {
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

const char kPrograms[] = "Program files (*.exe)|*.exe|Pif files (*.pif)|*.pif|Batch files (*.bat)|*.bat";

TEST(FileFilters, WindowsPatternsBecomeLinuxOnesThatListTheirFilesAndEachFileStartsItsWay) {
    // Each filter as the dialog's text, "+x" when it lists runnable files only.
    for (const auto& [windows, expected] : std::initializer_list<std::pair<const char*, QStringList>>{
             {kPrograms,
              {"Program files (*) +x", "Pif files (*.desktop)", "Batch files (*.sh *.bash *.py *.pl)"}},
             // Windows compares without regard to case; a caption without its patterns gets them.
             {"Programs|*.EXE", {"Programs (*) +x"}},
             {"Commands (*.com;*.cmd)|*.com;*.cmd", {"Commands (* *.sh *.bash *.py *.pl) +x"}},
             // Two Windows patterns with one counterpart name it once.
             {"Shortcuts (*.lnk;*.pif)|*.lnk; *.pif", {"Shortcuts (*.desktop)"}},
             // Nothing to map: as it stands; an empty pattern, or none, is no filter.
             {"Text (*.txt)|*.txt|Empty||Dangling", {"Text (*.txt)"}}}) {
        QStringList shown;
        for (const FileFilter& f : fileFilters(QString::fromLatin1(windows))) {
            shown << f.nameFilter() + (f.executablesOnly ? " +x" : "");
        }
        EXPECT_EQ(shown, expected) << windows;
    }

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QList<QFileInfo> files;
    for (const char* name : {"calendar", "Wake.SH", "snooze.sh", "clock.desktop"}) {
        files << QFileInfo(writeFile(dir, name, "#!/bin/sh\n", QByteArray(name) != "snooze.sh"));
    }
    ASSERT_TRUE(QDir(dir.path()).mkdir("bin"));
    files << QFileInfo(dir.filePath("bin"));
    QStringList listed;
    for (const FileFilter& filter : fileFilters(kPrograms)) {
        for (const QFileInfo& f : files) {
            listed << (filter.lists(f) ? f.fileName() : "-");
        }
    }
    // Linux names keep their case, so a script that shouts its extension is not one.
    EXPECT_EQ(listed.join(' '),
              "calendar Wake.SH - clock.desktop bin - - - clock.desktop bin - - snooze.sh - bin");

    // The command that starts each kind of file, in the same folder.
    const QString program = writeFile(dir, "wake-up", "#!/bin/sh\n", true);
    const QString script = writeFile(dir, "Music.SH", "echo hi\n", false);
    const QString python = writeFile(dir, "lights.py", "print()\n", false);
    const QString entry =
        writeFile(dir, "radio.desktop", "[Desktop Entry]\nExec=radio --station %u\n", false);
    const QString plain = writeFile(dir, "notes.txt", "text\n", false);

    EXPECT_EQ(launchCommand(program, {"-q"}), (LaunchCommand{program, {"-q"}}));
    EXPECT_EQ(launchCommand(script, {}), (LaunchCommand{"/bin/sh", {script}}));
    EXPECT_EQ(launchCommand(python, {"a"}), (LaunchCommand{"python3", {python, "a"}}));
    EXPECT_EQ(launchCommand(entry, {"x"}), (LaunchCommand{"radio", {"--station", "x"}}));
    EXPECT_EQ(launchCommand(plain, {}), std::nullopt) << "a document is no program";
    EXPECT_EQ(launchCommand(dir.path(), {}), std::nullopt) << "a folder is no program";
    EXPECT_EQ(launchCommand("", {}), std::nullopt);

    // A desktop entry's command is its Exec line without the field codes.
    for (const auto& [text, command] :
         std::initializer_list<std::pair<const char*, std::optional<LaunchCommand>>>{
             {"[Desktop Entry]\nType=Application\nExec=mpv --fs %U\n", LaunchCommand{"mpv", {"--fs"}}},
             {"[Desktop Entry]\nExec=\"/opt/My Player/play\" --volume=50%% --name=%c %f\n",
              LaunchCommand{"/opt/My Player/play", {"--volume=50%", "--name="}}},
             {"# comment\n[Desktop Action New]\nExec=other\n[Desktop Entry]\nExec= xclock \n",
              LaunchCommand{"xclock", {}}},
             {"[Desktop Entry]\nType=Link\nURL=https://example.org\nExec=xclock\n", std::nullopt},
             {"[Desktop Entry]\nType=Application\nHidden=true\nExec=xclock\n", std::nullopt},
             {"[Desktop Entry]\nType=Application\nName=No command\n", std::nullopt},
             {"[Desktop Entry]\nExec=%u\n", std::nullopt}}) {
        EXPECT_EQ(desktopEntryCommand(QString::fromUtf8(text)), command) << text;
    }
}

}  // namespace
}  // namespace horalia::platform
