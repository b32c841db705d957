// The per-user settings store: sections of keys whose values are strings.
#pragma once

#include <QString>

#include "agent/result.h"

namespace horalia::platform {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // The stored value, or defaultValue when the key is absent or the store cannot be read. Section and key
    // names are found without regard to case.
    virtual QString read(const QString& section, const QString& key,
                         const QString& defaultValue = {}) const = 0;
    // Stores the value, creating section and key as needed. When it cannot be stored, the store is as it was
    // before the call.
    virtual agent::Status write(const QString& section, const QString& key, const QString& value) = 0;
};

}  // namespace horalia::platform
