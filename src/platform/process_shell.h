// Starts programs as detached processes.
#pragma once

#include "src/platform/shell.h"

namespace horalia::platform {

class ProcessShell : public Shell {
public:
    // The window style is a hint that a Linux desktop has no portable way to pass on; the program's own
    // window decides how it appears.
    using Shell::start;
    agent::Status start(const QString& path, const QStringList& arguments, WindowStyle style) override;
};

}  // namespace horalia::platform
