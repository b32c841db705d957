#include "src/platform/launch_command.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using horalia::platform::desktopEntryCommand;
using horalia::platform::launchCommand;
using horalia::platform::LaunchCommand;

namespace {

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
    auto write = [&](const QString& name, const QByteArray& text, bool executable) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        f.close();
        QFile::Permissions p = QFile::ReadOwner | QFile::WriteOwner;
        if (executable) {
            p |= QFile::ExeOwner;
        }
        f.setPermissions(p);
        return dir.filePath(name);
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
