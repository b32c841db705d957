// Which of a character's commands can be said: those enabled that have a phrase to say.
#pragma once

#include <QList>

#include "agent/character.h"
#include "agent/listen/recognition.h"

namespace agent::listen {

inline bool canBeSpoken(const Command& command) {
    return command.enabled && !command.voice.trimmed().isEmpty();
}

inline QList<VoiceCommand> spokenCommands(const QList<Command>& commands) {
    QList<VoiceCommand> spoken;
    for (const Command& c : commands) {
        if (canBeSpoken(c)) {
            spoken.append({c.name, c.voice});
        }
    }
    return spoken;
}

}  // namespace agent::listen
