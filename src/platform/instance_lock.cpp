#include "src/platform/instance_lock.h"

#include <signal.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QSysInfo>
#include <cerrno>

namespace horalia::platform {

QString instanceLockPath() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) {
        return runtime + QStringLiteral("/horalia-deluxe.lock");
    }
    // No runtime folder (a bare script or CI): the temporary folder, kept apart per user by the name.
    return QDir::tempPath() + QStringLiteral("/horalia-deluxe-%1.lock").arg(::getuid());
}

InstanceLock::InstanceLock(const QString& path) : file_(path) {
    // The clock may run for weeks: only a dead owner makes its lock stale, never its age.
    file_.setStaleLockTime(0);
}

bool InstanceLock::tryLock() {
    if (!held_) {
        held_ = file_.tryLock(0);
    }
    return held_;
}

bool instanceRunning(const QString& path) {
    // Only looks: taking the lock, even for a moment, could make a clock that starts just then believe that
    // another copy runs, and end.
    QLockFile probe(path);
    qint64 pid = 0;
    QString host;
    QString application;
    if (!probe.getLockInfo(&pid, &host, &application) || pid <= 0) {
        return false;
    }
    if (!host.isEmpty() && host != QSysInfo::machineHostName()) {
        return true;  // another machine's clock on a shared folder: nothing here can tell that it ended
    }
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

}  // namespace horalia::platform
