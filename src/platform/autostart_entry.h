// Starting with the desktop session: the freedesktop autostart entry that ships beside the program is copied
// into the user's autostart folder, and removed from there again.
#pragma once

#include <QString>

namespace horalia::platform {

class AutostartEntry {
public:
    // The entry shipped in the program folder and its place in $XDG_CONFIG_HOME/autostart.
    AutostartEntry();
    AutostartEntry(QString source, QString target) : source_(std::move(source)), target_(std::move(target)) {}

    // Copies the shipped entry over whatever is at the target. False when it could not be copied.
    bool place();
    // False when nothing could be removed (also when nothing was there).
    bool remove();

    const QString& source() const { return source_; }
    const QString& target() const { return target_; }

private:
    QString source_;
    QString target_;
};

}  // namespace horalia::platform
