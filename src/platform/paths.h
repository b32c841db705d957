// Where the program's files live on this system.
#pragma once

#include <QString>
#include <QStringList>

namespace horalia::platform {

// $XDG_DATA_HOME/horalia (default ~/.local/share/horalia), without a trailing separator: the program's own
// data folder, which holds the character folder.
QString dataFolder();
// dataFolder() + "/msagent/chars": the user's character folder, where the first run puts the characters and
// where the user adds others.
QString characterFolder();
// Where characters are found by bare file name: the user's character folder, then the copies the program
// ships beside itself (the build's bin/, or the installed program folder), so that a character the user has
// no copy of still loads.
QStringList characterFolders();
// The folder of the running executable, where the companion programs and add-ons lie.
QString programFolder();
// A file in the program folder: the Windows-style "name.exe" is plain "name" here.
QString programFile(const QString& name);

}  // namespace horalia::platform
