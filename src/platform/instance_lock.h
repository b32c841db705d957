// The running clock's mark: a per-user lock file in the runtime folder, held for the life of the process. The
// restart companion waits for it to be free before it starts the clock again.
#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

namespace horalia::platform {

// $XDG_RUNTIME_DIR/horalia-deluxe.lock; without a runtime folder, a per-user name in the temporary folder.
QString instanceLockPath();

class InstanceLock {
public:
    explicit InstanceLock(const QString& path = instanceLockPath());
    // Takes the lock without waiting; a lock left by a process that no longer runs counts as free. False
    // when another running clock holds it.
    bool tryLock();
    bool held() const { return held_; }

private:
    QLockFile file_;
    bool held_ = false;
};

// True when a running process holds the lock at path.
bool instanceRunning(const QString& path = instanceLockPath());

}  // namespace horalia::platform
