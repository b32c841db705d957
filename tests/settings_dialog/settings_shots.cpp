// settings_shots FOLDER: saves a picture of every page of the settings dialog as
// FOLDER/settings-<n>-<page>.png, filled from a sample of settings, for the documentation. Run it on a
// display (scripts/settings-screenshots).
#include <QApplication>
#include <QDir>

#include "src/settings_dialog/frm_settings.h"
#include "tests/support/fakes.h"

using namespace horalia::settings_dialog;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(folder);
    testsupport::FakePlatform fake(testsupport::at(7, 45));
    // "key=value;..."
    const QString sample =
        "mode=advanced;AlarmTime1=0730;Repeat1=True;AlarmMessage=Good morning! This is alarm "
        "1, time to wake up.;AlarmMessage2=This is alarm 2, please wake up.;LastCharacter=max;"
        "LastCharacter2=plany;Announce=15;QuietTime=2207;UserName=Ada;StartupMessage=Right "
        "click on the clock, or on the task bar icon, for more options";
    for (const QString& entry : sample.split(';')) {
        fake.settings.set(entry.section('=', 0, 0), entry.section('=', 1));
    }
    fake.settings.put("data", "format", "1");
    testsupport::RecordingView view(fake.clock);
    testsupport::ScriptedColours colours;
    horalia::platform::AutostartEntry autostart("/nonexistent", "/nonexistent");
    ClockLink link;
    link.view = &view;
    link.timeForeColour = [] { return QColor(Qt::black); };
    link.timeBackColour = [] { return QColor(Qt::white); };
    frm_settings dialog(DialogContext{fake.platform, colours, autostart, std::move(link)});
    const char* names[] = {"alarm1", "alarm2", "characters", "colours", "help", "type-and-speak", "misc"};
    for (int page = 0; page < frm_settings::kPageCount; ++page) {
        dialog.showPage(page);
        for (int i = 0; i < 20; ++i) {
            QCoreApplication::processEvents();
        }
        dialog.grab().save(QString("%1/settings-%2-%3.png").arg(folder).arg(page + 1).arg(names[page]));
    }
    return 0;
}
