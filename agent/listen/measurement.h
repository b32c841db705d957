// Measuring the recognizer on recordings whose commands are known: a user's own microphone, or a developer's
// set of speakers. A list names each recording and the command said in it, or none; a tally counts what the
// recognizer made of them.
#pragma once

#include <QList>
#include <QString>

#include "agent/listen/recognition.h"
#include "agent/result.h"

namespace agent::listen {

struct Expectation {
    QString recording;  // a sound file's path
    QString command;    // the command said in it; empty for speech that is no command
    bool operator==(const Expectation&) const = default;
};

// Reads a list of recordings, one a line: the file, a tab, and the command's name, or "-" (or nothing) for
// speech that is no command. Relative paths are taken from the list's folder; empty lines and lines starting
// with '#' are skipped.
Result<QList<Expectation>> readExpectations(const QString& path);

struct Tally {
    int commands = 0;    // recordings of a command
    int understood = 0;  // ... taken for that command
    int refused = 0;     // ... taken for none
    int mistaken = 0;    // ... taken for another command
    int others = 0;      // recordings that are no command
    int accepted = 0;    // ... taken for a command

    // Counts what was made of one recording; returns "understood", "refused", "mistaken" or, for speech
    // that is no command, "refused" or "accepted".
    QString add(const QString& expected, const Recognition& recognition);
    // One line for the commands and one for the rest, each only when there were such recordings.
    QString summary() const;
};

}  // namespace agent::listen
