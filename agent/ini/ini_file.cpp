#include "agent/ini/ini_file.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QSysInfo>

namespace agent::ini {

namespace {

constexpr int kLockTimeoutMs = 5000;

// Whether a lock names no process of this machine that is running: its writer was killed, or killed before
// it could write its process id into it.
bool namesNoLiveProcess(const QLockFile& lock) {
    qint64 pid = 0;
    QString host;
    QString app;
    if (!lock.getLockInfo(&pid, &host, &app)) {
        return true;
    }
    return host == QSysInfo::machineHostName() && pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 &&
           errno == ESRCH;
}

// QLockFile takes a lock of a writer that was killed as stale, but not one killed between making its lock
// file and writing its process id into it (that waits for the stale time), and not while a second lock it
// makes beside the first to serialise that removal (".rmlock") was left the same way. A lock that has stayed
// so for a while, and such a removal lock, are taken over.
bool takeOverDeadLock(QLockFile& lock, const QString& lockPath) {
    bool tookOver = false;
    const QString removalPath = lockPath + QStringLiteral(".rmlock");
    if (QFile::exists(removalPath)) {
        QLockFile removal(removalPath);
        tookOver = namesNoLiveProcess(removal) && removal.removeStaleLockFile();
    }
    if (namesNoLiveProcess(lock)) {
        tookOver = lock.removeStaleLockFile() || tookOver;
    }
    return tookOver;
}

// The rename that replaced the file is durable only once the folder holding it is on disk too.
void syncFolder(const QString& folder) {
    int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

Result<IniDocument> IniFile::load() const {
    QFileInfo info(path_);
    if (!info.exists()) {
        return IniDocument{};
    }
    if (!info.isFile()) {
        return fail(QStringLiteral("%1 is not a file").arg(path_));
    }
    if (info.size() > kMaxFileSize) {
        return fail(QStringLiteral("%1 is larger than %2 bytes").arg(path_).arg(kMaxFileSize));
    }
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) {
        if (!file.exists()) {
            return IniDocument{};  // removed since we looked
        }
        return fail(QStringLiteral("cannot read %1: %2").arg(path_, file.errorString()));
    }
    QByteArray text = file.read(kMaxFileSize + 1);
    if (text.size() > kMaxFileSize) {
        return fail(QStringLiteral("%1 is larger than %2 bytes").arg(path_).arg(kMaxFileSize));
    }
    return IniDocument::parse(text);
}

Status IniFile::update(const std::function<void(IniDocument&)>& change) {
    QString folder = QFileInfo(path_).absolutePath();
    if (!QDir().mkpath(folder)) {
        return fail(QStringLiteral("cannot create the folder %1").arg(folder));
    }
    // Another process may be writing another key: read, change and replace under one lock, or one of the
    // two changes would be lost.
    const QString lockPath = path_ + QStringLiteral(".lock");
    QLockFile lock(lockPath);
    lock.setStaleLockTime(30000);
    if (!lock.tryLock(kLockTimeoutMs) &&
        !(takeOverDeadLock(lock, lockPath) && lock.tryLock(kLockTimeoutMs))) {
        return fail(QStringLiteral("%1 is locked by another process").arg(path_));
    }
    Result<IniDocument> doc = load();
    if (!doc) {
        return doc.failure();
    }
    change(*doc);

    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly)) {
        return fail(QStringLiteral("cannot write %1: %2").arg(path_, file.errorString()));
    }
    QByteArray text = doc->serialize();
    bool written = file.write(text) == text.size() && file.flush() && ::fsync(file.handle()) == 0;
    if (!written || !file.commit()) {
        return fail(QStringLiteral("cannot write %1: %2").arg(path_, file.errorString()));
    }
    syncFolder(folder);
    return {};
}

}  // namespace agent::ini
