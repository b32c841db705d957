#include "src/console/console_mode.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>

#include "src/clock_window/clock_controller.h"
#include "src/console/console_dialogs.h"
#include "src/console/console_log.h"
#include "src/console/console_platform.h"
#include "src/console/console_script.h"
#include "src/console/console_tray_backend.h"
#include "src/console/console_windows.h"
#include "src/platform/event_loop_pause.h"
#include "src/platform/ini_settings_store.h"
#include "src/platform/linux_time_changes.h"
#include "src/platform/local_files.h"
#include "src/platform/local_socket_channel.h"
#include "src/platform/paths.h"
#include "src/platform/process_shell.h"
#include "src/platform/system_clock.h"
#include "src/platform/virtual_clock.h"
#include "src/setup/agreement_text.h"
#include "src/setup/new_user.h"
#include "src/setup/wait_screen.h"
#include "src/wiring/clock_links.h"
#include "src/wiring/later_starts.h"

namespace horalia::console {

namespace {

// The whole program on console stand-ins, on whichever clock it is given.
struct Session {
    Session(const ConsoleOptions& options, platform::Clock& clock, platform::Pause& pause,
            platform::TimeChanges& timeChanges, platform::Shell* realShell, QTextStream& out)
        : settings(options.settingsFile.isEmpty() ? platform::IniSettingsStore::defaultFilePath()
                                                  : options.settingsFile),
          log(clock, out),
          shell(log, realShell),
          engines(log),
          dialogs(log),
          program(log),
          platform{settings, clock, pause, shell, screen, engines, dialogs, program, timeChanges, fullScreen},
          windows(log, shell, dialogs),
          view(log),
          tray(log),
          controller(platform, view, windows, tray, kTrayIcon),
          script(controller, dialogs, pause,
                 ConsoleScript::Tray{[this](int button) { tray.click(button); },
                                     [this](const QString& key) {
                                         // The user opens the menu with a right click, then picks the item.
                                         if (!tray.menuOpen()) {
                                             tray.click(2);
                                         }
                                         return tray.chooseMenuItem(key);
                                     },
                                     [this](const QString& link) {
                                         return windows.aboutView() != nullptr &&
                                                windows.aboutView()->clickLink(link);
                                     },
                                     [this] { return windows.settings(); },
                                     [this](const QString& button) { return clickAgreement(button); }}) {
        windows.about().setSay(
            [this](const QString& talk, const QString& who) { controller.say(talk, who); });
        // A preview starts nothing for real; a real-time console clock restarts as a console clock.
        const QStringList restartArguments =
            options.from ? QStringList() : QStringList{QStringLiteral("--console")};
        windows.setSettingsFactory([this, restartArguments] {
            settings_dialog::ClockLink link = wiring::settingsClockLink(
                controller, view, windows,
                {[] { return QColor(Qt::black); }, [] { return QColor(Qt::white); }}, restartArguments);
            return std::make_unique<ConsoleSettings>(
                log, settings_dialog::DialogContext{platform, colours, autostart, std::move(link)});
        });
    }

    // What a normal start does once the settings exist: the clock loads and shows, and 2 seconds later the
    // characters are loaded and set up.
    void start() {
        controller.load();
        view.setVisible(true);
        platform.pause.pause(2);
        if (!program.ending()) {
            controller.checkboxes();
        }
    }

    // Every real-time start passes New_User: the clock for a returning user, the agreement or the
    // installer screen on a first run, the end for a second copy, which first asks the running clock to show.
    void firstRunOrStart(bool anotherInstance, platform::InstanceChannel& laterStarts) {
        const QStringList restartArguments{QStringLiteral("--console")};
        setup::New_User::Links links = wiring::newUserLinks(controller, anotherInstance, [this] {
            controller.load();
            view.setVisible(true);
        });
        links.showAgreement = [this] {
            agreementShown = true;
            log.line(QStringLiteral("New_User"), QStringLiteral("Show"), {});
            // Someone at a terminal reads the terms and needs to know how to answer them.
            if (::isatty(STDIN_FILENO) != 0) {
                QTextStream err(stderr);
                err << setup::agreementText()
                    << "\n\nType \"agreement click Command3\" to agree (I AGREE), or "
                       "\"agreement click Command1\" to decline (I DON`T AGREE).\n";
            }
        };
        links.showInstaller = [this, restartArguments] {
            log.line(QStringLiteral("frm_wait"), QStringLiteral("Show"), {});
            wait = std::make_unique<setup::WaitScreen>(
                platform, platform::programFolder(),
                [this](qint32 colour) {
                    log.line(QStringLiteral("frm_wait"), QStringLiteral("BackColor"), {qint64{colour}});
                },
                restartArguments);
            wait->load();
        };
        newUser = std::make_unique<setup::New_User>(platform, files, autostart,
                                                    setup::SetupLocations::forThisSystem(), std::move(links),
                                                    restartArguments);
        if (anotherInstance) {
            wiring::askRunningClock(laterStarts);
        } else {
            wiring::serveLaterStarts(laterStarts, controller);
        }
        newUser->load();
    }

    bool clickAgreement(const QString& button) {
        if (!agreementShown || (button != u"Command3" && button != u"Command1")) {
            return false;
        }
        const bool agree = button == u"Command3";
        log.line(QStringLiteral("New_User"), button,
                 {agree ? QStringLiteral("I AGREE") : QStringLiteral("I DON`T AGREE")});
        if (agree) {
            newUser->Command3_Click();
        } else {
            newUser->Command1_Click();
        }
        return true;
    }

    void runLine(const QString& line, int number, QTextStream& err) {
        if (const agent::Status done = script.run(line); !done) {
            err << "horalia: input line " << number << ": " << done.error() << '\n';
            err.flush();
        }
    }

    platform::IniSettingsStore settings;
    platform::FixedScreenMetrics screen;
    ConsoleLog log;
    ConsoleShell shell;
    ConsoleEngineFactory engines;
    ConsoleDialogs dialogs;
    ConsoleProgram program;
    platform::NoFullScreen fullScreen;
    platform::Platform platform;
    ConsoleWindows windows;
    ConsoleClockView view;
    ConsoleColourChooser colours{log};
    platform::AutostartEntry autostart;
    ConsoleTrayBackend tray;
    static constexpr quintptr kTrayIcon = 1;
    clock_window::ClockController controller;
    ConsoleScript script;
    platform::LocalFiles files;
    std::unique_ptr<setup::New_User> newUser;
    std::unique_ptr<setup::WaitScreen> wait;
    bool agreementShown = false;
};

}  // namespace

int runConsole(const ConsoleOptions& options, QTextStream& out) {
    QTextStream err(stderr);
    // A script comes from a pipe or a file; a terminal is left alone unless the clock runs in real time.
    const bool scripted = ::isatty(STDIN_FILENO) == 0;

    if (options.from) {
        // A preview: nothing is started for real, and the run ends when the span is over.
        platform::VirtualClock clock(*options.from);
        platform::VirtualPause pause(clock);
        platform::NoTimeChanges timeChanges;
        Session session(options, clock, pause, timeChanges, nullptr, out);
        const qint64 end = clock.nowMs() + options.forMs.value_or(24LL * 3600 * 1000);
        session.start();
        if (scripted) {
            QFile input;
            if (input.open(stdin, QIODevice::ReadOnly | QIODevice::Text)) {
                int number = 0;
                while (!session.program.ending() && !input.atEnd()) {
                    session.runLine(QString::fromUtf8(input.readLine()), ++number, err);
                }
            }
        }
        while (!session.program.ending() && clock.nowMs() < end) {
            clock.advanceBy(std::min<qint64>(60000, end - clock.nowMs()));
        }
        return 0;
    }

    platform::SystemClock clock;
    platform::EventLoopPause pause;
    platform::ProcessShell realShell;
    platform::LinuxTimeChanges timeChanges;
    timeChanges.start();
    Session session(options, clock, pause, timeChanges, &realShell, out);
    std::unique_ptr<platform::Timer> stopTimer = clock.createTimer();
    if (options.forMs) {
        constexpr qint64 kMaxTimerMs = std::numeric_limits<int>::max();
        stopTimer->start(static_cast<int>(std::min(*options.forMs, kMaxTimerMs)),
                         [] { QCoreApplication::quit(); });
    }

    // Lines typed or piped in are carried out as they arrive.
    QByteArray pending;
    int number = 0;
    QSocketNotifier notifier(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
        char buffer[4096];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            notifier.setEnabled(false);  // end of input: the clock runs on
            return;
        }
        pending.append(buffer, n);
        qsizetype newline;
        while ((newline = pending.indexOf('\n')) >= 0 && !session.program.ending()) {
            const QString line = QString::fromUtf8(pending.left(newline));
            pending.remove(0, newline + 1);
            session.runLine(line, ++number, err);
        }
    });

    platform::LocalSocketChannel laterStarts;
    session.firstRunOrStart(options.anotherInstance, laterStarts);
    if (session.program.ending()) {
        return 0;
    }
    return QCoreApplication::exec();
}

}  // namespace horalia::console
