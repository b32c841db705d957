// Starting other programs without waiting for them.
#pragma once

#include <QString>
#include <QStringList>

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
    // Starts the program at path. False when it is missing, not executable or could not be started.
    virtual bool start(const QString& path, WindowStyle style) { return start(path, {}, style); }
    virtual bool start(const QString& path, const QStringList& arguments, WindowStyle style) = 0;
};

}  // namespace horalia::platform
