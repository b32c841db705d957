#include "src/platform/process_shell.h"

#include <QFileInfo>
#include <QProcess>

namespace horalia::platform {

bool ProcessShell::start(const QString& path, const QStringList& arguments, WindowStyle /*style*/) {
    QFileInfo info(path);
    if (path.isEmpty() || !info.isFile() || !info.isExecutable()) {
        return false;
    }
    return QProcess::startDetached(info.absoluteFilePath(), arguments, info.absolutePath());
}

}  // namespace horalia::platform
