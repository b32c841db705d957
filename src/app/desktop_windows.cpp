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
    if (!settings_) {
        return;
    }
    settings_->hide();
    // The close may come in the middle of one of the dialog's own handlers, even from inside the interval
    // box's pause, whose event loop would carry out a deleteLater at once; so the closed dialog stays until
    // the next close, and only the one before it goes.
    if (closed_) {
        closed_.release()->deleteLater();
    }
    closed_ = std::move(settings_);
}

void DesktopWindows::showAbout() {
    about_.box().show();
}

void DesktopWindows::sisterapplink(const QString& address) {
    about_.box().sisterapplink(address);
}

}  // namespace horalia::app
