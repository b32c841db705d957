// The console mode as a module (horalia_console_mode.so), loaded by the program when it runs without a
// display.
#include "src/console/console_mode.h"

extern "C" Q_DECL_EXPORT int horaliaRunConsole(const horalia::console::ConsoleOptions& options,
                                               QTextStream& out) {
    return horalia::console::runConsole(options, out);
}
