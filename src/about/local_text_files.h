// Text files on the local disk.
#pragma once

#include "src/about/text_files.h"

namespace horalia::about {

class LocalTextFiles : public TextFiles {
public:
    bool writeText(const QString& path, const QString& text) override;
    bool remove(const QString& path) override;
};

}  // namespace horalia::about
