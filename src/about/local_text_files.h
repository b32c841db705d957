// Text files on the local disk.
#pragma once

#include "src/about/text_files.h"

namespace horalia::about {

class LocalTextFiles : public TextFiles {
public:
    agent::Status writeText(const QString& path, const QString& text) override;
    agent::Status remove(const QString& path) override;
};

}  // namespace horalia::about
