#include "src/platform/ini_settings_store.h"

#include <QDir>

namespace horalia::platform {

IniSettingsStore::IniSettingsStore(QString filePath) : file_(std::move(filePath)) {}

QString IniSettingsStore::defaultFilePath() {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config)) {
        config = QDir::homePath() + QStringLiteral("/.config");
    }
    return config + QStringLiteral("/HoraliaIIV/settings.ini");
}

QString IniSettingsStore::read(const QString& section, const QString& key,
                               const QString& defaultValue) const {
    agent::Result<IniDocument> doc = file_.load();
    if (!doc) {
        return defaultValue;
    }
    return doc->value(section, key).value_or(defaultValue);
}

agent::Status IniSettingsStore::write(const QString& section, const QString& key, const QString& value) {
    if (!IniDocument::isValidSectionName(section) || !IniDocument::isValidKeyName(key)) {
        return agent::fail(QStringLiteral("invalid section or key name"));
    }
    return file_.update([&](IniDocument& doc) { doc.setValue(section, key, value); });
}

}  // namespace horalia::platform
