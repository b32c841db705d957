// The few file operations of the web page opener: write a small text file, delete it.
#pragma once

#include <QString>

#include "agent/result.h"

namespace horalia::about {

class TextFiles {
public:
    virtual ~TextFiles() = default;
    // Creates or overwrites the file.
    virtual agent::Status writeText(const QString& path, const QString& text) = 0;
    // A failure when there was nothing to delete or it could not be deleted.
    virtual agent::Status remove(const QString& path) = 0;
};

}  // namespace horalia::about
