// settings_shots FOLDER: saves a picture of every page of the settings dialog as
// FOLDER/settings-<n>-<page>.png, filled from a sample of settings, for the documentation. Run it on a
// display (scripts/settings-screenshots).
#include <QApplication>
#include <QDir>

#include "src/settings_dialog/frm_settings.h"
#include "tests/support/fakes.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(folder);
    testsupport::FakePlatform fake(testsupport::at(7, 45));
    auto& s = fake.settings;
    s.set("mode", "advanced");
    s.set("AlarmTime1", "0730");
    s.set("Repeat1", "True");
    s.set("AlarmMessage", "Good morning! This is alarm 1, time to wake up.");
    s.set("AlarmMessage2", "This is alarm 2, please wake up.");
    s.set("LastCharacter", "max");
    s.set("LastCharacter2", "plany");
    s.set("Announce", "15");
    s.set("QuietTime", "2207");
    s.set("UserName", "Ada");
    s.set("StartupMessage", "Right click on the clock, or on the task bar icon, for more options");
    s.put("data", "format", "1");
    testsupport::RecordingView view(fake.clock);
    testsupport::ScriptedColours colours;
    horalia::platform::AutostartEntry autostart(QStringLiteral("/nonexistent"),
                                                QStringLiteral("/nonexistent"));
    horalia::settings_dialog::ClockLink link;
    link.view = &view;
    link.timeForeColour = [] { return QColor(Qt::black); };
    link.timeBackColour = [] { return QColor(Qt::white); };
    horalia::settings_dialog::frm_settings dialog(
        horalia::settings_dialog::DialogContext{fake.platform, colours, autostart, std::move(link)});
    const char* names[] = {"alarm1", "alarm2", "characters", "colours", "help", "type-and-speak", "misc"};
    for (int page = 0; page < horalia::settings_dialog::frm_settings::kPageCount; ++page) {
        dialog.showPage(page);
        for (int i = 0; i < 20; ++i) {
            QCoreApplication::processEvents();
        }
        dialog.grab().save(
            QStringLiteral("%1/settings-%2-%3.png").arg(folder).arg(page + 1).arg(names[page]));
    }
    return 0;
}
