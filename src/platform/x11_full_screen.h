// FullScreen on an X11 desktop (and XWayland): the window the user is working in (the window manager's
// _NET_ACTIVE_WINDOW) is full screen (_NET_WM_STATE_FULLSCREEN) and covers the middle of the clock window.
// Window managers differ in what they let over such a window (KWin nothing but pop-ups; mutter and xfwm4
// "always on top" windows), so the clock asks rather than relying on them. Followed from the X server's
// property changes of the root window and of the active window, which Qt's connection delivers: no polling.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QRect>
#include <functional>

#include "src/platform/full_screen.h"

namespace horalia::platform {

class X11FullScreen final : public FullScreen, public QAbstractNativeEventFilter {
public:
    // Starts following the desktop; off X11 it never reports a full-screen window.
    X11FullScreen();
    ~X11FullScreen() override;

    // Where the clock window is on the screen, in pixels; until it is given (or when it gives an empty
    // rectangle), a full-screen window on any monitor counts.
    void setClockArea(std::function<QRect()> clockArea) { clockArea_ = std::move(clockArea); }

    bool active() const override { return active_; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    // Looks again at the active window and reports a change.
    void recheck();
    bool fullScreenNow();

    std::function<QRect()> clockArea_;
    bool active_ = false;
    bool x11_ = false;
    quint32 root_ = 0;
    quint32 watched_ = 0;  // the active window whose states are followed
    quint32 activeAtom_ = 0;
    quint32 stateAtom_ = 0;
    quint32 fullScreenAtom_ = 0;
};

}  // namespace horalia::platform
