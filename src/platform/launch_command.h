// How a file the user chose starts on Linux: a program as itself, a script that is not marked executable
// through its interpreter, a desktop entry through its Exec line. These are the kinds the program dialog
// offers for an alarm.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace horalia::platform {

struct LaunchCommand {
    QString program;
    QStringList arguments;
    bool operator==(const LaunchCommand&) const = default;
};

// The command a desktop entry's text runs: its Exec line with the field codes that stand for files, addresses
// and the entry itself left out ("%%" is a percent sign). Nothing for an entry that is not an application,
// is hidden, or has no Exec line.
std::optional<LaunchCommand> desktopEntryCommand(const QString& entryText);

// Nothing when the file does not exist or cannot be started.
std::optional<LaunchCommand> launchCommand(const QString& path, const QStringList& arguments);

}  // namespace horalia::platform
