#include "src/console/console_windows.h"

namespace horalia::console {

namespace {
const QString kSettings = QStringLiteral("frm_settings");
}

ConsoleWindows::ConsoleWindows(agent::console::Sink& sink, platform::Shell& shell, platform::Dialogs& dialogs)
    : sink_(sink), about_(shell, dialogs, [this](std::function<void(const QString&)> openLink) {
          auto view = std::make_unique<ConsoleAboutView>(sink_, std::move(openLink));
          aboutView_ = view.get();
          return view;
      }) {}

void ConsoleWindows::showSettings(int pageIndex, bool focusHour1) {
    if (!settings_ && settingsFactory_) {
        settings_ = settingsFactory_();
    }
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
    closed_ = std::move(settings_);
}

void ConsoleWindows::showAbout() {
    about_.box().show();
}

void ConsoleWindows::sisterapplink(const QString& address) {
    about_.box().sisterapplink(address);
}

}  // namespace horalia::console
