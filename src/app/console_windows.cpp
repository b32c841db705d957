#include "src/app/console_windows.h"

namespace horalia::app {

namespace {
const QString kSettings = QStringLiteral("frm_settings");
}

void ConsoleWindows::showSettings(int pageIndex, bool focusHour1) {
    sink_.line(kSettings, QStringLiteral("Show"), {});
    sink_.line(kSettings, QStringLiteral("SSTab1"), {qint64(pageIndex)});
    if (focusHour1) {
        sink_.line(kSettings, QStringLiteral("SetFocus"), {QStringLiteral("txt_hour1")});
    }
}

void ConsoleWindows::hideSettings() {
    sink_.line(kSettings, QStringLiteral("Hide"), {});
}

void ConsoleWindows::closeSettings() {
    sink_.line(kSettings, QStringLiteral("Unload"), {});
}

void ConsoleWindows::showAbout() {
    sink_.line(QStringLiteral("frm_about"), QStringLiteral("Show"), {});
}

void ConsoleWindows::sisterapplink(const QString& address) {
    sink_.line(QStringLiteral("frm_about"), QStringLiteral("sisterapplink"), {address});
}

}  // namespace horalia::app
