#include "src/console/console_tray_backend.h"

namespace horalia::console {

using tray::NotifyIconData;
using tray::NotifyMessage;
using tray::TrayMenu;
using tray::TrayMenuItem;
namespace wm = tray::wm;
namespace nif = tray::nif;

namespace {
const QString kObject = QStringLiteral("Tray");
}

void ConsoleTrayBackend::notifyIcon(NotifyMessage message, const NotifyIconData& data) {
    switch (message) {
        case NotifyMessage::Add:
            shown_ = true;
            sink_.line(kObject, QStringLiteral("Add"), {data.tipText()});
            return;
        case NotifyMessage::Modify:
            if (!shown_) {
                return;
            }
            if ((data.uFlags & nif::kTip) != 0) {
                sink_.line(kObject, QStringLiteral("Modify"), {data.tipText()});
            }
            if ((data.uFlags & nif::kIcon) != 0) {
                sink_.line(kObject, QStringLiteral("Modify"), {static_cast<qint64>(data.hIcon)});
            }
            return;
        case NotifyMessage::Delete:
            if (!shown_) {
                return;
            }
            shown_ = false;
            openMenu_.reset();
            sink_.line(kObject, QStringLiteral("Delete"), {});
            return;
    }
}

void ConsoleTrayBackend::showMenu(const TrayMenu& menu) {
    openMenu_ = menu;
    sink_.line(kObject, QStringLiteral("ShowMenu"), {});
}

void ConsoleTrayBackend::mouseMessage(quint32 message) {
    if (shown_) {
        reportMouseMessage(message);
    }
}

void ConsoleTrayBackend::click(int button) {
    if (button == 1) {
        mouseMessage(wm::kLButtonDown);
        mouseMessage(wm::kLButtonUp);
    } else if (button == 2) {
        mouseMessage(wm::kRButtonDown);
        mouseMessage(wm::kRButtonUp);
    }
}

bool ConsoleTrayBackend::chooseMenuItem(const QString& key) {
    if (!openMenu_) {
        return false;
    }
    const TrayMenu menu = *openMenu_;
    openMenu_.reset();
    for (const TrayMenuItem& item : menu.items) {
        if (item.key == key && item.visible && item.enabled && !item.separator) {
            reportMenuChoice(item.index);
            return true;
        }
    }
    return false;
}

}  // namespace horalia::console
