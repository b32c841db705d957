// The program on the desktop: the real platform, the clock window with its tray icon, and the other windows,
// each created on first use and then kept.
#pragma once

#include <QApplication>

namespace horalia::app {

// A second copy asks the running clock to show its window and ends at once. Every other start passes
// New_User: a returning user's start shows the clock, a first run the agreement or the installer screen. Runs
// until the program ends.
int runDesktop(QApplication& app, bool anotherInstance);

}  // namespace horalia::app
