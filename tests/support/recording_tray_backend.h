// A tray backend for tests: keeps every request with a copy of the record, every menu shown, and lets the
// test play the desktop (mouse messages on the icon, a choice from the menu).
#pragma once

#include <QList>
#include <algorithm>

#include "src/tray/tray_backend.h"

namespace testsupport {

class RecordingTrayBackend : public horalia::tray::TrayBackend {
public:
    struct Call {
        horalia::tray::NotifyMessage message;
        horalia::tray::NotifyIconData data;
    };

    void notifyIcon(horalia::tray::NotifyMessage message,
                    const horalia::tray::NotifyIconData& data) override {
        calls.append({message, data});
    }
    void showMenu(const horalia::tray::TrayMenu& menu) override { menus.append(menu); }
    void menuChanged(const horalia::tray::TrayMenu& menu) override { changedMenus.append(menu); }

    void mouse(quint32 message) { reportMouseMessage(message); }
    void choose(int index) { reportMenuChoice(index); }

    int count(horalia::tray::NotifyMessage message) const {
        return int(std::ranges::count(calls, message, &Call::message));
    }
    const Call& last() const { return calls.last(); }

    QList<Call> calls;
    QList<horalia::tray::TrayMenu> menus;
    // The menu after each change, as a host that shows it sees it.
    QList<horalia::tray::TrayMenu> changedMenus;
};

}  // namespace testsupport
