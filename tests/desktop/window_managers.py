# The window managers a private desktop can have, run as people run them, each checked to manage the display and
# to composite (so that a shaped or translucent window is drawn as it would be on a user's screen) before the
# desktop goes on:
#
#   kwin    KDE's kwin_x11, the display's window manager; it composites with OpenGL, which Mesa's llvmpipe draws
#           on Xvfb
#   xfwm4   Xfce's, with its own compositor off (on Xvfb it leaves parts of the screen black) and picom's XRender
#           compositing instead
#   mutter  GNOME's, which is a Wayland compositor: it runs nested, in a window of the Xvfb display, and starts
#           its XWayland, whose display the program is a client of
#   kwin_wayland
#           KDE's Wayland compositor, Plasma's own session since Plasma 6: like mutter, in a window of the Xvfb
#           display (its X11 backend), with its XWayland for the program
#
# Each has the desktop's session bus (KWin and mutter talk on it; xfwm4 starts xfconfd through it) and a desktop
# window in the desktop's colour, as a desktop shell keeps: a compositor does not draw the root window.

import ctypes
import glob
import os
import re
import shutil
import subprocess

from desktop_session import CheckFailed, XConnection, poll, run, window_tree

TOOLS = {
    "kwin": ["kwin_x11", "dbus-daemon"],
    "kwin_wayland": ["kwin_wayland", "Xwayland", "dbus-daemon"],
    "mutter": ["mutter", "Xwayland", "dbus-daemon"],
    "xfwm4": ["xfwm4", "picom", "dbus-daemon"],
}


def unavailable(wm):
    # Why that window manager cannot be had on this machine, or None.
    missing = [tool for tool in TOOLS.get(wm, []) if not shutil.which(tool)]
    return f"{missing[0]} is not installed (scripts/deps installs it)" if missing else None


def start(desktop, wm):
    # Starts wm on the desktop's display and waits until it manages and composites it.
    desktop.session_bus()
    {"kwin": _kwin, "kwin_wayland": _kwin_wayland, "mutter": _mutter, "xfwm4": _xfwm4}[wm](desktop)
    _desktop_window(desktop)


class _Program:
    # One program of the window manager's, with its output in a log beside the desktop's.

    def __init__(self, desktop, args, env=None):
        self.name = os.path.basename(args[0])
        self.log = os.path.join(desktop.work, f"{self.name}.log")
        with open(self.log, "w") as log:
            self.process = desktop._spawn(args, env=env, stdout=log, stderr=subprocess.STDOUT)

    def output(self):
        with open(self.log, errors="replace") as f:
            return f.read()

    def alive(self):
        # Fails, with the end of its log, if the program has ended.
        if self.process.poll() is not None:
            tail = "\n".join(self.output().strip().splitlines()[-12:])
            raise CheckFailed(f"{self.name} ended with status {self.process.returncode}; its log ends:\n{tail}")
        return True


def _ask(program, env, question):
    # question(x) on a connection to env's display, while the program runs; None while the display does not
    # answer (XWayland's, at first).
    program.alive()
    try:
        with XConnection(env) as x:
            return question(x)
    except CheckFailed:
        return None


def _manage(desktop, program, compositor=None):
    # Waits until program manages the display and then, with `compositor` (a command started once it does),
    # until the display is composited.
    env = desktop.env
    desktop.wm_name = poll(f"{program.name} managing the display {env['DISPLAY']}",
                           lambda: _ask(program, env, XConnection.window_manager), 20)
    compositor = _Program(desktop, compositor) if compositor else program
    poll(f"{compositor.name} compositing the display {env['DISPLAY']} (an owner of _NET_WM_CM_S0)",
         lambda: _ask(compositor, env, XConnection.compositor), 20)


def _kwin(desktop):
    # Without a crash handler a KWin that crashes ends, where KCrash would start it again outside the desktop's
    # process group.
    _manage(desktop, _Program(desktop, ["kwin_x11"], env=dict(desktop.env, KDE_DEBUG="1")))


def _xfwm4(desktop):
    # no configuration file: picom's defaults (no shadows, no fading, no vsync) but the backend
    _manage(desktop, _Program(desktop, ["xfwm4", "--compositor=off", "--sm-client-disable"]),
            ["picom", "--backend", "xrender", "--config", "/dev/null"])


def _nested(desktop, program, outer, title, inner, auth):
    # A nested compositor's XWayland display `inner` becomes the program's, and its window on the Xvfb display,
    # as large as the desktop, where it shows its output, where the pictures are taken and the keys go.
    def found():
        program.alive()
        return next((w for depth, w in window_tree(outer) if depth == 1 and w.name.startswith(title)
                     and (w.width, w.height) == (desktop.width, desktop.height)), None)

    window = poll(f"{program.name}'s window on the Xvfb display, as large as the desktop", found, 10)
    desktop.outer_env = outer
    desktop.env = dict(outer, DISPLAY=inner)
    if auth:
        desktop.env["XAUTHORITY"] = auth
    else:
        desktop.env.pop("XAUTHORITY", None)
    desktop.origin = (window.x, window.y)
    desktop.bus_environment("DISPLAY", "XAUTHORITY")  # as GNOME's session tells its bus
    _manage(desktop, program)
    # The keys go to the window that has the focus; nothing else on the Xvfb display would move it.
    run("xdotool", "windowfocus", window.wid, env=outer)


def _mutter(desktop):
    outer = dict(desktop.env)
    # The nested output, and so mutter's window, is as large as the desktop; without this it is 800x600.
    mutter = _Program(desktop, ["mutter", "--nested", "--wayland"],
                      env=dict(outer, MUTTER_DEBUG_DUMMY_MODE_SPECS=f"{desktop.width}x{desktop.height}"))

    def said(pattern):
        mutter.alive()
        m = re.search(pattern, mutter.output())
        return m and m.group(1)

    # No command after "--": mutter would quit when it ended.
    inner = poll("mutter's XWayland display in its log", lambda: said(r"Using public X11 display (:\d+)"), 20)
    auth = poll("the XAUTHORITY file mutter writes for XWayland", lambda: glob.glob(
        os.path.join(outer["XDG_RUNTIME_DIR"], ".mutter-Xwaylandauth.*")), 10)[0]
    _nested(desktop, mutter, outer, "mutter", inner, auth)


def _kwin_wayland(desktop):
    outer = dict(desktop.env)
    # KWin picks its own Qt platform; KDE_DEBUG as for kwin_x11.
    env = dict(outer, KDE_DEBUG="1")
    env.pop("QT_QPA_PLATFORM", None)
    # KWin tells the programs it starts where its XWayland is: this one writes it down and ends (KWin goes on).
    said = os.path.join(desktop.work, "kwin_wayland-xwayland")
    tell = os.path.join(desktop.work, "tell-xwayland")
    with open(tell, "w") as f:
        f.write(f'#!/bin/sh\nprintf "%s\\n%s\\n" "$DISPLAY" "$XAUTHORITY" > {said}.part && mv {said}.part {said}\n')
    os.chmod(tell, 0o755)
    args = ["--x11-display", outer["DISPLAY"], "--width", str(desktop.width), "--height", str(desktop.height),
            "--xwayland", "--socket", "horalia-kwin", "--no-lockscreen", tell]
    try:
        kwin = _Program(desktop, ["kwin_wayland", *args], env=env)
    except PermissionError:
        # kwin_wayland carries file capabilities (CAP_SYS_RESOURCE in KWin 5.27, CAP_SYS_NICE in 6) to raise its
        # own limits and priority; where the bounding set lacks them (a container) the kernel will not start it.
        # A copy has none. KWin's platform plugin loads only into a program of that name.
        folder = os.path.join(desktop.work, "kwin")
        os.makedirs(folder)
        copy = os.path.join(folder, "kwin_wayland")
        shutil.copy(shutil.which("kwin_wayland"), copy)
        kwin = _Program(desktop, [copy, *args], env=env)

    def xwayland():
        kwin.alive()
        try:
            with open(said) as f:
                return f.read().split("\n")[:2]
        except FileNotFoundError:
            return None

    inner, auth = poll("kwin_wayland's XWayland display, told to the program it starts", xwayland, 20)
    _nested(desktop, kwin, outer, "KDE Wayland Compositor", inner, auth)


def _desktop_window(desktop):
    # Creates a desktop window (_NET_WM_WINDOW_TYPE_DESKTOP, which every window manager keeps below the rest) over
    # the whole screen in the desktop's colour. Compositors do not draw the root window: KWin shows black there,
    # picom grey, mutter a gradient of its own. The window outlives the connection (RetainPermanent): the display
    # ends with the desktop.
    with XConnection(desktop.env) as x:
        r, g, b = desktop.DESKTOP_RGB
        lib, d = x.x, x.display
        window = lib.XCreateSimpleWindow(d, x.root, 0, 0, desktop.width, desktop.height, 0, 0,
                                         (r << 16) | (g << 8) | b)
        kind = (ctypes.c_ulong * 1)(x.atom("_NET_WM_WINDOW_TYPE_DESKTOP"))
        lib.XChangeProperty(d, window, x.atom("_NET_WM_WINDOW_TYPE"), 4, 32, 0, kind, 1)  # XA_ATOM, replace
        wm_class = b"desktop\0Desktop\0"
        lib.XChangeProperty(d, window, x.atom("WM_CLASS"), 31, 8, 0, wm_class, len(wm_class))  # XA_STRING
        lib.XStoreName(d, window, b"desktop")
        lib.XMapWindow(d, window)
        lib.XSetCloseDownMode(d, 1)  # RetainPermanent
        lib.XSync(d, 0)
    poll(f"the desktop window managed by {desktop.wm_name}",
         lambda: window in (desktop.prop("_NET_CLIENT_LIST") or []), 10)

    # mutter 48 manages an XWayland window mapped this early yet, one start in three, never shows it: the checks
    # would take its gradient for stray pixels. Mapped once more, the window is shown.
    def shown():
        if desktop.grab(desktop.width // 2, desktop.height // 2, 1, 1)[0] == desktop.DESKTOP_RGB:
            return True
        with XConnection(desktop.env) as x:
            x.x.XUnmapWindow(x.display, window)
            x.x.XSync(x.display, 0)
            x.x.XMapWindow(x.display, window)
            x.x.XSync(x.display, 0)
        return False

    poll(f"the desktop's colour shown by {desktop.wm_name}", shown, 10, interval=0.5)
