// Starting other programs without waiting for them.
#pragma once

#include <QString>
#include <QStringList>

#include "agent/result.h"

namespace horalia::platform {

// How the started program's window should appear.
enum class WindowStyle {
    NormalFocus = 1,
    MinimisedFocus = 2,
    NormalNoFocus = 4,
};

class Shell {
public:
    virtual ~Shell() = default;
    // Starts the program at path; a failure when it is missing, not a program or could not be started.
    virtual agent::Status start(const QString& path, WindowStyle style) { return start(path, {}, style); }
    virtual agent::Status start(const QString& path, const QStringList& arguments, WindowStyle style) = 0;
};

}  // namespace horalia::platform
