#include "src/app/desktop_windows.h"

#include "src/about/frm_about.h"

namespace horalia::app {

DesktopWindows::DesktopWindows(platform::Shell& shell, platform::Dialogs& dialogs)
    : about_(shell, dialogs, [](std::function<void(const QString&)> openLink) {
          return std::make_unique<about::frm_about>(std::move(openLink));
      }) {}

DesktopWindows::~DesktopWindows() = default;

void DesktopWindows::showSettings(int pageIndex, bool focusHour1) {
    if (!settings_ && settingsFactory_) {
        settings_ = settingsFactory_();
    }
    if (!settings_) {
        return;
    }
    settings_->showPage(pageIndex);
    if (focusHour1) {
        if (auto* hour = settings_->findChild<QWidget*>(QStringLiteral("txt_hour1"))) {
            hour->setFocus();
        }
    }
}

void DesktopWindows::hideSettings() {
    if (settings_) {
        settings_->hide();
    }
}

void DesktopWindows::closeSettings() {
    // Unloaded: the next showing builds it afresh from the stored settings.
    if (settings_) {
        settings_->hide();
        settings_.release()->deleteLater();
    }
}

void DesktopWindows::showAbout() {
    about_.box().show();
}

void DesktopWindows::sisterapplink(const QString& address) {
    about_.box().sisterapplink(address);
}

}  // namespace horalia::app
