#include "src/app/desktop_app.h"

#include <QDBusConnection>
#include <QPainter>
#include <QTextStream>

#include "agent/service/agent_service.h"
#include "src/app/desktop_engine_factory.h"
#include "src/app/desktop_windows.h"
#include "src/clock_window/frm_clock.h"
#include "src/platform/autostart_entry.h"
#include "src/platform/event_loop_pause.h"
#include "src/platform/ini_settings_store.h"
#include "src/platform/linux_time_changes.h"
#include "src/platform/local_files.h"
#include "src/platform/local_socket_channel.h"
#include "src/platform/paths.h"
#include "src/platform/process_shell.h"
#include "src/platform/qt_colour_chooser.h"
#include "src/platform/qt_dialogs.h"
#include "src/platform/qt_program.h"
#include "src/platform/qt_screen_metrics.h"
#include "src/platform/system_clock.h"
#include "src/platform/x11_full_screen.h"
#include "src/setup/agreement_window.h"
#include "src/setup/frm_wait.h"
#include "src/setup/new_user.h"
#include "src/tray/qt_tray_backend.h"
#include "src/wiring/clock_links.h"
#include "src/wiring/later_starts.h"

namespace horalia::app {

namespace {

// The program's icon: a clock face.
QIcon clockIcon() {
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 90), 4));
    p.setBrush(QColor(255, 250, 230));
    p.drawEllipse(QRectF(4, 4, 56, 56));
    p.setPen(QPen(QColor(40, 40, 90), 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(32, 32), QPointF(32, 14));
    p.drawLine(QPointF(32, 32), QPointF(45, 38));
    p.end();
    return QIcon(pixmap);
}

}  // namespace

int runDesktop(QApplication& app, bool anotherInstance) {
    // A second copy builds nothing: its characters' engine would reach for what the running clock's holds
    // (the listening key) and complain. It only asks the running clock to show itself.
    if (anotherInstance) {
        platform::LocalSocketChannel laterStarts;
        wiring::askRunningClock(laterStarts);
        return 0;
    }
    // A hidden clock is still running: only the program's own end closes it.
    QApplication::setQuitOnLastWindowClosed(false);
    const QIcon icon = clockIcon();
    QApplication::setWindowIcon(icon);

    platform::IniSettingsStore settings(platform::IniSettingsStore::defaultFilePath());
    platform::SystemClock clock;
    platform::EventLoopPause pause;
    platform::ProcessShell shell;
    platform::QtScreenMetrics screen;
    platform::QtDialogs dialogs;
    platform::QtProgram program;
    DesktopEngineFactory engines;
    platform::LinuxTimeChanges timeChanges;
    platform::X11FullScreen fullScreen;
    platform::Platform platform{settings, clock,   pause,   shell,       screen,
                                engines,  dialogs, program, timeChanges, fullScreen};

    tray::QtTrayBackend tray;
    const quintptr trayIcon = tray.registerIcon(icon);
    DesktopWindows windows(shell, dialogs);
    clock_window::frm_clock frmClock(platform, windows, tray, trayIcon);
    fullScreen.setClockArea([&frmClock] { return frmClock.frameGeometry(); });
    windows.about().setSay([&frmClock](const QString& talk, const QString& who) { frmClock.say(talk, who); });
    // The clock window's colour dialog, shared by both colour buttons of every settings dialog.
    platform::QtColourChooser colours;
    platform::AutostartEntry autostart;
    windows.setSettingsFactory([&] {
        wiring::ShownColours shown{
            [&frmClock] { return frmClock.lab_time()->palette().color(QPalette::WindowText); },
            [&frmClock] { return frmClock.lab_time()->palette().color(QPalette::Window); }};
        settings_dialog::ClockLink link =
            wiring::settingsClockLink(frmClock.controller(), frmClock, windows, shown);
        return std::make_unique<settings_dialog::frm_settings>(
            settings_dialog::DialogContext{platform, colours, autostart, std::move(link)});
    });

    platform::LocalFiles files;
    std::unique_ptr<setup::AgreementWindow> agreement;
    std::unique_ptr<setup::frm_wait> wait;
    setup::New_User* newUser = nullptr;
    setup::New_User::Links links = wiring::newUserLinks(frmClock.controller(), anotherInstance, [&frmClock] {
        frmClock.load();
        frmClock.show();
    });
    links.showAgreement = [&] {
        agreement = std::make_unique<setup::AgreementWindow>([&newUser] { newUser->Command3_Click(); },
                                                             [&newUser] { newUser->Command1_Click(); });
        agreement->showCentred();
    };
    links.showInstaller = [&] {
        wait = std::make_unique<setup::frm_wait>(platform, platform::programFolder());
        wait->showCentred();
    };
    setup::New_User user(platform, files, autostart, setup::SetupLocations::forThisSystem(),
                         std::move(links));
    newUser = &user;
    platform::LocalSocketChannel laterStarts;
    wiring::serveLaterStarts(laterStarts, frmClock.controller());
    // The bus and the clock's timer can wait for the clock's first picture; so can the engine, which is then
    // ready before the characters are set up, and serves the desktop's other programs from then on.
    std::unique_ptr<agent::service::AgentService> service;
    frmClock.whenDrawn([&timeChanges, &engines, &frmClock, &service] {
        timeChanges.start();
        engines.prepare();
        if (!QDBusConnection::sessionBus().isConnected()) {
            return;  // a desktop without a session bus: no other program could ask
        }
        characters::Cast& cast = frmClock.controller().cast();
        service = std::make_unique<agent::service::AgentService>(
            QList<agent::Control*>{cast[core::Who::First].control, cast[core::Who::Second].control},
            QDBusConnection::sessionBus(), &agent::service::AgentService::desktopScreens);
        if (const agent::Status started = service->start(); !started) {
            QTextStream(stderr) << "horalia: the engine does not serve other programs: " << started.error()
                                << '\n';
            service.reset();
        }
    });
    user.load();
    if (program.ending()) {
        return 0;
    }
    return app.exec();
}

}  // namespace horalia::app
