// The program on the desktop: the real platform, the clock window with its tray icon, and the other windows,
// each created on first use and then kept.
#pragma once

#include <QApplication>

namespace horalia::app {

// Starts the clock as a returning user's start does and runs until the program ends.
int runDesktop(QApplication& app);

}  // namespace horalia::app
