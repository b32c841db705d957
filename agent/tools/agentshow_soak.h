// Many statements in a row, for watching what the desktop engine keeps as it is used.
#pragma once

#include <QList>

#include "agent/result.h"

namespace agent::render {
class DesktopCharacter;
class OptionsStore;
}  // namespace agent::render

// The characters, shown, take turns: each says a statement of the clock's kind and plays a gesture after it,
// at the fastest speaking speed the options allow, and a character is handed its next statement as soon as it
// is done with the last. Prints resident memory after `warmUp` statements and at the end, and the growth per
// thousand statements in between. Fails when a character stops answering.
agent::Status soak(const QList<agent::render::DesktopCharacter*>& cast, agent::render::OptionsStore& options,
                   int count, int warmUp);
