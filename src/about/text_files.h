// The few file operations of the web page opener: write a small text file, delete it.
#pragma once

#include <QString>

namespace horalia::about {

class TextFiles {
public:
    virtual ~TextFiles() = default;
    // Creates or overwrites the file. False when it cannot be written.
    virtual bool writeText(const QString& path, const QString& text) = 0;
    // False when there was nothing to delete or it could not be deleted.
    virtual bool remove(const QString& path) = 0;
};

}  // namespace horalia::about
