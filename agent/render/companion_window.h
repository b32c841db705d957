// How the engine's own windows (a character, its word balloon, its listening tip) ask the window manager to
// treat them: above ordinary windows whichever application is active, with no taskbar, pager or task
// switcher entry of their own, and never given the focus.
//
// They are ordinary windows kept above (_NET_WM_WINDOW_TYPE_NORMAL with _NET_WM_STATE_ABOVE), not Qt's tool
// windows: a tool window is a utility window, transient for the application, and KWin by default hides the
// utility windows of every application but the active one ("hide utility windows for inactive
// applications"), so the characters vanished as soon as the user went back to other work. An ordinary
// window has no such rule on any window manager that follows the freedesktop hints (KWin, mutter and GNOME
// Shell, xfwm4, Openbox), but it would have its own taskbar and Alt+Tab entry: the skip-taskbar and
// skip-pager states keep it out of taskbars, pagers and GNOME's switcher and overview, and KDE's
// skip-switcher state out of KWin's Alt+Tab. Its input hint is off (Qt::WindowDoesNotAcceptFocus) and it
// does not offer WM_TAKE_FOCUS, so no window manager gives it the focus, not even when it is clicked or
// dragged, and the user's work keeps the keyboard.
#pragma once

#include <QPoint>
#include <QWidget>

#include <optional>

namespace agent::render {

inline constexpr Qt::WindowFlags kCompanionWindowFlags =
    Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus |
    Qt::NoDropShadowWindowHint;

// Makes `window`, made with kCompanionWindowFlags, a companion window as above. Call it once, before the
// window is first shown. Window managers drop a window's states when it is withdrawn, so they are written
// again each time it is about to be mapped; Qt then adds its own ("above" among them) to what it finds there.
// Does nothing off X11: a Wayland compositor decides all of this itself.
void makeCompanionWindow(QWidget& window);

// Where the window's top left corner is on the screen, asked of the X server. A window manager that keeps a
// window where it is when asked to move it need not tell the program (mutter does not), so Qt's own idea can
// be out of date. In logical pixels, as Qt places windows. Nothing when the window has not been created, or
// off X11.
std::optional<QPoint> windowSystemPosition(const QWidget& window);

}  // namespace agent::render
