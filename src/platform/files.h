// Files the set-up handles: folders made, files copied over, files looked for.
#pragma once

#include <QString>

#include "agent/result.h"

namespace horalia::platform {

class Files {
public:
    virtual ~Files() = default;
    // Creates the folder and its parents; an existing folder is no failure.
    virtual agent::Status makeFolder(const QString& path) = 0;
    // Copies from over to, replacing whatever is at to; on a failure nothing was copied.
    virtual agent::Status copyOver(const QString& from, const QString& to) = 0;
    // Whether the file can be opened for reading.
    virtual bool canRead(const QString& path) const = 0;
};

}  // namespace horalia::platform
