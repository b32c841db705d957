// The settings store as an INI file: $XDG_CONFIG_HOME/HoraliaIIV/settings.ini, read afresh on every read and
// replaced durably on every write (see agent/ini/ini_file.h). A file that exists but cannot be read is never
// overwritten: reads give their defaults, writes fail, nothing is lost.
#pragma once

#include <QString>

#include "agent/ini/ini_file.h"
#include "src/platform/settings_store.h"

namespace horalia::platform {

using agent::ini::IniDocument;

class IniSettingsStore : public SettingsStore {
public:
    explicit IniSettingsStore(QString filePath);

    // $XDG_CONFIG_HOME/HoraliaIIV/settings.ini, $XDG_CONFIG_HOME defaulting to ~/.config.
    static QString defaultFilePath();

    QString read(const QString& section, const QString& key, const QString& defaultValue = {}) const override;
    agent::Status write(const QString& section, const QString& key, const QString& value) override;

    // The whole file as read now; a failure when it exists but cannot be read.
    agent::Result<IniDocument> load() const { return file_.load(); }
    const QString& filePath() const { return file_.path(); }

private:
    agent::ini::IniFile file_;
};

}  // namespace horalia::platform
