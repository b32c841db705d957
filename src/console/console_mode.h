// The clock without a display: the real program on the console engine, each action printed as a line.
#pragma once

#include <QDateTime>
#include <QTextStream>
#include <optional>

namespace horalia::console {

struct ConsoleOptions {
    // Run on a virtual clock from this local time, as fast as the machine allows; the real clock otherwise.
    std::optional<QDateTime> from;
    // End after this span of (virtual or real) time; run until ended otherwise.
    std::optional<qint64> forMs;
    // Where the settings file is; the user's own when empty.
    QString settingsFile;
    // Another copy of the program runs: this one asks it to show its clock and ends at once.
    bool anotherInstance = false;
};

int runConsole(const ConsoleOptions& options, QTextStream& out);

// The console mode as a module beside the program (it brings the console engine's speech and recognition
// libraries, which the desktop clock loads only with its first character), and what it exports.
using RunConsole = int (*)(const ConsoleOptions& options, QTextStream& out);
inline constexpr char kConsoleModule[] = "horalia_console_mode";
inline constexpr char kConsoleSymbol[] = "horaliaRunConsole";

}  // namespace horalia::console
