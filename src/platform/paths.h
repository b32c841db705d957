// Where the program's files live on this system.
#pragma once

#include <QString>

namespace horalia::platform {

// $XDG_DATA_HOME/horalia (default ~/.local/share/horalia), without a trailing separator: the program's own
// data folder, which holds the character folder.
QString dataFolder();
// dataFolder() + "/msagent/chars": where characters are found by bare file name.
QString characterFolder();
// The folder of the running executable, where the companion programs and add-ons lie.
QString programFolder();
// A file in the program folder: the Windows-style "name.exe" is plain "name" here.
QString programFile(const QString& name);

}  // namespace horalia::platform
