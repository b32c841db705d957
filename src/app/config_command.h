// `horalia config get|set|list`: the settings from the command line, for users and scripts.
#pragma once

#include <QStringList>
#include <QTextStream>

#include "src/platform/ini_settings_store.h"

namespace horalia::app {

// args are the words after "config". Returns the exit code: 0 done, 1 with a message on err otherwise.
int runConfigCommand(const QStringList& args, platform::IniSettingsStore& store, QTextStream& out,
                     QTextStream& err);

}  // namespace horalia::app
