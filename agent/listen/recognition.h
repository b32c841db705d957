// What the recognizer makes of one utterance, and the commands it listens for.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace agent::listen {

// A command as the user may say it: its name, and its phrase in the voice-grammar notation ("[Move Me]Home",
// "(Introduction | Introduce)").
struct VoiceCommand {
    QString name;
    QString voice;
    bool operator==(const VoiceCommand&) const = default;
};

struct Recognition {
    QString command;           // the name of the command heard; empty when the speech was no command
    double confidence = 0.0;   // 0 to 1, how sure the recognizer is of `command`
    QStringList alternatives;  // other commands that came close, most likely first
    QString words;             // the words the recognizer heard, command or not
    bool accepted() const { return !command.isEmpty(); }
};

}  // namespace agent::listen
