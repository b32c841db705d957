#include "src/platform/autostart_entry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "src/platform/paths.h"

namespace horalia::platform {

namespace {

QString autostartFolder() {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config)) {
        config = QDir::homePath() + QStringLiteral("/.config");
    }
    return QDir::cleanPath(config + QStringLiteral("/autostart"));
}

}  // namespace

AutostartEntry::AutostartEntry()
    : source_(programFolder() + QStringLiteral("/horalia-deluxe.desktop")),
      target_(autostartFolder() + QStringLiteral("/horalia-deluxe.desktop")) {}

bool AutostartEntry::place() {
    if (!QFileInfo::exists(source_)) {
        return false;
    }
    QDir().mkpath(QFileInfo(target_).absolutePath());
    // QFile::copy never overwrites.
    QFile::remove(target_);
    return QFile::copy(source_, target_);
}

bool AutostartEntry::remove() {
    return QFile::remove(target_);
}

}  // namespace horalia::platform
