// How an engine finds and opens a character by the name a program gives: a bare file name is looked for in
// the character folders, one after the other, a path is taken as it is. Every engine opens characters here,
// so a file loads, or fails with the same error, whichever engine the program runs on.
#pragma once

#include "agent/format/acs_file.h"
#include "agent/result.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace agent::format {

// A name with a folder in it is returned as it is; a bare one is looked for in `folder`, whatever the case of
// its letters (files are named as their authors spelt them). An empty folder leaves the name as it is.
QString characterPath(const QString& folder, const QString& fileName);
// The same in each folder in turn (the user's own first, then the copies a program ships with): the first
// that has the file. When none has it, where the first folder would have it, so that an error names the
// place the user would put the file. No folders leave the name as it is.
QString characterPath(const QStringList& folders, const QString& fileName);

// The character at characterPath(folders, fileName), opened; fails with "cannot load PATH: why".
Result<std::unique_ptr<AcsFile>> openCharacter(const QStringList& folders, const QString& fileName);

}  // namespace agent::format
