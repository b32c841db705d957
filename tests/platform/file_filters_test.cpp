// The open-file dialogs' Windows filters as Linux ones: which names and which files each one lists.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "tests/support/qt_printers.h"

#include "src/platform/file_filters.h"

using horalia::platform::FileFilter;
using horalia::platform::fileFilters;

namespace {

// Each filter as the dialog's text, "+x" when only files the user may run are listed.
QStringList shown(const QString& windowsFilter) {
    QStringList out;
    for (const FileFilter& f : fileFilters(windowsFilter)) {
        out << f.nameFilter() + (f.executablesOnly ? " +x" : "");
    }
    return out;
}

}  // namespace

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
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\n");
        f.close();
        QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
        if (runnable) {
            permissions |= QFile::ExeOwner;
        }
        EXPECT_TRUE(f.setPermissions(permissions));
        return QFileInfo(f.fileName());
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
