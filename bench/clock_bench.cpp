// The cost of the clock's work with the settings file on disk, as the running clock has it: settings are
// never cached, so one say and one tick are a handful of file reads each.
#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include "agent/console/console_control.h"
#include "src/clock_window/clock_controller.h"
#include "src/console/console_tray_backend.h"
#include "src/platform/ini_settings_store.h"
#include "src/platform/virtual_clock.h"

namespace {

using namespace horalia;

class NullSink : public agent::console::Sink {
public:
    void line(const QString&, const QString&, const QList<agent::console::Arg>&) override {}
};

class NullView : public core::ClockView {
public:
    core::GeometryTwips geometryTwips() const override { return {2000, 2000, 1680, 525}; }
    bool isMinimized() const override { return false; }
    void moveTo(double, double) override {}
    void setTimeFormat(bool) override {}
    void setColours(std::optional<qint32>, std::optional<qint32>) override {}
    void setSimpleMenus(bool) override {}
    bool isVisible() const override { return true; }
    void setVisible(bool) override {}
    void setTimeText(const QString& text) override { benchmark::DoNotOptimize(text.size()); }
};

class NullWindows : public clock_window::AppWindows {
public:
    void showSettings(int, bool) override {}
    void hideSettings() override {}
    void closeSettings() override {}
    void showAbout() override {}
    void sisterapplink(const QString&) override {}
};

class NullShell : public platform::Shell {
public:
    using Shell::start;
    agent::Status start(const QString&, const QStringList&, platform::WindowStyle) override { return {}; }
};

class NullDialogs : public platform::Dialogs {
public:
    platform::Answer messageBox(const QString&, const QString&, int) override { return platform::Answer::No; }
    QString openFile(const QString&, const QString&) override { return {}; }
    void beep() override {}
};

class NullProgram : public platform::Program {
public:
    void endProgram() override {}
    bool ending() const override { return false; }
};

class ConsoleEngines : public platform::EngineFactory {
public:
    std::unique_ptr<agent::Control> create(const QString& name) override {
        // Characters without files: the clock's own work is what is measured.
        return std::make_unique<agent::console::ConsoleControl>(
            name, sink, [](const QString& file) -> agent::Result<agent::console::CharacterFacts> {
                return agent::console::CharacterFacts{QFileInfo(file).completeBaseName(), {}, 128, 128};
            });
    }
    NullSink sink;
};

// A clock whose settings file holds what a first run writes, plus both alarms set.
struct Fixture {
    explicit Fixture(const QString& announce) {
        const QStringList pairs = {"minimise",
                                   "False",
                                   "Announce",
                                   announce,
                                   "AlarmTime1",
                                   "0730",
                                   "AlarmTime2",
                                   "1815",
                                   "Repeat1",
                                   "True",
                                   "Repeat2",
                                   "False",
                                   "AlarmMessage",
                                   "Wake up, this is alarm 1",
                                   "AlarmMessage2",
                                   "Wake up, this is alarm 2",
                                   "FormX",
                                   "2000",
                                   "FormY",
                                   "2000",
                                   "UserName",
                                   "Nobody!",
                                   "mode",
                                   "simple",
                                   "ForeColour",
                                   "0",
                                   "BackColour",
                                   "16777215",
                                   "QuietTime",
                                   "2207",
                                   "LastCharacter",
                                   "max",
                                   "LastCharacter2",
                                   "plany",
                                   "effects1",
                                   "False",
                                   "effects2",
                                   "True",
                                   "StartupMessage",
                                   "Right click on the clock, or on the task bar icon, for more options",
                                   "LoadWithWindows",
                                   "False"};
        for (qsizetype i = 0; i + 1 < pairs.size(); i += 2) {
            (void)store.write("Data", pairs[i], pairs[i + 1]);
        }
        (void)store.write("data", "format", "1");
        controller.load();
        controller.checkboxes();
        clock.advanceBy(60000);  // aligned
    }
    QTemporaryDir dir;
    platform::IniSettingsStore store{dir.path() + "/HoraliaIIV/settings.ini"};
    platform::VirtualClock clock{QDateTime(QDate(2026, 12, 6), QTime(10, 14, 30))};
    platform::VirtualPause pause{clock};
    NullShell shell;
    platform::FixedScreenMetrics screen;
    ConsoleEngines engines;
    NullDialogs dialogs;
    NullProgram program;
    platform::NoTimeChanges timeChanges;
    platform::NoFullScreen fullScreen;
    platform::Platform platform{store,   clock,   pause,   shell,       screen,
                                engines, dialogs, program, timeChanges, fullScreen};
    NullView view;
    NullWindows windows;
    NullSink traySink;
    console::ConsoleTrayBackend tray{traySink};
    clock_window::ClockController controller{platform, view, windows, tray, 1};
};

void BM_Say(benchmark::State& state) {
    Fixture f("15");
    for (auto _ : state) {
        f.controller.say(QStringLiteral("The time is 15 minutes past 10"), QStringLiteral("peedy"));
    }
}
BENCHMARK(BM_Say)->Unit(benchmark::kMicrosecond);

// A tick that only refreshes the label and checks both alarms.
void BM_TickQuiet(benchmark::State& state) {
    Fixture f("0");
    for (auto _ : state) {
        f.controller.tick().run();
    }
}
BENCHMARK(BM_TickQuiet)->Unit(benchmark::kMicrosecond);

// A tick that also announces the time.
void BM_TickAnnouncing(benchmark::State& state) {
    Fixture f("1");
    for (auto _ : state) {
        f.controller.tick().run();
    }
}
BENCHMARK(BM_TickAnnouncing)->Unit(benchmark::kMicrosecond);

}  // namespace
