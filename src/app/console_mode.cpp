#include "src/app/console_mode.h"

#include <QCoreApplication>

#include "src/app/console_dialogs.h"
#include "src/app/console_log.h"
#include "src/app/console_platform.h"
#include "src/clock_window/clock_controller.h"
#include "src/platform/event_loop_pause.h"
#include "src/platform/ini_settings_store.h"
#include "src/platform/process_shell.h"
#include "src/platform/system_clock.h"
#include "src/platform/virtual_clock.h"

namespace horalia::app {

namespace {

// What a normal start does once the settings exist: the clock loads and shows, and 2 seconds later the
// characters are loaded.
void startClock(platform::Platform& platform, ConsoleClockView& view, clock_window::ClockController& clock) {
    clock.load();
    view.setVisible(true);
    platform.pause.pause(2);
    clock.loadCharacters();
}

}  // namespace

int runConsole(const ConsoleOptions& options, QTextStream& out) {
    platform::IniSettingsStore settings(options.settingsFile.isEmpty()
                                            ? platform::IniSettingsStore::defaultFilePath()
                                            : options.settingsFile);
    platform::FixedScreenMetrics screen;

    if (options.from) {
        // A preview: nothing is started for real, and the run ends when the span is over.
        platform::VirtualClock clock(*options.from);
        platform::VirtualPause pause(clock);
        ConsoleLog log(clock, out);
        ConsoleShell shell(log, nullptr);
        ConsoleEngineFactory engines(log);
        ConsoleDialogs dialogs(log);
        ConsoleProgram program(log);
        platform::Platform platform{settings, clock, pause, shell, screen, engines, dialogs, program};
        ConsoleClockView view(log);
        clock_window::ClockController controller(platform, view);
        const qint64 end = clock.nowMs() + options.forMs.value_or(24LL * 3600 * 1000);
        startClock(platform, view, controller);
        clock.advanceBy(std::max<qint64>(0, end - clock.nowMs()));
        return 0;
    }

    platform::SystemClock clock;
    platform::EventLoopPause pause;
    platform::ProcessShell realShell;
    ConsoleLog log(clock, out);
    ConsoleShell shell(log, &realShell);
    ConsoleEngineFactory engines(log);
    ConsoleDialogs dialogs(log);
    ConsoleProgram program(log);
    platform::Platform platform{settings, clock, pause, shell, screen, engines, dialogs, program};
    ConsoleClockView view(log);
    clock_window::ClockController controller(platform, view);
    std::unique_ptr<platform::Timer> stopTimer = clock.createTimer();
    if (options.forMs) {
        constexpr qint64 kMaxTimerMs = std::numeric_limits<int>::max();
        stopTimer->start(static_cast<int>(std::min(*options.forMs, kMaxTimerMs)),
                         [] { QCoreApplication::quit(); });
    }
    startClock(platform, view, controller);
    return QCoreApplication::exec();
}

}  // namespace horalia::app
