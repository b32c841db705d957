// The settings store as an INI file: $XDG_CONFIG_HOME/HoraliaIIV/settings.ini.
//
// Nothing is cached: every read reads the file, so a change made by another process is seen at once. Every
// write reads the file afresh under a lock file, changes one line and replaces the file atomically and
// durably (written in full, flushed to disk, renamed over the old one, the folder flushed too). A file that
// exists but cannot be read is never overwritten: reads give their defaults, writes fail, nothing is lost.
#pragma once

#include <QString>

#include "agent/ini/ini_document.h"
#include "src/platform/settings_store.h"

namespace horalia::platform {

using agent::ini::IniDocument;

class IniSettingsStore : public SettingsStore {
public:
    // Files larger than this are not ours: they are treated as unreadable.
    static constexpr qint64 kMaxFileSize = 8 * 1024 * 1024;

    explicit IniSettingsStore(QString filePath);

    // $XDG_CONFIG_HOME/HoraliaIIV/settings.ini, $XDG_CONFIG_HOME defaulting to ~/.config.
    static QString defaultFilePath();

    QString read(const QString& section, const QString& key, const QString& defaultValue = {}) const override;
    agent::Status write(const QString& section, const QString& key, const QString& value) override;

    // The whole file as read now; a failure when it exists but cannot be read.
    agent::Result<IniDocument> load() const;
    const QString& filePath() const { return path_; }

private:
    QString path_;
};

}  // namespace horalia::platform
