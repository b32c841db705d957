#include "src/platform/process_shell.h"

#include <QFileInfo>
#include <QProcess>

#include "src/platform/launch_command.h"

namespace horalia::platform {

agent::Status ProcessShell::start(const QString& path, const QStringList& arguments, WindowStyle /*style*/) {
    const std::optional<LaunchCommand> command = launchCommand(path, arguments);
    if (!command) {
        return agent::fail(QStringLiteral("cannot start %1: no such program").arg(path));
    }
    if (!QProcess::startDetached(command->program, command->arguments, QFileInfo(path).absolutePath())) {
        return agent::fail(QStringLiteral("cannot start %1").arg(command->program));
    }
    return {};
}

}  // namespace horalia::platform
