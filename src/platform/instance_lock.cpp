#include "src/platform/instance_lock.h"

#include <QDir>
#include <QFileInfo>
#include <unistd.h>

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
    QLockFile probe(path);
    probe.setStaleLockTime(0);
    if (probe.tryLock(0)) {
        probe.unlock();
        return false;
    }
    return probe.error() == QLockFile::LockFailedError;
}

}  // namespace horalia::platform
