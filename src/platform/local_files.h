// The files of this machine.
#pragma once

#include "src/platform/files.h"

namespace horalia::platform {

class LocalFiles : public Files {
public:
    agent::Status makeFolder(const QString& path) override;
    agent::Status copyOver(const QString& from, const QString& to) override;
    bool canRead(const QString& path) const override;
};

}  // namespace horalia::platform
