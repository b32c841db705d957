#include "src/platform/process_shell.h"

#include <QFileInfo>
#include <QProcess>

#include "src/platform/launch_command.h"

namespace horalia::platform {

bool ProcessShell::start(const QString& path, const QStringList& arguments, WindowStyle /*style*/) {
    const std::optional<LaunchCommand> command = launchCommand(path, arguments);
    if (!command) {
        return false;
    }
    return QProcess::startDetached(command->program, command->arguments, QFileInfo(path).absolutePath());
}

}  // namespace horalia::platform
