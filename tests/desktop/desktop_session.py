# A private desktop for one run of the real clock: an Xvfb display, optionally a window manager (KWin, mutter or
# xfwm4, see window_managers.py), a PulseAudio server with a null sink whose monitor is recorded, a tray host
# (XEmbed's trayer, or a StatusNotifierItem host on the session bus the test runs in) and a home folder of its
# own, all started here and all ended at the end. Everything the tests learn about the program they learn from
# outside, as a user would: from the X server, from the screen's pixels and from the sound that reaches the sound
# server.

import array
import ctypes
import math
import os
import re
import select
import shutil
import signal
import subprocess
import tempfile
import threading
import time


class CheckFailed(Exception):
    pass


def poll(what, condition, timeout, interval=0.1):
    # Calls condition until it returns something true, and returns that; fails after timeout seconds.
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise CheckFailed(f"{what}: not seen within {timeout:g} s")
        time.sleep(interval)


def run(*args, check=True, **kwargs):
    result = subprocess.run(args, capture_output=True, text=True, **kwargs)
    if check and result.returncode != 0:
        raise CheckFailed(f"{' '.join(args)} failed ({result.returncode}): {result.stderr.strip()}")
    return result.stdout


class Window:
    def __init__(self, wid, name, wm_class, x, y, width, height):
        self.wid, self.name, self.wm_class = wid, name, wm_class
        self.x, self.y, self.width, self.height = x, y, width, height

    def __repr__(self):
        return f"{self.name!r} {self.width}x{self.height}+{self.x}+{self.y}"


# One line of `xwininfo -tree`: id, name (or "(has no name)"), class, geometry and absolute position.
_TREE_LINE = re.compile(r'^(\s*)(0x[0-9a-f]+) (?:"(.*)"|\(has no name\)): \((.*)\)\s+(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)')


def window_tree(env):
    # Every window of env's display under the root, in xwininfo's order, with its depth (1 for the root's
    # children: xwininfo indents each level by three spaces more, after two).
    for attempt in range(5):
        result = subprocess.run(["xwininfo", "-root", "-tree"], env=env, capture_output=True, text=True)
        # xwininfo gives up at a window that went while it walked the tree; a window manager's frames come
        # and go with its clients
        if result.returncode == 0 or "X Error" not in result.stderr:
            break
        time.sleep(0.05)
    if result.returncode != 0:
        raise CheckFailed(f"xwininfo -root -tree failed ({result.returncode}): {result.stderr.strip()}")
    found = []
    for line in result.stdout.splitlines():
        m = _TREE_LINE.match(line)
        if m:
            indent, wid, name, wm_class, w, h, x, y = m.groups()
            found.append(((len(indent) - 2) // 3, Window(wid, name or "", wm_class, int(x), int(y), int(w), int(h))))
    return found


class Audio:
    # The null sink's monitor, recorded from the start: 16 kHz mono 16-bit samples in a file.

    RATE = 16000
    WINDOW_MS = 20
    LOUD_RMS = 250  # of 32767; the null sink's silence is exactly 0

    def __init__(self, path, env):
        self.path = path
        self.process = subprocess.Popen(
            ["parec", "-d", "horalia_test.monitor", "--raw", "--format=s16le", f"--rate={self.RATE}",
             "--channels=1", "--latency-msec=20", path], env=env, stderr=subprocess.DEVNULL)

    def now(self):
        # Seconds of sound recorded so far.
        try:
            return os.path.getsize(self.path) / 2 / self.RATE
        except OSError:
            return 0.0

    def bursts(self, since=0.0, gap=1.0):
        # The stretches of sound after `since` seconds: (start, length, rms), neighbours closer than `gap`
        # seconds joined, as the words of one sentence are, and the pieces of one that a busy machine played
        # with a stutter.
        with open(self.path, "rb") as f:
            data = f.read()
        samples = array.array("h")
        samples.frombytes(data[: len(data) // 2 * 2])
        step = self.RATE * self.WINDOW_MS // 1000
        out = []
        for at in range(int(since * self.RATE) // step * step, len(samples) - step + 1, step):
            rms = math.sqrt(sum(s * s for s in samples[at : at + step]) / step)
            if rms < self.LOUD_RMS:
                continue
            t = at / self.RATE
            if out and t - (out[-1][0] + out[-1][1]) <= gap:
                start, _, total, count = out[-1]
                out[-1] = [start, t + self.WINDOW_MS / 1000 - start, total + rms, count + 1]
            else:
                out.append([t, self.WINDOW_MS / 1000, rms, 1])
        return [(start, length, total / count) for start, length, total, count in out]

    def next_sentence(self, since, timeout, quiet_after=1.2):
        # Waits for a stretch of sound that starts after `since` and is over (quiet_after seconds of silence
        # follow it); returns (start, length, rms).
        def finished():
            found = self.bursts(since)
            if found and self.now() - (found[0][0] + found[0][1]) >= quiet_after:
                return found[0]
            return None

        return poll("speech on the sound server", finished, timeout, interval=0.25)

    def stop(self):
        self.process.terminate()
        self.process.wait(5)


class Watcher(threading.Thread):
    # Looks at the program's viewable windows every 0.1 s and keeps what it saw, so that a balloon that is
    # open for a second is seen even while a check waits for something else.

    def __init__(self, desktop, wm_class):
        super().__init__(daemon=True)
        self.desktop, self.wm_class = desktop, wm_class
        self.started = time.monotonic()
        self.history = []  # (seconds since the start, [Window])
        self.lock = threading.Lock()
        self.running = True

    def run(self):
        while self.running:
            result = subprocess.run(["xdotool", "search", "--onlyvisible", "--class", self.wm_class],
                                    env=self.desktop.env, capture_output=True, text=True)
            ids = {int(i) for i in result.stdout.split()}
            try:
                shown = [w for w in self.desktop.windows() if int(w.wid, 16) in ids]
            except CheckFailed:
                shown = []
            with self.lock:
                self.history.append((time.monotonic() - self.started, shown))
            time.sleep(0.1)

    def now(self):
        return time.monotonic() - self.started

    def looks(self):
        with self.lock:
            return list(self.history)

    def seen(self, name, since=0.0):
        # The first sighting of a window of that name at or after `since`: (time, Window), or None.
        return next(((t, w) for t, shown in self.looks() if t >= since for w in shown if w.name == name), None)


class StatusNotifierHost:
    # sni_watcher, the part of a panel that applications talk to over D-Bus, asked one line at a time.

    def __init__(self, desktop, program):
        self.process = desktop._spawn([program], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                      stderr=desktop._log("sni_watcher.log"))
        self.buffer = b""
        line = self._line(10)
        if line != "ready":
            raise CheckFailed(f"the StatusNotifierWatcher did not start: {line!r}")

    def _line(self, timeout):
        deadline = time.monotonic() + timeout
        while b"\n" not in self.buffer:
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.process.stdout], [], [], left)[0]:
                raise CheckFailed(f"the StatusNotifierWatcher gave no answer within {timeout:g} s")
            chunk = os.read(self.process.stdout.fileno(), 4096)
            if not chunk:
                raise CheckFailed("the StatusNotifierWatcher ended")
            self.buffer += chunk
        line, self.buffer = self.buffer.split(b"\n", 1)
        return line.decode()

    def ask(self, command, timeout=10):
        # Sends one command and returns its answer without the answer's first word; an error fails.
        self.process.stdin.write(command.encode() + b"\n")
        self.process.stdin.flush()
        word, _, rest = self._line(timeout).partition(" ")
        if word == "error":
            raise CheckFailed(f"{command}: {rest}")
        return rest


class XClientMessageEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class XEvent(ctypes.Union):
    _fields_ = [("xclient", XClientMessageEvent), ("pad", ctypes.c_long * 24)]


_xlib = None


def xlib():
    # libX11 through ctypes, loaded once. Its errors are ignored: a window may go between the moment it is
    # listed and the moment it is asked about, and Xlib's own handler would end the test for that.
    global _xlib
    if _xlib is None:
        x = ctypes.CDLL("libX11.so.6")
        x.XInitThreads()  # the Watcher looks at the windows while the checks do
        p, ul, i, ui, P = ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_uint, ctypes.POINTER
        for name, restype, argtypes in (
                ("XOpenDisplay", p, [ctypes.c_char_p]), ("XDefaultRootWindow", ul, [p]),
                ("XInternAtom", ul, [p, ctypes.c_char_p, i]), ("XGetSelectionOwner", ul, [p, ul]),
                ("XGetWindowProperty", i, [p, ul, ul, ctypes.c_long, ctypes.c_long, i, ul, P(ul), P(i), P(ul),
                                           P(ul), P(P(ctypes.c_ubyte))]),
                ("XQueryTree", i, [p, ul, P(ul), P(ul), P(P(ul)), P(ui)]),
                ("XCreateSimpleWindow", ul, [p, ul, i, i, ui, ui, ui, ul, ul]),
                ("XChangeProperty", i, [p, ul, ul, ul, i, i, p, i]), ("XStoreName", i, [p, ul, ctypes.c_char_p]),
                ("XMapWindow", i, [p, ul]), ("XUnmapWindow", i, [p, ul]), ("XSetCloseDownMode", i, [p, i]),
                ("XSync", i, [p, i]), ("XSendEvent", i, [p, ul, i, ctypes.c_long, P(XEvent)]),
                ("XCloseDisplay", i, [p]), ("XFree", i, [p]), ("XFlush", i, [p])):
            getattr(x, name).restype, getattr(x, name).argtypes = restype, argtypes
        handler = ctypes.CFUNCTYPE(ctypes.c_int, p, p)(lambda display, error: 0)
        x.XSetErrorHandler.argtypes = [type(handler)]
        x.XSetErrorHandler(handler)
        x.ignore_errors = handler  # kept alive as long as the library
        _xlib = x
    return _xlib


class XConnection:
    # A connection to an X display, for what the command-line tools do not tell, or tell too slowly for a
    # look every 0.1 s: selection owners, a property of many windows, the stacking order.

    auth_lock = threading.Lock()

    def __init__(self, env):
        self.x = xlib()
        # Xlib takes the cookie from the file XAUTHORITY names when the display is opened (XWayland's display
        # wants the one its compositor wrote)
        with self.auth_lock:
            old = os.environ.get("XAUTHORITY")
            if env.get("XAUTHORITY"):
                os.environ["XAUTHORITY"] = env["XAUTHORITY"]
            try:
                self.display = self.x.XOpenDisplay(env["DISPLAY"].encode())
            finally:
                if old is None:
                    os.environ.pop("XAUTHORITY", None)
                else:
                    os.environ["XAUTHORITY"] = old
        if not self.display:
            raise CheckFailed(f"cannot open the display {env['DISPLAY']}")
        self.root = self.x.XDefaultRootWindow(self.display)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.x.XCloseDisplay(self.display)

    def atom(self, name):
        return self.x.XInternAtom(self.display, name.encode(), 0)

    def property(self, window, name):
        # A window's property: a list of numbers (format 16 or 32), bytes (format 8), or None when the window
        # has none of that name (or is gone).
        actual, fmt = ctypes.c_ulong(), ctypes.c_int()
        count, after = ctypes.c_ulong(), ctypes.c_ulong()
        data = ctypes.POINTER(ctypes.c_ubyte)()
        status = self.x.XGetWindowProperty(self.display, window, self.atom(name), 0, 1 << 20, 0, 0,
                                           ctypes.byref(actual), ctypes.byref(fmt), ctypes.byref(count),
                                           ctypes.byref(after), ctypes.byref(data))
        if status != 0 or not actual.value:
            return None
        try:
            if fmt.value == 8:
                return ctypes.string_at(data, count.value)
            item = ctypes.c_ulong if fmt.value == 32 else ctypes.c_ushort  # Xlib's format 32 is a C long
            return list(ctypes.cast(data, ctypes.POINTER(item * count.value)).contents)
        finally:
            if data:
                self.x.XFree(data)

    def children(self, window):
        # A window's children, bottom to top.
        root, parent = ctypes.c_ulong(), ctypes.c_ulong()
        kids, count = ctypes.POINTER(ctypes.c_ulong)(), ctypes.c_uint()
        if not self.x.XQueryTree(self.display, window, ctypes.byref(root), ctypes.byref(parent),
                                 ctypes.byref(kids), ctypes.byref(count)):
            return []
        try:
            return [kids[i] for i in range(count.value)]
        finally:
            if kids:
                self.x.XFree(kids)

    def window_manager(self):
        # The name of the window manager that says it manages the display (_NET_SUPPORTING_WM_CHECK on the
        # root and on its own window, as the EWMH has it), or None.
        check = self.property(self.root, "_NET_SUPPORTING_WM_CHECK")
        if not check or self.property(check[0], "_NET_SUPPORTING_WM_CHECK") != check[:1]:
            return None
        name = self.property(check[0], "_NET_WM_NAME")
        return name.decode(errors="replace") if name else "(no name)"

    def compositor(self):
        # The window that owns the compositing manager's selection of screen 0, or 0.
        return self.x.XGetSelectionOwner(self.display, self.atom("_NET_WM_CM_S0"))

    def send(self, window, message_type, data, to=None, mask=0):
        # A ClientMessage of format 32 about window, sent to `to` (the window itself unless told).
        event = XEvent()
        event.xclient.type = 33  # ClientMessage
        event.xclient.window = window
        event.xclient.message_type = self.atom(message_type)
        event.xclient.format = 32
        for k, value in enumerate(data):
            event.xclient.data[k] = value
        self.x.XSendEvent(self.display, to or window, 0, mask, ctypes.byref(event))
        self.x.XFlush(self.display)


# env is the environment of the program under test, and its DISPLAY the display the program is a client of. Under
# mutter and kwin_wayland that is the compositor's XWayland, whose root window does not hold what the compositor
# shows: the pictures are taken from outer_env's display (the Xvfb, where the compositor's own window shows its
# output at origin), and the user's mouse and keys go there too, so that the compositor routes them as it would
# a real user's. Under the other window managers, and without one, outer_env is env.
class Desktop:
    DESKTOP_RGB = (0x3A, 0x6E, 0xA5)
    PANEL_HEIGHT = 24

    # With status_notifier_host (the sni_watcher program) the tray is a StatusNotifierItem host on the session bus
    # the test was started in; otherwise trayer, with no session bus at all unless there is a window manager: then
    # the desktop has a bus of its own, as a session has. wm is None, "kwin", "kwin_wayland", "mutter" or "xfwm4".
    # With top_panel trayer is a dock along the top edge that reserves its height (a strut), so that a window
    # manager's work area begins below it; without, it is an ordinary window, which a window manager frames and
    # places where it likes. monitors, a list of (x, y, width, height), splits the screen into those monitors (RandR's
    # monitors, which Qt and the window managers take for screens). Without sound there is no sound server at all
    # (and audio is None), as on a machine without one.
    def __init__(self, size="800x480", status_notifier_host=None, wm=None, top_panel=False, monitors=None, sound=True):
        self.work = tempfile.mkdtemp(prefix="horalia-desktop-")
        self.processes, self.watchers, self.audio = [], [], None
        self.wm = wm
        self.wm_name = None  # as the window manager calls itself
        self.width, self.height = (int(n) for n in size.split("x"))
        self.monitors = [(0, 0, self.width, self.height)]
        self.origin = (0, 0)
        self.env = dict(os.environ)
        for key in ("WAYLAND_DISPLAY", "PULSE_SERVER", "SESSION_MANAGER", "QT_QPA_PLATFORM_PLUGIN_PATH"):
            self.env.pop(key, None)
        if not status_notifier_host:
            self.env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        self.home = os.path.join(self.work, "home")
        runtime = os.path.join(self.work, "runtime")
        os.makedirs(self.home)
        os.makedirs(runtime, mode=0o700)
        self.env.update(HOME=self.home, XDG_CONFIG_HOME=os.path.join(self.home, ".config"),
                        XDG_DATA_HOME=os.path.join(self.home, ".local/share"),
                        XDG_CACHE_HOME=os.path.join(self.home, ".cache"), XDG_RUNTIME_DIR=runtime,
                        QT_QPA_PLATFORM="xcb", LC_ALL="C.UTF-8", LANG="C.UTF-8")
        try:
            self._start_display(size)
            if monitors:
                self._split(monitors)
            self.outer_env = self.env
            if wm:
                import window_managers  # it builds on this module

                window_managers.start(self, wm)
            if not self.env.get("DBUS_SESSION_BUS_ADDRESS"):
                # an address where no bus listens: without any, libdbus would start one (dbus-launch
                # --autolaunch) that outlives the desktop
                self.env["DBUS_SESSION_BUS_ADDRESS"] = f"unix:path={self.work}/no-session-bus"
            if sound:
                self._start_sound()
            else:
                # a server address where none listens: PulseAudio's library would otherwise start one
                self.env["PULSE_SERVER"] = f"unix:{self.work}/no-sound-server"
            if status_notifier_host:
                self.tray_host = StatusNotifierHost(self, status_notifier_host)
            else:
                self._start_tray(top_panel)
        except BaseException:
            self.stop()
            raise

    # -- the pieces of the desktop

    def _spawn(self, args, env=None, **kwargs):
        kwargs.setdefault("stdin", subprocess.DEVNULL)
        p = subprocess.Popen(args, env=env or self.env, start_new_session=True, **kwargs)
        self.processes.append(p)
        return p

    def _log(self, name):
        return open(os.path.join(self.work, name), "w")

    def _first_line(self, args, what, timeout, **kwargs):
        # Starts a program that writes a line to the pipe it gets as {fd}, and returns that line, within timeout s.
        read, write = os.pipe()
        self._spawn([a.format(fd=write) for a in args], pass_fds=(write,), stdout=subprocess.DEVNULL, **kwargs)
        os.close(write)
        text = b""
        deadline = time.monotonic() + timeout
        try:
            while not text.endswith(b"\n"):
                left = deadline - time.monotonic()
                if left <= 0 or not select.select([read], [], [], left)[0]:
                    break
                chunk = os.read(read, 256)
                if not chunk:
                    break
                text += chunk
        finally:
            os.close(read)
        if not text.strip():
            raise CheckFailed(f"{what} did not start")
        return text.decode().strip()

    def _start_display(self, size):
        display = self._first_line(["Xvfb", "-displayfd", "{fd}", "-screen", "0", f"{size}x24", "-noreset",
                                    "-nolisten", "tcp"], "Xvfb", 15, stderr=subprocess.DEVNULL)
        self.env["DISPLAY"] = ":" + display
        run("xsetroot", "-solid", "#%02x%02x%02x" % self.DESKTOP_RGB, env=self.env)

    def _split(self, monitors):
        # The first takes Xvfb's one output, whose own monitor then goes; the others have none.
        for i, (x, y, w, h) in enumerate(monitors):
            run("xrandr", "--setmonitor", f"monitor{i + 1}", f"{w}/{w * 254 // 960}x{h}/{h * 254 // 960}+{x}+{y}",
                "screen" if i == 0 else "none", env=self.env)
        listed = run("xrandr", "--listmonitors", env=self.env)
        if f"Monitors: {len(monitors)}" not in listed:
            raise CheckFailed(f"the screen is not split into {len(monitors)} monitors: {listed.strip()}")
        self.monitors = list(monitors)

    def _start_sound(self):
        self._spawn(["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit",
                     "--log-target=stderr", "-L", "module-native-protocol-unix",
                     "-L", "module-null-sink sink_name=horalia_test rate=22050",
                     # the microphone: what is played into a second sink comes out of a source of its own (a
                     # monitor would not do: programs do not offer monitors as microphones)
                     "-L", "module-null-sink sink_name=horalia_mic_sink rate=16000",
                     "-L", "module-virtual-source source_name=horalia_mic master=horalia_mic_sink.monitor"],
                    stdout=subprocess.DEVNULL, stderr=self._log("pulse.log"))
        poll("the sound server", lambda: subprocess.run(["pactl", "info"], env=self.env,
                                                        capture_output=True).returncode == 0, 15)
        run("pactl", "set-default-sink", "horalia_test", env=self.env)
        run("pactl", "set-default-source", "horalia_mic", env=self.env)
        self.audio = Audio(os.path.join(self.work, "sound.raw"), self.env)

    def session_bus(self):
        # Gives the desktop a session bus of its own, unless it has the test's: everything started after this is
        # on it (and so are the services it starts, in its process group, which stop() ends).
        if self.env.get("DBUS_SESSION_BUS_ADDRESS"):
            # The test's bus starts its services with the environment the bus was started in, without this
            # desktop's display and home (KWin's kglobalaccel5 could not start, and KWin would ask again and
            # again).
            self.bus_environment("DISPLAY", "XAUTHORITY", "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME",
                                 "XDG_CACHE_HOME", "XDG_RUNTIME_DIR", "QT_QPA_PLATFORM", "LC_ALL", "LANG")
            return
        self.env["DBUS_SESSION_BUS_ADDRESS"] = self._first_line(
            ["dbus-daemon", "--session", "--nofork", "--nopidfile", "--address", f"unix:path={self.work}/bus",
             "--print-address={fd}"], "the session bus", 10, stderr=self._log("dbus.log"))

    def bus_environment(self, *names):
        # Gives the services the session bus starts from now on these variables of env.
        try:
            run("dbus-update-activation-environment", *[f"{n}={self.env[n]}" for n in names if n in self.env],
                env=self.env, timeout=10)
        except subprocess.TimeoutExpired:
            raise CheckFailed("the session bus did not take the desktop's environment within 10 s") from None

    def _start_tray(self, top_panel):
        if top_panel:
            # across the whole edge, as desktops' panels are: mutter's work area is the largest rectangle
            # clear of the struts, and a short strut in a corner takes a strip off the side instead
            kind = ["--widthtype", "percent", "--width", "100", "--SetDockType", "true", "--SetPartialStrut",
                    "true"]
        else:
            kind = ["--widthtype", "request", "--SetDockType", "false", "--SetPartialStrut", "false"]
        self._spawn(["trayer", "--edge", "top", "--align", "right", "--height", str(self.PANEL_HEIGHT), *kind],
                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        poll("the tray host", lambda: any(w.name == "panel" for w in self.windows()), 10)
        if top_panel and self.wm:
            try:
                poll("the work area", lambda: (self.work_area() or (0, 0))[1] >= self.PANEL_HEIGHT, 10)
            except CheckFailed:
                raise CheckFailed(f"{self.wm_name} does not keep windows out of the top panel's strut: the work "
                                  f"area is {self.work_area()}") from None

    def install_characters(self, files):
        # Copies the character files to where the program looks for them.
        chars = os.path.join(self.env["XDG_DATA_HOME"], "horalia/msagent/chars")
        os.makedirs(chars, exist_ok=True)
        for f in files:
            shutil.copy(f, chars)

    def watch(self, wm_class):
        watcher = Watcher(self, wm_class)
        self.watchers.append(watcher)
        watcher.start()
        return watcher

    def stop(self):
        # Every watcher ends before the X server: a thread still asking it would have Xlib end the whole test.
        for watcher in self.watchers:
            watcher.running = False
        for watcher in self.watchers:
            watcher.join(5)
        if self.audio:
            self.audio.stop()
        # Each program is asked to end on its own first, the last started first: mutter then ends its XWayland
        # and removes its sockets and lock files, which are left behind when the two are ended together.
        for p in reversed(self.processes):
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(5)
                except subprocess.TimeoutExpired:
                    pass
        # Then what is left of their process groups: the services a bus started, a program's children.
        for p in reversed(self.processes):
            try:
                os.killpg(p.pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        for p in reversed(self.processes):
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                os.killpg(p.pid, signal.SIGKILL)
                p.wait(5)
        shutil.rmtree(self.work, ignore_errors=True)

    # -- looking at the screen

    def windows(self, tree=False):
        # The top-level windows (with tree, every window), with absolute positions. Under a window manager a
        # top-level window is the client it frames (the window that has WM_STATE), as the program sees it, and
        # what it does not frame (override-redirect pop-ups, its own helpers) is there as it is.
        rows = window_tree(self.env)
        if tree:
            return [w for _, w in rows]
        if not self.wm:
            return [w for depth, w in rows if depth == 1]
        found = []
        with XConnection(self.env) as x:
            top, framed = None, []
            for depth, w in rows + [(1, None)]:
                if depth == 1:
                    if top:
                        found.extend(framed or [top])
                    top, framed = w, []
                elif depth <= 3 and x.property(int(w.wid, 16), "WM_STATE") is not None:
                    # KWin's client is the frame's grandchild, the others' its child
                    framed.append(w)
        return found

    def stacking(self):
        # The ids of the clients, bottom to top: the window manager's _NET_CLIENT_LIST_STACKING, or without one
        # the root window's children.
        with XConnection(self.env) as x:
            ids = (x.property(x.root, "_NET_CLIENT_LIST_STACKING") or []) if self.wm else x.children(x.root)
        return [hex(i) for i in ids]

    def prop(self, name, window=None):
        # A property of the window of that id, or of the root window.
        with XConnection(self.env) as x:
            return x.property(window or x.root, name)

    def active(self, window):
        return (self.prop("_NET_ACTIVE_WINDOW") or [0])[0] == int(window.wid, 16)

    def work_area(self):
        # The current desktop's work area (x, y, width, height) as the window manager has it, or None (no
        # window manager; KWin, before anything reserves a strut).
        area = self.prop("_NET_WORKAREA")
        current = (self.prop("_NET_CURRENT_DESKTOP") or [0])[0]
        if not area or len(area) < 4 * (current + 1):
            return None
        return tuple(area[4 * current : 4 * current + 4])

    def window(self, name, viewable=True):
        return next((w for w in self.windows() if w.name == name and (not viewable or self.viewable(w))), None)

    def _xwininfo(self, window):
        return subprocess.run(["xwininfo", "-id", window.wid], env=self.env, capture_output=True, text=True)

    def viewable(self, window):
        result = self._xwininfo(window)
        return result.returncode == 0 and "Map State: IsViewable" in result.stdout

    def exists(self, window):
        return self._xwininfo(window).returncode == 0

    def _import(self, x, y, width, height, *args):
        ox, oy = self.origin
        return subprocess.run(["import", "-window", "root", "-crop", f"{width}x{height}+{x + ox}+{y + oy}", *args],
                              env=self.outer_env, capture_output=True, check=True).stdout

    def grab(self, x, y, width, height):
        # What the screen shows in this rectangle: a list of (r, g, b). mutter draws the mouse pointer into what
        # it shows, so there the pointer is in the picture (Xvfb keeps its own out).
        data = self._import(x, y, width, height, "-depth", "8", "rgb:-")
        return [tuple(data[i : i + 3]) for i in range(0, len(data) - 2, 3)]

    def screenshot(self, path):
        self._import(0, 0, self.width, self.height, "+repage", path)

    # -- acting as the user

    def xdotool(self, *args):
        run("xdotool", *[str(a) for a in args], env=self.outer_env)

    def pointer(self, x, y, click=None):
        # Moves the mouse to x, y of the program's screen and, with click (a button's number), clicks there.
        ox, oy = self.origin
        self.xdotool("mousemove", x + ox, y + oy, *(["click", click] if click else []))

    def key(self, *keys):
        # Presses and releases each key in turn (xdotool's names: Down, Return, m).
        self.xdotool("key", *keys)

    # How far along its way a hand has moved the mouse at each of a drag's motions: faster, then slower, so that
    # no two steps in a row are the same. mutter (48; not 43) passes a motion on to a Wayland client only when it
    # lands elsewhere on the client's surface than the one before: while a window follows the pointer, a step as
    # long as the one before lands where that one did, and XWayland never hears of it.
    DRAG_PATH = (0.1, 0.3, 0.6, 0.85, 1.0)

    def drag(self, x, y, dx, dy):
        self.pointer(x, y)
        self.xdotool("mousedown", 1)
        for f in self.DRAG_PATH:
            self.pointer(x + round(dx * f), y + round(dy * f))
            time.sleep(0.03)
        self.xdotool("mouseup", 1)

    def close_request(self, window):
        # What a window manager sends when the user clicks a window's close box: WM_DELETE_WINDOW (CurrentTime).
        with XConnection(self.env) as x:
            x.send(int(window.wid, 16), "WM_PROTOCOLS", [x.atom("WM_DELETE_WINDOW"), 0])


# What every set of checks does: tells what it saw with the time, counts what passed, takes pictures, and finds a
# character's pixels to take hold of. now() gives the seconds that each line starts with.
class Observer:
    def __init__(self, desktop, shots, now):
        self.desktop, self.shots, self.now = desktop, shots, now
        self.passed = 0

    def say(self, what):
        print(f"[{self.now():6.1f} s] {what}", flush=True)

    def check(self, condition, what):
        if not condition:
            raise CheckFailed(what)
        self.passed += 1

    def shot(self, name):
        if self.shots:
            os.makedirs(self.shots, exist_ok=True)
            path = os.path.join(self.shots, name + ".png")
            self.desktop.screenshot(path)
            self.say(f"picture {path}")

    def grab_of(self, w):
        # What the screen shows over window w, row by row: (r, g, b), None where w is off the screen.
        x0, y0 = max(0, w.x), max(0, w.y)
        x1, y1 = min(self.desktop.width, w.x + w.width), min(self.desktop.height, w.y + w.height)
        if x1 <= x0 or y1 <= y0:
            return [None] * (w.width * w.height)
        seen = self.desktop.grab(x0, y0, x1 - x0, y1 - y0)
        return [seen[(y - y0) * (x1 - x0) + (x - x0)] if x0 <= x < x1 and y0 <= y < y1 else None
                for y in range(w.y, w.y + w.height) for x in range(w.x, w.x + w.width)]

    def opaque_point_of(self, c):
        # The pixel of character window c nearest its middle that shows the character, not the desktop.
        best = None
        for i, p in enumerate(self.grab_of(c)):
            if p is not None and p not in (Desktop.DESKTOP_RGB, (0, 0, 0), (255, 255, 255)):
                x, y = i % c.width, i // c.width
                d = (x - c.width / 2) ** 2 + (y - c.height / 2) ** 2
                if best is None or d < best[0]:
                    best = (d, c.x + x, c.y + y)
        self.check(best is not None, f"no pixel of {c.name} to take hold of")
        return best[1], best[2]
