"""A private desktop for one run of the real clock: an Xvfb display, a PulseAudio server with a null sink whose
monitor is recorded, a tray host (XEmbed's trayer, or a StatusNotifierItem host on the session bus the test
runs in) and a home folder of its own, all started here and all ended at the end. Everything the tests learn about the program they learn from outside, as a user would: from the X server,
from the screen's pixels and from the sound that reaches the sound server."""

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
    """Calls condition until it returns something true, and returns that; fails after timeout seconds."""
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
_TREE_LINE = re.compile(r'^\s*(0x[0-9a-f]+) (?:"(.*)"|\(has no name\)): \((.*)\)\s+(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)')


class Audio:
    """The null sink's monitor, recorded from the start: 16 kHz mono 16-bit samples in a file."""

    RATE = 16000
    WINDOW_MS = 20
    LOUD_RMS = 250  # of 32767; the null sink's silence is exactly 0

    def __init__(self, path, env):
        self.path = path
        self.started = time.monotonic()
        self.process = subprocess.Popen(
            ["parec", "-d", "horalia_test.monitor", "--raw", "--format=s16le", f"--rate={self.RATE}",
             "--channels=1", "--latency-msec=20", path], env=env, stderr=subprocess.DEVNULL)

    def now(self):
        """Seconds of sound recorded so far."""
        try:
            return os.path.getsize(self.path) / 2 / self.RATE
        except OSError:
            return 0.0

    def bursts(self, since=0.0, gap=1.0):
        """The stretches of sound after `since` seconds: (start, length, rms), neighbours closer than `gap`
        seconds joined, as the words of one sentence are, and the pieces of one that a busy machine played
        with a stutter."""
        with open(self.path, "rb") as f:
            data = f.read()
        samples = array.array("h")
        samples.frombytes(data[: len(data) // 2 * 2])
        step = self.RATE * self.WINDOW_MS // 1000
        first = int(since * self.RATE) // step * step
        loud = []
        for at in range(first, len(samples) - step + 1, step):
            chunk = samples[at : at + step]
            rms = math.sqrt(sum(s * s for s in chunk) / step)
            if rms >= self.LOUD_RMS:
                loud.append((at / self.RATE, rms))
        out = []
        for t, rms in loud:
            if out and t - (out[-1][0] + out[-1][1]) <= gap:
                start, _, total, count = out[-1]
                out[-1] = [start, t + self.WINDOW_MS / 1000 - start, total + rms, count + 1]
            else:
                out.append([t, self.WINDOW_MS / 1000, rms, 1])
        return [(start, length, total / count) for start, length, total, count in out]

    def next_sentence(self, since, timeout, quiet_after=1.2):
        """Waits for a stretch of sound that starts after `since` and is over (quiet_after seconds of silence
        follow it); returns (start, length, rms)."""

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
    """Looks at the program's viewable windows every 0.1 s and keeps what it saw, so that a balloon that is
    open for a second is seen even while a check waits for something else."""

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

    def seen(self, name, since=0.0):
        """The first sighting of a window of that name at or after `since`: (time, Window), or None."""
        with self.lock:
            for t, shown in self.history:
                if t >= since:
                    for w in shown:
                        if w.name == name:
                            return t, w
        return None

    def stop(self):
        self.running = False


class StatusNotifierHost:
    """sni_watcher, the part of a panel that applications talk to over D-Bus, asked one line at a time."""

    def __init__(self, desktop, program):
        self.process = desktop._spawn([program], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                      stderr=open(os.path.join(desktop.work, "sni_watcher.log"), "w"))
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
        """Sends one command and returns its answer without the answer's first word; an error fails."""
        self.process.stdin.write(command.encode() + b"\n")
        self.process.stdin.flush()
        answer = self._line(timeout)
        word, _, rest = answer.partition(" ")
        if word == "error":
            raise CheckFailed(f"{command}: {rest}")
        return rest


class XClientMessageEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class XEvent(ctypes.Union):
    _fields_ = [("xclient", XClientMessageEvent), ("pad", ctypes.c_long * 24)]


class Desktop:
    """Starts the display, the sound server and the tray host, with a private home; stop() ends them all."""

    DESKTOP_RGB = (0x3A, 0x6E, 0xA5)

    def __init__(self, size="800x480", status_notifier_host=None):
        """With status_notifier_host (the sni_watcher program) the tray is a StatusNotifierItem host on the
        session bus the test was started in; otherwise trayer, with no session bus at all."""
        self.work = tempfile.mkdtemp(prefix="horalia-desktop-")
        self.processes = []
        self.env = dict(os.environ)
        for key in ("WAYLAND_DISPLAY", "PULSE_SERVER", "SESSION_MANAGER"):
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
        self.env.pop("QT_QPA_PLATFORM_PLUGIN_PATH", None)
        try:
            self._start_display(size)
            self._start_sound()
            if status_notifier_host:
                self.tray_host = StatusNotifierHost(self, status_notifier_host)
            else:
                self._start_tray()
        except BaseException:
            self.stop()
            raise

    # -- the pieces of the desktop

    def _spawn(self, args, **kwargs):
        kwargs.setdefault("stdin", subprocess.DEVNULL)
        p = subprocess.Popen(args, env=self.env, start_new_session=True, **kwargs)
        self.processes.append(p)
        return p

    def _start_display(self, size):
        read, write = os.pipe()
        self._spawn(["Xvfb", "-displayfd", str(write), "-screen", "0", f"{size}x24", "-noreset", "-nolisten",
                     "tcp"], pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        number = b""
        deadline = time.monotonic() + 15
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            chunk = os.read(read, 16)
            if not chunk:
                break
            number += chunk
        os.close(read)
        if not number.strip():
            raise CheckFailed("Xvfb did not start")
        self.env["DISPLAY"] = ":" + number.decode().strip()
        self.x = ctypes.CDLL("libX11.so.6")
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x.XInternAtom.restype = ctypes.c_ulong
        self.x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        self.x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                      ctypes.POINTER(XEvent)]
        self.x.XFlush.argtypes = [ctypes.c_void_p]
        self.x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        r, g, b = self.DESKTOP_RGB
        run("xsetroot", "-solid", f"#{r:02x}{g:02x}{b:02x}", env=self.env)

    def _start_sound(self):
        self._spawn(["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit",
                     "--log-target=stderr", "-L", "module-native-protocol-unix",
                     "-L", "module-null-sink sink_name=horalia_test rate=22050",
                     # the microphone: what is played into a second sink comes out of a source of its own (a
                     # monitor would not do: programs do not offer monitors as microphones)
                     "-L", "module-null-sink sink_name=horalia_mic_sink rate=16000",
                     "-L", "module-virtual-source source_name=horalia_mic master=horalia_mic_sink.monitor"],
                    stdout=subprocess.DEVNULL, stderr=open(os.path.join(self.work, "pulse.log"), "w"))
        poll("the sound server", lambda: subprocess.run(["pactl", "info"], env=self.env,
                                                        capture_output=True).returncode == 0, 15)
        run("pactl", "set-default-sink", "horalia_test", env=self.env)
        run("pactl", "set-default-source", "horalia_mic", env=self.env)
        self.audio = Audio(os.path.join(self.work, "sound.raw"), self.env)

    def _start_tray(self):
        self._spawn(["trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height", "24",
                     "--SetDockType", "false", "--SetPartialStrut", "false"],
                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        poll("the tray host", lambda: any(w.name == "panel" for w in self.windows()), 10)

    def watch(self, wm_class):
        self.watcher = Watcher(self, wm_class)
        self.watcher.start()
        return self.watcher

    def stop(self):
        watcher = getattr(self, "watcher", None)
        if watcher:
            watcher.stop()
            watcher.join(5)
        audio = getattr(self, "audio", None)
        if audio:
            audio.stop()
        for p in reversed(self.processes):
            if p.poll() is None:
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
        """The top-level windows (with tree, every window), with absolute positions."""
        out = run("xwininfo", "-root", "-tree" if tree else "-children", env=self.env)
        found = []
        for line in out.splitlines():
            m = _TREE_LINE.match(line)
            if m:
                wid, name, wm_class, w, h, x, y = m.groups()
                found.append(Window(wid, name or "", wm_class, int(x), int(y), int(w), int(h)))
        return found

    def window(self, name, viewable=True):
        for w in self.windows():
            if w.name == name and (not viewable or self.viewable(w)):
                return w
        return None

    def viewable(self, window):
        result = subprocess.run(["xwininfo", "-id", window.wid], env=self.env, capture_output=True, text=True)
        return result.returncode == 0 and "Map State: IsViewable" in result.stdout

    def exists(self, window):
        return subprocess.run(["xwininfo", "-id", window.wid], env=self.env, capture_output=True).returncode == 0

    def grab(self, x, y, width, height):
        """What the screen shows in this rectangle: a list of (r, g, b)."""
        data = subprocess.run(["import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}", "-depth",
                               "8", "rgb:-"], env=self.env, capture_output=True, check=True).stdout
        return [tuple(data[i : i + 3]) for i in range(0, len(data) - 2, 3)]

    def screenshot(self, path):
        run("import", "-window", "root", path, env=self.env)

    # -- acting as the user

    def play_into_microphone(self, wav):
        """Plays a WAV file into the microphone's sink and returns when it has been played."""
        run("paplay", "--device=horalia_mic_sink", wav, env=self.env)

    def xdotool(self, *args):
        run("xdotool", *[str(a) for a in args], env=self.env)

    def drag(self, x, y, dx, dy):
        self.xdotool("mousemove", x, y)
        self.xdotool("mousedown", 1)
        for i in range(1, 6):
            self.xdotool("mousemove", x + dx * i // 5, y + dy * i // 5)
            time.sleep(0.03)
        self.xdotool("mouseup", 1)

    def close_request(self, window):
        """What a window manager sends when the user clicks a window's close box: WM_DELETE_WINDOW."""
        display = self.x.XOpenDisplay(self.env["DISPLAY"].encode())
        if not display:
            raise CheckFailed("cannot open the display")
        try:
            event = XEvent()
            event.xclient.type = 33  # ClientMessage
            event.xclient.window = int(window.wid, 16)
            event.xclient.message_type = self.x.XInternAtom(display, b"WM_PROTOCOLS", 0)
            event.xclient.format = 32
            event.xclient.data[0] = self.x.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
            event.xclient.data[1] = 0  # CurrentTime
            self.x.XSendEvent(display, int(window.wid, 16), 0, 0, ctypes.byref(event))
            self.x.XFlush(display)
        finally:
            self.x.XCloseDisplay(display)
