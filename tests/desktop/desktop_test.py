#!/usr/bin/env python3
# The real clock on a private desktop, checked from outside as a user sees and hears it.
#
# Usage: desktop_test.py --build BUILD --case CASE [--testdata DIR] [--shots DIR]
#
#   built           the build's own program with max and plany: every check
#   installed       the copy `cmake --install` puts into a temporary prefix, with max and plany
#   genuine         the build's program with Genie and Merlin from the test data (skipped when absent)
#   statusnotifier  the build's program under a StatusNotifierItem host instead of trayer: run it inside
#                   dbus-run-session, whose session bus the host and the program share
#   kwin, kwin_wayland, mutter, xfwm4
#                   the build's program with max and plany under that window manager (xfwm4 with picom's
#                   compositing; kwin_wayland and mutter nested, with their XWayland), with a top panel and the
#                   clock placed so that the characters' homes lie under it: the checks of what window managers
#                   do to the characters' windows, and the menu, the drag and the date
#   kwin_scale2     under kwin_x11, the program scaled by 2 (QT_SCALE_FACTOR) on a 2560x1440 screen: the characters
#                   at their homes, Max speaking from his with the balloon's tip towards him, nothing over the clock
#   kwin_twomonitors
#                   under kwin_x11, one 1600x600 screen split into two monitors: a clock left on the second one
#                   starts there, and the characters' homes stay on it, also when one would straddle the seam
#   xfwm4_edges     under xfwm4, the clock at the screen's right, left, top and bottom edges: the characters where
#                   the program's rule puts them, on the screen, no character or balloon over the clock
#   xfwm4_fullscreen, kwin_fullscreen
#                   an announcement every minute, and another program's window full screen for one of them: it is
#                   heard and nothing of the characters shows over that window; the next, once it is gone, shows
#   xfwm4_silent    no sound server at all: the time's balloon stays as long as it takes to read
#   kwin_bus        under kwin_x11, the engine serving other programs on the session bus (bus_case.py)
#
# Each check polls for what it waits for and prints what it saw. Exit status 0 when every check passed, 1 when
# one failed, 77 when the case cannot run here.

import argparse
import ctypes
import datetime
import os
import shutil
import subprocess
import sys
import tempfile
import time
import wave

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import window_managers  # noqa: E402
from desktop_session import CheckFailed, Desktop, Observer, XConnection, poll, run, xlib  # noqa: E402

SKIP = 77
TWIPS_PER_PIXEL = 15  # Xvfb's screen has 96 logical dots per inch
READING_START, READING_PER_WORD = 1.0, 0.25  # how long a person takes to read a balloon: a second, and a word
# Each case's window manager (None: none).
CASES = {"built": None, "installed": None, "genuine": None, "statusnotifier": None, "kwin_bus": "kwin",
         **{wm: wm for wm in window_managers.TOOLS}, "xfwm4_fullscreen": "xfwm4", "kwin_fullscreen": "kwin",
         "xfwm4_silent": "xfwm4", "kwin_scale2": "kwin", "kwin_twomonitors": "kwin", "xfwm4_edges": "xfwm4"}
# The screens a desktop may have, each a case: the Desktop's arguments, and the runs of the clock on it, each the
# settings (FormX, FormY in twips), the characters' homes in device pixels and QT_SCALE_FACTOR.
SCREENS = {
    # low enough on the screen for Max's balloon to go above him
    "kwin_scale2": (dict(size="2560x1440"), [("FormX=15000\nFormY=7500\n", [(2202, 822), (1766, 822)], 2)]),
    # (not xfwm4: GTK takes a monitor without an output of its own for none, and xfwm4 then keeps every window on
    # the first monitor; Xvfb has one output) On the second monitor, where it was left: beside it; at x 830,
    # character 2's home would straddle the seam between the monitors, and it goes to the clock's right, beyond
    # character 1.
    "kwin_twomonitors": (dict(size="1600x600", monitors=[(0, 0, 800, 600), (800, 0, 800, 600)]),
                         [("FormX=15000\nFormY=4500\n", [(1101, 211), (883, 211)], 1),
                          ("FormX=12450\nFormY=4500\n", [(931, 211), (1059, 211)], 1)]),
    "xfwm4_edges": (dict(size="800x600"), [("FormX=10320\nFormY=3000\n", [(443, 111), (571, 111)], 1),  # both left
                                           ("FormX=600\nFormY=3000\n", [(141, 111), (269, 111)], 1),  # both right
                                           ("FormX=4500\nFormY=360\n", [(401, 24), (183, 24)], 1),  # below the panel
                                           ("FormX=4500\nFormY=8475\n", [(401, 472), (183, 472)], 1)]),  # bottom
}


class XRectangle(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short), ("width", ctypes.c_ushort),
                ("height", ctypes.c_ushort)]


def window_shape(env, window):
    # The window's bounding shape, the part of it that is shown: a set of (x, y) in the window, or None when it is
    # not shaped or is gone.
    ext = ctypes.CDLL("libXext.so.6")
    ext.XShapeGetRectangles.restype = ctypes.POINTER(XRectangle)
    ext.XShapeGetRectangles.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int,
                                        ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int)]
    with XConnection(env) as x:
        count, ordering = ctypes.c_int(), ctypes.c_int()
        rects = ext.XShapeGetRectangles(x.display, int(window.wid, 16), 0, ctypes.byref(count),
                                        ctypes.byref(ordering))  # ShapeBounding
        if not rects:
            return None
        try:
            found = [(r.x, r.y, r.width, r.height) for r in rects[: count.value]]
        finally:
            xlib().XFree(rects)
    # An unshaped window has one rectangle, the window itself.
    if found == [(0, 0, window.width, window.height)]:
        return None
    return {(px, py) for rx, ry, rw, rh in found for py in range(ry, ry + rh) for px in range(rx, rx + rw)}


def desktop_or_shadow(p):
    # Whether a pixel is the desktop's colour, or that colour darkened by a compositor's shadow (mutter shades the
    # desktop below a panel and around windows).
    r0, g0, b0 = Desktop.DESKTOP_RGB
    f = p[1] / g0
    return 0.4 <= f <= 1.02 and abs(p[0] - r0 * f) <= 6 and abs(p[2] - b0 * f) <= 6


def touches(a, b, slack=2):
    # Whether the rectangles of windows a and b meet or overlap (within slack pixels).
    return (a.x - slack < b.x + b.width and b.x - slack < a.x + a.width and a.y - slack < b.y + b.height
            and b.y - slack < a.y + a.height)


def centre(w):
    return w.x + w.width // 2, w.y + w.height // 2


def wait_in_minute(low, high, until):
    # The clock announces the time a few seconds into a minute: outside [low, high] s into the minute, sleeps
    # until `until` s after the minute's start (mod 60); says whether it slept.
    into = time.time() % 60
    if low <= into <= high:
        return False
    time.sleep((until - into) % 60)
    return True


class Clock:
    # One run of the program on a desktop, with the characters it was set up with (names: as their windows are
    # titled); scale: device pixels per logical pixel, QT_SCALE_FACTOR.

    def __init__(self, desktop, program, names, files, settings="", scale=1):
        self.desktop, self.program, self.names, self.scale = desktop, program, names, scale
        desktop.install_characters(files)
        ids = [os.path.splitext(os.path.basename(f))[0] for f in files]
        config = os.path.join(desktop.env["XDG_CONFIG_HOME"], "HoraliaIIV")
        os.makedirs(config, exist_ok=True)
        with open(os.path.join(config, "settings.ini"), "w") as f:
            f.write(f"[Data]\nLastCharacter={ids[0]}\nLastCharacter2={ids[1]}\nUserName=Sam\n{settings}")
        self.log = open(os.path.join(desktop.work, "horalia.log"), "w+")
        self.watcher = desktop.watch("horalia")
        self.since = self.watcher.now
        program_env = dict(desktop.env, QT_SCALE_FACTOR=str(scale)) if scale != 1 else None
        self.process = desktop._spawn([program], env=program_env, stdout=self.log, stderr=subprocess.STDOUT)

    def output(self):
        self.log.flush()
        self.log.seek(0)
        return self.log.read()

    def character(self, n):
        return self.desktop.window(self.names[n])

    def characters(self):
        return [self.character(0), self.character(1)]

    def balloon(self, n):
        return self.desktop.window(self.names[n] + ": word balloon")

    def balloon_seen(self, n, since):
        return self.watcher.seen(self.names[n] + ": word balloon", since)

    def clock_window(self):
        # The clock's window has no title; of the program's top-level windows it is the one that is neither a
        # character nor a balloon, nor Qt's 1x1 helper.
        return next((w for w in self.desktop.windows() if '"horalia"' in w.wm_class and w.name == "horalia"
                     and w.width > 10 and self.desktop.viewable(w)), None)

    def home(self, n, clock, character):
        # Where character n (0 or 1) stands beside the clock window when there is room, in the screen's (device)
        # pixels; the program reckons in logical pixels, scale times fewer.
        tpp, s = TWIPS_PER_PIXEL, self.scale
        left, top = clock.x / s * tpp, clock.y / s * tpp
        width, height = clock.width / s * tpp, clock.height / s * tpp
        x = (left + width + 800) / tpp if n == 0 else (left - 800) / tpp
        y = (top + height - 900) / tpp
        return round(x - character.width / s / 2) * s, round(y - character.height / s / 2) * s


def reference_length(build, text):
    # How long the engine's voice takes for text at its usual speed, in seconds.
    with tempfile.NamedTemporaryFile(suffix=".wav") as f:
        run(os.path.join(build, "bin/agentsay"), "--wav", f.name, text)
        with wave.open(f.name) as w:
            return w.getnframes() / w.getframerate()


def spoken_time(t):
    # What the clock says at the time t (a datetime.time).
    hour = t.hour - 12 if t.hour > 12 else t.hour
    if t.minute == 0 and hour == 0:
        return "the time is mindnight"
    if t.minute == 0:
        return f"The time is {hour} O clock "
    if t.minute == 30:
        return f"The time is half past {hour}"
    if 2 <= t.minute <= 29:
        return f"The time is {t.minute} minutes past {hour}"
    if t.minute == 1:
        return f"The time is 1 minute past {hour}"
    return f"the time is {hour},{t.minute}"


def the_date():
    return f"The date is {datetime.date.today():%A %B %d, %Y}."


def plain(label):
    # A menu label without its access key's mark.
    return label.replace("&", "").replace("_", "")


def greeting():
    hour = datetime.datetime.now().hour
    return ("good morning, " if hour < 12 else "good afternoon, " if hour < 17 else "good evening, ") + "Sam"


class Checks(Observer):
    def __init__(self, clock, build, shots):
        super().__init__(clock.desktop, shots, clock.since)
        self.clock, self.build, self.names = clock, build, clock.names
        self.audio = clock.desktop.audio

    def sounds_like(self, length, text, what, low=0.4, high=2.5):
        # Checks that `length` seconds of sound are about as long as the voice takes for text.
        ref = reference_length(self.build, text)
        self.say(f"{what}: {length:.2f} s of sound for {text!r}, the voice takes {ref:.2f} s")
        self.check(low * ref <= length <= high * ref + 0.3, f"{what} is not of its length")

    def menu_at(self, x, y):
        # Right-clicks at x, y and returns the pop-up menu that opens.
        known = {w.wid for w in self.desktop.windows()}
        self.desktop.pointer(x, y, click=3)
        return self.popup(known)

    def date_from_menu(self, n, picture=None):
        # Chooses "What is the date" from character n's menu once all is quiet; returns when the menu was opened.
        self.quiet()
        seen = self.clock.since()
        menu = self.menu_at(*self.opaque_point(n))
        self.say(f"{self.names[n]}'s menu {menu}: What is the date")
        if picture:
            self.shot(picture)
        # The heading cannot be chosen; the date is the fourth command.
        self.desktop.key("Down", "Down", "Down", "Down", "Return")
        return seen

    def close_dialog(self, dialog, what):
        self.desktop.close_request(dialog)
        poll(what, lambda: not self.desktop.exists(dialog), 10)

    # -- the checks

    def characters_appear(self):
        for n in (0, 1):
            # Both within 15 s of the start.
            w = poll(f"character window {self.names[n]!r} viewable", lambda: self.clock.character(n),
                     max(0.0, 15 - self.clock.since()))
            self.say(f"{self.names[n]} viewable at {w}")
        self.passed += 1

    def greeting_heard(self):
        # The first character greets, then the second gives the start-up message once the first has done.
        end = None
        for n, text, what, timeout in ((0, greeting(), "the greeting", 10),
                                       (1, "Welcome to Horalia Deluxe", "the start-up message", 20)):
            t, b = poll(f"{what}'s balloon", lambda: self.clock.balloon_seen(n, 0), timeout)
            self.say(f"{self.names[n]}'s balloon at {t:.1f} s: {b}")
            start, length, rms = self.audio.next_sentence(0 if end is None else end + 0.1, 15 + 5 * n)
            self.say(f"{what} at {start:.2f} s, rms {rms:.0f}")
            self.sounds_like(length, text, what)
            self.balloon_beside_its_character(n, t)
            if end is not None:
                self.check(start - end > 3, "the second character spoke without waiting for the first")
            end = start + length

    def at_home(self):
        # Both characters stand at their homes beside the clock, to the pixel; a home above the work area's top
        # may be moved down into it by the window manager, and the character then stands there.
        area = self.desktop.work_area() if self.desktop.wm else None
        top = area[1] if area else None
        moved = {}

        def both_home():
            clock, chars = self.clock.clock_window(), self.clock.characters()
            if not clock or not all(chars):
                return None
            for n, c in enumerate(chars):
                x, y = self.clock.home(n, clock, c)
                kept_in = top is not None and y < top and top - 1 <= c.y <= top + 2
                if abs(c.x - x) > 1 or (abs(c.y - y) > 1 and not kept_in):
                    return None
                if abs(c.y - y) > 1:
                    moved[n] = (y, c.y)
            return clock, chars

        clock, chars = poll("both characters at home beside the clock", both_home, 30)
        self.say(f"clock window {clock}; at home: {chars[0]} and {chars[1]}")
        for n, (asked, given) in moved.items():
            self.say(f"{self.names[n]}'s home is at y {asked}; the window manager keeps it at y {given}, "
                     f"the work area's top")
        self.passed += 1

    def drawn(self):
        for n, c in enumerate(self.clock.characters()):
            pixels = [p for p in self.grab_of(c) if p is not None]
            drawn = [p for p in pixels if p != Desktop.DESKTOP_RGB and p != (0, 0, 0)]
            colours = len(set(drawn))
            share = len(drawn) / max(1, len(pixels))
            self.say(f"{self.names[n]}: {share:.0%} of its {c.width}x{c.height} pixels drawn, {colours} colours")
            self.check(share >= 0.08 and colours >= 4, f"{self.names[n]} is not drawn")
        self.shot("desktop-home")

    def opaque_point(self, n):
        return self.opaque_point_of(self.clock.character(n))

    def quiet(self):
        # Waits until neither character speaks, so that what follows is the answer to what the test does.
        poll("both characters silent", lambda: not self.clock.balloon(0) and not self.clock.balloon(1)
             and self.audio.now() - max([s + l for s, l, _ in self.audio.bursts()] or [0]) > 0.8, 30, 0.2)

    def answer(self, n, what, timeout=10):
        # The answer that follows an action: character n's balloon and a sentence of sound.
        since, seen = self.audio.now(), self.clock.since()
        t, b = poll(f"{self.names[n]}'s balloon after {what}", lambda: self.clock.balloon_seen(n, seen), timeout)
        start, length, rms = self.audio.next_sentence(since, timeout + 10)
        self.say(f"after {what}: {self.names[n]}'s balloon after {t - seen:.1f} s: {b}; "
                 f"{length:.2f} s of sound, rms {rms:.0f}")
        return length

    def drag_brings_a_comment(self, dx=60, dy=40):
        self.quiet()
        x, y = self.opaque_point(0)
        before = self.clock.character(0)
        self.desktop.drag(x, y, dx, dy)
        self.say(f"dragged {self.names[0]} from {x},{y} by {dx},{dy}")
        length = self.answer(1, f"dragging {self.names[0]}")
        self.sounds_like(length, f"Hey, what are you doing with {self.names[0].lower()}", "the comment")
        after = self.clock.character(0)
        self.say(f"{self.names[0]} left at {after}")
        self.check((after.x - before.x, after.y - before.y) == (dx, dy), "the character is not where it was put")

    def popup(self, known):
        first = poll("a pop-up menu", lambda: next((w for w in self.desktop.windows() if w.wid not in known and
                                                    self.desktop.viewable(w) and "word balloon" not in w.name),
                                                   None), 5)
        last = [None]

        def settled():
            # a menu is mapped before it has its size and place on some servers (XWayland): the same geometry
            # twice in a row
            now = next((w for w in self.desktop.windows() if w.wid == first.wid), None)
            same = now and last[0] and (now.x, now.y, now.width, now.height) == last[0]
            last[0] = now and (now.x, now.y, now.width, now.height)
            return now if same else None

        return poll("the pop-up menu in its place", settled, 5, interval=0.15)

    def menu_speaks_the_date(self):
        self.date_from_menu(0, "desktop-character-menu")
        self.sounds_like(self.answer(0, "\"What is the date\""), the_date(), "the date", 0.5, 2.0)

    def listening_tip(self):
        return next(filter(None, (self.desktop.window(name + ": listening tip") for name in self.names)), None)

    def listening_key_hears_the_date(self):
        # Scroll Lock held while "what is the date" is played into the microphone: the tip shows while the key is
        # down, and the character talked to (the one that spoke last: the date's, or the minute's announcer when an
        # announcement came between) says the date.
        self.quiet()
        self.check(self.listening_tip() is None, "a listening tip before the key was pressed")
        wav = os.path.join(self.desktop.work, "what-is-the-date.wav")
        run(os.path.join(self.build, "bin", "agentsay"), "--wav", wav, "what is the date")
        what = "\"what is the date\" said while Scroll Lock was held"
        # A person may have to say it twice; so may the test, but it says so.
        for attempt in (1, 2):
            wait_in_minute(5, 35, 65)
            self.quiet()
            # the answer may begin before the key is up: the recognizer may end the utterance at the silence
            since, seen = self.audio.now(), self.clock.since()
            self.desktop.xdotool("keydown", "Scroll_Lock")
            try:
                w = poll("the listening tip while Scroll Lock is held", self.listening_tip, 5)
                n = self.names.index(w.name.split(":")[0])
                self.say(f"Scroll Lock held ({attempt}): {w}")
                self.shot("desktop-listening-tip")
                time.sleep(1.0)  # the microphone opens
                run("paplay", "--device=horalia_mic_sink", wav, env=self.desktop.env)
                time.sleep(0.5)
            finally:
                self.desktop.xdotool("keyup", "Scroll_Lock")
            try:
                t, b = poll(f"{self.names[n]}'s balloon after {what}", lambda: self.clock.balloon_seen(n, seen), 10)
                break
            except CheckFailed:
                if attempt == 2:
                    raise
                self.say("not understood the first time; once more")
                poll("the listening tip gone", lambda: self.listening_tip() is None, 10)
        start, length, rms = self.audio.next_sentence(since, 20)
        self.say(f"after {what}: {self.names[n]}'s balloon after {t - seen:.1f} s: {b}; rms {rms:.0f}")
        # the second character leaves dates to the first
        answer = the_date() if n == 0 else f"I dont know, why dont you ask {self.names[0].lower()}"
        self.sounds_like(length, answer, "the answer", 0.5, 2.0)
        poll("the listening tip gone", lambda: self.listening_tip() is None, 10)

    def menu_listens(self):
        # The character's menu ends with Listen and Hide: Listen shows the listening tip.
        self.quiet()
        menu = self.menu_at(*self.opaque_point(1))
        self.say(f"{self.names[1]}'s menu {menu}")
        self.desktop.key("Up", "Up", "Return")
        tip = self.names[1] + ": listening tip"
        w = poll("the listening tip after the menu's Listen", lambda: self.desktop.window(tip), 5)
        c = self.clock.character(1)
        self.say(f"Listen chosen: {w}")

        def beside():
            # a window manager may show a new window at its corner for a moment before it puts it in place
            w = self.desktop.window(tip)
            return w if w and touches(w, c, slack=8) else None

        w = poll("the listening tip beside its character", beside, 3)
        self.say(f"the tip at {w}, beside {c}")
        self.shot("desktop-menu-listen")
        # nothing is said: the listener gives up, and the tip says so before it goes
        poll("the listening tip gone", lambda: self.listening_tip() is None, 20)

    def tray_icon(self):
        for w in self.desktop.windows(tree=True):
            if w.name == "horalia" and w.width <= 32 and w.y < 30 and w.x > 0:
                return w
        raise CheckFailed("no tray icon in the tray host")

    def tray_speaks_the_time(self):
        self.quiet()
        icon = self.tray_icon()
        self.say(f"tray icon {icon}")
        self.time_spoken_after("the tray click", lambda: self.desktop.pointer(*centre(icon), click=1))

    def time_spoken_after(self, what, action):
        # Either character speaks a sentence as long as the time's after the action.
        since, seen = self.audio.now(), self.clock.since()
        action()
        t, b = poll(f"a balloon after {what}",
                    lambda: self.clock.balloon_seen(0, seen) or self.clock.balloon_seen(1, seen), 10)
        start, length, rms = self.audio.next_sentence(since, 20)
        self.say(f"after {what}: balloon after {t - seen:.1f} s: {b}; {length:.2f} s of sound, rms {rms:.0f}")
        self.check(length > 0.8, "the time was not spoken")

    def status_notifier_item(self):
        host = self.desktop.tray_host
        self.say(f"registered with the StatusNotifierWatcher: {host.ask('item', 15)}")
        tip = host.ask("tooltip")
        self.say(f"its tip: {tip!r}")
        self.check(tip == "Click me for options. Horalia Deluxe 3.6.1", "the item's tip is not the clock's")
        menu = host.ask("menu").split("|")
        self.say(f"its exported menu: {menu}")
        # dbusmenu marks the access key with "_" where Qt has "&"
        self.check([plain(label) for label in menu] == ["Hide the clock", "-", "Show the clock", "-", "Main Options",
                                                        "-", "About Horalia", "-", "Exit"],
                   "the exported menu is not the tray's")
        self.exported_menu = menu

    def status_notifier_activation_speaks_the_time(self):
        self.quiet()
        self.time_spoken_after("Activate", lambda: self.desktop.tray_host.ask("activate"))

    def status_notifier_menu_opens_main_options(self):
        self.quiet()
        label = next(label for label in self.exported_menu if plain(label) == "Main Options")
        self.desktop.tray_host.ask(f"click {label}")
        dialog = poll("the settings dialog", lambda: self.desktop.window("General Settings"), 10)
        self.say(f"the exported menu's Main Options opened {dialog}")
        self.answer(0, "Main Options from the exported menu")
        self.shot("desktop-statusnotifier-settings")
        self.close_dialog(dialog, "the settings dialog closed")

    def open_main_options(self, what):
        # Main Options from the tray's menu (its access key m); returns the dialog once it has been announced.
        menu = self.menu_at(*centre(self.tray_icon()))
        self.say(f"tray menu {menu}")
        self.desktop.key("m")
        dialog = poll("the settings dialog", lambda: self.desktop.window("General Settings"), 10)
        self.say(f"settings dialog {dialog}")
        self.answer(0, what)
        return dialog

    def alarm_boxes(self, dialog):
        # The first page's hour and minute boxes, where the dialog lays them out.
        return self.desktop.grab(dialog.x + 100, dialog.y + 44, 150, 26)

    def settings_dialog_closes_and_opens_afresh(self):
        self.quiet()
        dialog = self.open_main_options("opening Main Options")
        self.shot("desktop-settings")
        stored = self.alarm_boxes(dialog)
        self.desktop.pointer(dialog.x + 136, dialog.y + 57, click=1)
        self.desktop.xdotool("type", "12")
        changed = sum(a != b for a, b in zip(stored, self.alarm_boxes(dialog)))
        self.say(f"typed 12 into the alarm's hour box without SET: {changed} pixels of the boxes changed")
        self.check(changed > 40, "typing did not show in the hour box")
        self.quiet()
        self.close_dialog(dialog, "the settings dialog unloaded by its close box")
        self.say("closed with WM_DELETE_WINDOW: its window is gone")
        dialog = self.open_main_options("opening Main Options again")
        left = sum(a != b for a, b in zip(stored, self.alarm_boxes(dialog)))
        self.say(f"opened again: {left} pixels of the boxes differ from the stored setting's")
        self.check(left < 30, "the text typed without SET outlived the dialog")
        self.close_dialog(dialog, "the settings dialog closed again")

    def balloon_beside_its_character(self, n, since):
        # Character n's balloon, seen at `since`, touches the character's window where that window really is (a
        # window manager may have moved it), and covers at most its top or bottom edge.
        name = self.names[n]

        def together(after):
            # The first sighting at or after `after` of the balloon and its character: (t, balloon, character).
            for t, shown in self.clock.watcher.looks():
                balloon = next((w for w in shown if w.name == name + ": word balloon"), None)
                character = next((w for w in shown if w.name == name), None)
                if t >= after and balloon and character:
                    return t, balloon, character
            return None

        deadline = time.monotonic() + 5
        # A second after it opened: where the window manager's moves have landed.
        while not (both := together(since + 1.0)) and time.monotonic() <= deadline:
            time.sleep(0.2)
        # a short sentence: its first sighting then
        both = both or together(since)
        self.check(both is not None, f"{name}'s balloon was never seen together with {name}")
        t, balloon, character = both
        overlap = max(0, min(balloon.y + balloon.height, character.y + character.height) - max(balloon.y, character.y))
        self.say(f"at {t:.1f} s {name} at {character}, the balloon at {balloon}: they overlap by {overlap} rows")
        self.check(touches(balloon, character), f"{name}'s balloon is away from {name}")
        self.check(overlap <= character.height // 4, f"{name}'s balloon covers {name}")

    def homes_are(self, expected):
        # Both characters stand exactly at the expected places [(x, y), (x, y)] once they have walked home.
        def both():
            chars = self.clock.characters()
            return chars if all(chars) and [(c.x, c.y) for c in chars] == expected else None

        try:
            chars = poll(f"the characters at {expected}", both, 30)
        except CheckFailed:
            raise CheckFailed(f"the characters are at {self.clock.characters()}, not at {expected}") from None
        self.say(f"clock window {self.clock.clock_window()}; at home: {chars[0]} and {chars[1]}")
        self.passed += 1

    def came_out_at(self, homes):
        # Each character came into view at its home (and greeted there), not somewhere else first.
        for name, home in zip(self.names, homes):
            t, first = poll(f"{name} in the watcher's record", lambda: self.clock.watcher.seen(name), 5)
            self.say(f"{name} first seen at {t:.1f} s at {first.x},{first.y}")
            self.check((first.x, first.y) == home, f"{name} came into view away from its home")

    def clear_of_the_clock(self, monitor):
        # No pixel of a character (its window's shape) is over the clock window now, and no balloon seen so far was
        # over it; every character and balloon seen is wholly on the clock's monitor (x, y, width, height).
        clock = self.clock.clock_window()
        self.check(clock is not None, "no clock window")
        mx, my, mw, mh = monitor
        shapes = []
        for c in self.clock.characters():
            shape = window_shape(self.desktop.env, c)
            shape = shape if shape is not None else {(x, y) for x in range(c.width) for y in range(c.height)}
            shapes.append({(c.x + x, c.y + y) for x, y in shape})
        # The time: the dark pixels of the clock that no character covers, as wide again on the other side of
        # the label's centre (the time is centred in it), so that a digit under a character still counts.
        ink = [(clock.x + i % clock.width, clock.y + i // clock.width) for i, p in enumerate(self.grab_of(clock))
               if p is not None and sum(p) < 200]
        ink = [p for p in ink if p not in shapes[0] and p not in shapes[1]]
        self.check(ink, "no time to be seen on the clock")
        middle = clock.x + 1665 / TWIPS_PER_PIXEL / 2 * self.clock.scale
        reach = max(abs(x + 0.5 - middle) for x, _ in ink)
        box = (middle - reach, min(y for _, y in ink), middle + reach, max(y for _, y in ink))
        for n in (0, 1):
            over = sum(1 for x, y in shapes[n] if box[0] <= x + 0.5 <= box[2] and box[1] <= y <= box[3])
            beside = sum(1 for x, y in shapes[n] if clock.x <= x < clock.x + clock.width
                         and clock.y <= y < clock.y + clock.height)
            self.say(f"{self.names[n]} at {self.clock.character(n)}: {over} of its {len(shapes[n])} pixels "
                     f"over the time (x {box[0]:.1f}..{box[2]:.1f}, y {box[1]}..{box[3]}), {beside} over the "
                     f"clock {clock}")
            self.check(over == 0, f"{self.names[n]} covers the clock's time")
        seen = {(w.name, w.x, w.y, w.width, w.height, round(t)) for t, shown in self.clock.watcher.looks()
                for w in shown if w.name.endswith(": word balloon") or w.name in self.names}
        for name, x, y, width, height, t in sorted(seen, key=lambda s: s[-1]):
            inside = mx <= x and x + width <= mx + mw and my <= y and y + height <= my + mh
            over = (x < clock.x + clock.width and clock.x < x + width and y < clock.y + clock.height
                    and clock.y < y + height)
            if not inside or (over and name.endswith("balloon")):
                raise CheckFailed(f"at {t} s {name!r} {width}x{height}+{x}+{y} is "
                                  + ("over the clock" if inside else f"not wholly on the monitor {monitor}"))
        self.say(f"{len(seen)} places of characters and balloons seen, all on the monitor {monitor}, no balloon "
                 f"over the clock")
        self.passed += 1

    def speaks_at_home(self, n, home, picture="desktop-speaking"):
        # Character n answers "What is the date" from its menu where it stands, home, with its balloon beside it
        # and the balloon's tip (the narrow end of its shape) towards it.
        seen = self.date_from_menu(n)
        t, balloon = poll(f"{self.names[n]}'s balloon", lambda: self.clock.balloon_seen(n, seen), 10)
        shape = window_shape(self.desktop.env, balloon)
        c = self.clock.character(n)
        self.say(f"{self.names[n]} at {c} speaks, its balloon at {balloon}")
        self.check((c.x, c.y) == home, f"{self.names[n]} speaks from {c.x},{c.y}, not from its home {home}")
        self.check(shape is not None, "the balloon has no shape")
        above = balloon.y + balloon.height / 2 < c.y + c.height / 2
        rows = sorted({y for _, y in shape})
        end = rows[-1] if above else rows[0]  # the row nearest the character
        tip = sorted(x for x, y in shape if y == end)
        tip_x = balloon.x + (tip[0] + tip[-1]) / 2
        self.say(f"the balloon is {'above' if above else 'below'} it; its tip's end spans {tip[0]}..{tip[-1]} "
                 f"of its {balloon.width} pixels, at x {tip_x}")
        self.check(len(tip) <= balloon.width // 8, "the balloon's end towards the character is not its tip")
        self.check(c.x <= tip_x < c.x + c.width, "the balloon's tip does not point at the character")
        self.shot(picture)
        self.balloon_beside_its_character(n, t)
        time.sleep(1.0)  # where it stands while the balloon is open
        places = {(w.x, w.y) for s, shown in self.clock.watcher.looks() if s >= t for w in shown
                  if w.name == self.names[n]}
        self.say(f"{self.names[n]}'s places while speaking: {sorted(places)}")
        self.check(places == {home}, f"{self.names[n]} moved while speaking")

    def other_window(self, what, title, geometry, *options, patient=False):
        # Another program's window (an xmessage, white), clicked into at its empty lower right corner, away from
        # its button, until it is active: a window manager that is still showing the window may let the first
        # click go, and a user clicks again (patient: after a pause, with the pointer there first). Returns
        # (process, window).
        process = self.desktop._spawn(["xmessage", "-geometry", geometry, "-title", title, "-bg", "white", "-fg",
                                       "black", *options, title.lower()],
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        other = poll(what, lambda: self.desktop.window(title), 10)
        corner = (other.x + other.width - 6, other.y + other.height - 6)
        for attempt in range(3):
            if patient:
                time.sleep(0.5)
                self.desktop.pointer(*corner)
                time.sleep(0.2)
            self.desktop.pointer(*corner, click=1)
            try:
                poll(f"{what} active", lambda: self.desktop.active(other), 2)
                break
            except CheckFailed:
                if attempt == 2:
                    raise
        return process, other

    def other_application_active(self):
        # Another program's window over both characters, and clicked, as a user goes back to other work: the
        # characters stay viewable and above it, drawn over it.
        self.quiet()
        chars = self.clock.characters()
        left, top = max(0, min(c.x for c in chars) - 30), max(0, min(c.y for c in chars) - 30)
        right = min(self.desktop.width, max(c.x + c.width for c in chars) + 30)
        bottom = min(self.desktop.height, max(c.y + c.height for c in chars) + 30)
        process, other = self.other_window("the other program's window", "Other work",
                                           f"{right - left}x{bottom - top}+{left}+{top}", patient=True)
        try:
            self.say(f"the other program's window {other} is active")
            self.shot(f"desktop-{self.desktop.wm or 'bare'}-other-active")
            time.sleep(1.5)  # KWin hid the characters at once; anything else would have had its time
            stacking = self.desktop.stacking()
            for n in (0, 1):
                c = self.clock.character(n)
                self.check(c is not None, f"{self.names[n]} is not viewable while another program is active")
                above = stacking.index(c.wid) > stacking.index(other.wid) if c.wid in stacking else False
                x, y = self.opaque_point(n)
                pixel = self.desktop.grab(x, y, 1, 1)[0]
                self.say(f"{self.names[n]} viewable at {c}, {'above' if above else 'below'} it; "
                         f"its pixel at {x},{y} is {pixel}")
                self.check(above, f"{self.names[n]} is below the other program's window")
                self.check(pixel != (255, 255, 255), f"{self.names[n]} is not drawn over the other program")
        finally:
            process.terminate()
            process.wait(5)
        poll("the other program's window gone", lambda: self.desktop.window("Other work") is None, 10)

    def only_the_current_frame(self):
        # After the animations so far, a grab of each character's window holds its current frame and no other:
        # every pixel outside the frame's shape is what lies behind the window, and the shape is drawn.
        self.quiet()
        clock = self.clock.clock_window()
        for n in (0, 1):
            # A frame that holds still: the same shape before and after, and two grabs 0.3 s apart that agree
            # (a compositor shows a new frame a little after the X server has it).
            for attempt in range(40):
                c = self.clock.character(n)
                before = window_shape(self.desktop.env, c)
                pixels = self.grab_of(c)
                time.sleep(0.3)
                again = self.grab_of(c)
                after = window_shape(self.desktop.env, c)
                now = self.clock.character(n)
                if before and before == after and pixels == again and now and (now.x, now.y) == (c.x, c.y):
                    break
                time.sleep(0.1)  # between two frames of an idle animation
            else:
                raise CheckFailed(f"{self.names[n]}'s frame never held still for a grab")
            blank, behind, strays = 0, 0, []
            for i, p in enumerate(pixels):
                x, y = i % c.width, i // c.width
                sx, sy = c.x + x, c.y + y
                # the clock and the shadow a compositor may give it
                under_clock = clock and (clock.x - 40 <= sx < clock.x + clock.width + 40
                                         and clock.y - 40 <= sy < clock.y + clock.height + 40)
                if p is None:
                    behind += 1
                elif (x, y) in before:
                    blank += p == Desktop.DESKTOP_RGB
                elif under_clock or sy < 30:
                    behind += 1  # the clock, the panel or off the screen: not the desktop's colour
                elif not desktop_or_shadow(p):
                    strays.append((sx, sy, p))
            self.say(f"{self.names[n]}: {len(before)} pixels in the frame's shape, {blank} of them not drawn; "
                     f"{len(strays)} stray pixels outside it ({behind} by the clock or over the panel, or off the "
                     f"screen)")
            if strays:
                xs, ys = [p[0] for p in strays], [p[1] for p in strays]
                self.say(f"stray pixels from {min(xs)},{min(ys)} to {max(xs)},{max(ys)}, colours "
                         f"{sorted(set(p[2] for p in strays))[:8]}")
            self.check(not strays, f"pixels of an earlier frame of {self.names[n]} are on the screen")
            self.check(blank <= len(before) // 50, f"{self.names[n]}'s frame is not drawn in its shape")

    def second_start_shows_a_hidden_clock(self):
        # The clock hidden from its own menu comes back when the program is started again (the way back on a
        # desktop with no tray), and the second copy ends at once without a word.
        self.quiet()
        clock = self.clock.clock_window()
        menu = self.menu_at(*centre(clock))
        known = {w.wid for w in self.desktop.windows()}
        # Clock options, the third entry, opens a submenu whose last (third) item is Hide the clock
        self.desktop.key("Down", "Down", "Down", "Right")
        submenu = self.popup(known)
        self.say(f"clock menu {menu}, its Clock options {submenu}")
        hide = (submenu.x + submenu.width // 2, submenu.y + submenu.height * 5 // 6)
        self.desktop.pointer(*hide)
        time.sleep(0.2)
        self.desktop.pointer(*hide, click=1)
        poll("the clock hidden from its menu", lambda: self.clock.clock_window() is None, 5)
        started = time.monotonic()
        second = subprocess.run([self.clock.program], env=self.desktop.env, capture_output=True, text=True,
                                timeout=20)
        took = time.monotonic() - started
        said = (second.stdout + second.stderr).strip()
        back = poll("the clock shown again", self.clock.clock_window, 5)
        self.say(f"hidden; a second start ended with status {second.returncode} after {took:.2f} s, saying "
                 f"{said!r}; the clock is back at {back}")
        self.check(second.returncode == 0 and not said, "the second start did not end quietly")
        self.check((back.x, back.y) == (clock.x, clock.y), "the clock did not come back where it was")

    def balloon_spell(self, since):
        # The first time after `since` that either character's balloon was seen, and how long it stayed, as the
        # watcher's looks tell it: (n, first, last, before, after): the first and last look that saw it, and the
        # looks just before and after, which did not. It was mapped for at least last - first and at most
        # after - before. None when no balloon opened, or it is still open.
        names = [name + ": word balloon" for name in self.names]
        history = self.clock.watcher.looks()
        before, first, n = None, None, None
        for i, (t, shown) in enumerate(history):
            if t < since:
                continue
            open_now = [k for k in (0, 1) if any(w.name == names[k] for w in shown)]
            if first is None:
                if open_now:
                    first, n = i, open_now[0]
                    before = history[i - 1][0] if i > 0 else t
                continue
            if n not in open_now:
                return n, history[first][0], history[i - 1][0], before, t
        return None

    def balloon_stays_to_be_read(self):
        # Without a sound server the tray's click still has the time said, silently: its balloon stays as long as
        # a person needs to read it, not as long as the voice would have taken.
        wait_in_minute(5, 45, 65)

        def calm():
            # no balloon seen for two seconds
            now = self.clock.since()
            return not self.clock.balloon_seen(0, now - 2) and not self.clock.balloon_seen(1, now - 2) and now > 2

        poll("no balloon for two seconds", calm, 40, 0.2)
        icon = self.tray_icon()
        seen = self.clock.since()
        clicked = datetime.datetime.now().time()
        self.desktop.pointer(*centre(icon), click=1)
        text = spoken_time(clicked)
        n, first, last, before, after = poll("the time's balloon opened and closed",
                                             lambda: self.balloon_spell(seen), 20, 0.2)
        need = READING_START + READING_PER_WORD * len(text.split())
        voice = reference_length(self.build, text)
        self.say(f"tray clicked at {clicked:%H:%M:%S}: {self.names[n]}'s balloon for {text!r} mapped "
                 f"{first - seen:.2f} s later, for {last - first:.2f} to {after - before:.2f} s; reading it takes "
                 f"{need:.2f} s, the voice {voice:.2f} s")
        self.shot("desktop-silent-after")
        self.check(after - before >= need, "the balloon closed before it could be read")
        self.check(last - first <= max(need, voice) + 1.5, "the balloon stayed long after it was read")

    def full_screen_window(self):
        # Another program's window, made full screen as a film player makes its own: an xmessage the user clicks
        # into, then the _NET_WM_STATE_FULLSCREEN state asked of the window manager. Returns (process, window).
        process, other = self.other_window("the film's window", "A film", "300x200+250+150", "-xrm", "*input: true")
        wid = int(other.wid, 16)
        with XConnection(self.desktop.env) as x:
            # add, from an application; to the root with SubstructureNotify and SubstructureRedirect
            x.send(wid, "_NET_WM_STATE", [1, x.atom("_NET_WM_STATE_FULLSCREEN"), 0, 1], x.root, (1 << 19) | (1 << 20))

        def full_screen():
            w = self.desktop.window("A film")
            with XConnection(self.desktop.env) as x:
                full = x.atom("_NET_WM_STATE_FULLSCREEN") in (x.property(wid, "_NET_WM_STATE") or [])
            return w if (w and full and self.desktop.active(other) and (w.x, w.y, w.width, w.height) ==
                         (0, 0, self.desktop.width, self.desktop.height)) else None

        return process, poll("the film's window full screen and active", full_screen, 10)

    def full_screen_keeps_the_characters_out_of_sight(self):
        # The minute's announcement while another program's window is full screen: it is heard, no balloon is
        # mapped, and nothing of the characters is drawn over that window. Once the window has gone, the next
        # minute's announcement shows again.
        self.quiet()
        points = [self.opaque_point(n) for n in (0, 1)]
        process, film = self.full_screen_window()
        self.say(f"the film's window {film} is full screen and active")
        try:
            since, seen = self.audio.now(), self.clock.since()
            start, length, rms = self.audio.next_sentence(since, 75)
            heard_at = self.clock.since()
            self.say(f"an announcement heard {start - since:.1f} s after the film went full screen: {length:.2f} s "
                     f"of sound, rms {rms:.0f}")
            self.check(length > 0.8, "the time was not spoken")
            self.shot(f"desktop-{self.desktop.wm}-full-screen")
            balloons = [self.clock.balloon_seen(n, seen) for n in (0, 1)]
            self.say(f"balloons mapped meanwhile: {[b for b in balloons if b]}")
            self.check(not any(balloons), "a balloon was mapped over the full-screen window")
            stacking = self.desktop.stacking()
            # the film's own colour, far from the characters
            film_colour = self.desktop.grab(self.desktop.width - 3, self.desktop.height - 3, 1, 1)[0]
            for n, (x, y) in enumerate(points):
                c = self.clock.character(n)
                above = c is not None and c.wid in stacking and stacking.index(c.wid) > stacking.index(film.wid)
                pixel = self.desktop.grab(x, y, 1, 1)[0]
                self.say(f"{self.names[n]}: {'viewable at ' + repr(c) if c else 'not viewable'}, "
                         f"{'above' if above else 'not above'} the film; the screen at {x},{y} is {pixel}")
                self.check(not above, f"{self.names[n]} is over the full-screen window")
                self.check(pixel == film_colour, f"{self.names[n]} is drawn over the full-screen window "
                           f"(whose own colour is {film_colour})")
            self.say(f"looked until {heard_at:.1f} s")
        finally:
            process.terminate()
            process.wait(5)
        poll("the film's window gone", lambda: self.desktop.window("A film") is None, 10)
        for n in (0, 1):
            c = poll(f"{self.names[n]} back on the screen", lambda: self.clock.character(n), 5)
            self.say(f"with the film gone {self.names[n]} is viewable again at {c}")
        self.shot(f"desktop-{self.desktop.wm}-after-full-screen")
        since, seen = self.audio.now(), self.clock.since()
        start, length, rms = self.audio.next_sentence(since, 75)
        n, first, last, before, after = poll("the next announcement's balloon", lambda: self.balloon_spell(seen),
                                             10, 0.2)
        self.say(f"with the film gone: {length:.2f} s of sound, rms {rms:.0f}; {self.names[n]}'s balloon "
                 f"mapped for {last - first:.2f} to {after - before:.2f} s")
        self.check(length > 0.8, "the next announcement was not spoken")

    def exit_from_the_clock_menu(self):
        # An announcement at the turn of the minute opens a balloon, which closes a menu just opened.
        if wait_in_minute(10, 55, 70):
            self.quiet()
        menu = self.menu_at(*centre(self.clock.clock_window()))
        self.say(f"clock menu {menu}")
        self.shot("desktop-clock-menu")
        self.desktop.key("Up", "Return")  # Exit is the last item
        status = poll("the program's end", lambda: self.clock.process.poll() is not None and [
            self.clock.process.returncode], 15)[0]
        self.say(f"the program ended with status {status}")
        self.check(status == 0, f"exit status {status}")
        left = [w for w in self.desktop.windows(tree=True) if '"horalia"' in w.wm_class]
        self.check(not left, f"windows left behind: {left}")
        self.say("no window of the program is left")


def screens(args, held, program, files, names):
    # A case of SCREENS: the clock started once or more on that desktop, each time checked where the characters
    # stand and that nothing of them is over the clock; returns the number of checks passed.
    desktop_args, runs = SCREENS[args.case]
    desktop = held["desktop"] = Desktop(wm=CASES[args.case], top_panel=True, **desktop_args)
    print(f"display {desktop.env['DISPLAY']}, window manager {desktop.wm_name}, work area {desktop.work_area()}, "
          f"monitors {desktop.monitors}")
    passed = 0
    for i, (settings, homes, scale) in enumerate(runs):
        clock = held["clock"] = Clock(desktop, program, names, files, settings, scale)
        checks = Checks(clock, args.build, args.shots)
        checks.characters_appear()
        window = poll("the clock window", clock.clock_window, 10)
        print(f"settings {settings.strip()!r}: the clock at {window}")
        x, y = (int(v.split("=")[1]) // TWIPS_PER_PIXEL * scale for v in settings.split())
        checks.check((window.x, window.y) == (x, y), f"the clock is not at {x},{y} where it was left")
        checks.homes_are(homes)
        checks.came_out_at(homes)
        # the start-up message, and then quiet
        poll("the start-up message's balloon", lambda: clock.balloon_seen(1, 0), 20)
        monitor = next(m for m in desktop.monitors if m[0] <= window.x < m[0] + m[2])
        checks.quiet()
        checks.clear_of_the_clock(monitor)
        if args.case == "kwin_scale2":
            checks.speaks_at_home(0, homes[0], "screens-scale2")
            checks.clear_of_the_clock(monitor)
        else:
            checks.shot(f"screens-{args.case.split('_')[1]}-{i + 1}")
        checks.exit_from_the_clock_menu()
        clock.watcher.running = False
        passed += checks.passed
    return passed


def one_clock(args, held, program, files, names):
    # The other cases: one clock on one desktop, through the steps of its case.
    case, wm = args.case, CASES[args.case]
    if case == "installed":
        prefix = held["prefix"] = tempfile.mkdtemp(prefix="horalia-prefix-")
        run("cmake", "--install", args.build, "--prefix", prefix)
        program = os.path.join(prefix, "bin/horalia")
        files = [os.path.join(prefix, "lib/horalia", name) for name in ("max.acs", "plany.acs")]
        print(f"installed into {prefix}; running {program}")
    host = os.path.join(args.build, "bin/sni_watcher") if case == "statusnotifier" else None
    desktop = held["desktop"] = Desktop(status_notifier_host=host, wm=wm, top_panel=wm is not None,
                                        sound=not case.endswith("_silent"))
    print(f"display {desktop.env['DISPLAY']}, home {desktop.home}"
          + (f", window manager {desktop.wm_name}, work area {desktop.work_area()}" if wm else ""))
    # Under a window manager the clock stands just below the top panel, so that the characters' homes lie under
    # the panel and partly above the screen, where window managers keep windows from going.
    settings = "FormY=600\n" if wm else ""
    if case.endswith("_fullscreen"):
        settings += "Announce=1\n"  # the time every minute
    clock = held["clock"] = Clock(desktop, program, names, files, settings)
    checks = Checks(clock, args.build, args.shots)
    steps = [checks.characters_appear, checks.greeting_heard, checks.at_home, checks.drawn]
    if case.endswith("_fullscreen"):
        # an announcement each minute: the greeting may meet one
        steps = [checks.characters_appear, checks.full_screen_keeps_the_characters_out_of_sight]
    elif case.endswith("_silent"):
        steps = [checks.characters_appear, checks.balloon_stays_to_be_read]
    elif case == "built":
        steps += [checks.drag_brings_a_comment, checks.menu_speaks_the_date, checks.listening_key_hears_the_date,
                  checks.tray_speaks_the_time, checks.settings_dialog_closes_and_opens_afresh, checks.menu_listens,
                  checks.only_the_current_frame, checks.second_start_shows_a_hidden_clock]
    elif wm:
        # the drag ends clear of the panel, where a window manager lets a window be
        steps += [lambda: checks.clear_of_the_clock((0, 0, desktop.width, desktop.height)),
                  checks.other_application_active, checks.menu_speaks_the_date,
                  lambda: checks.drag_brings_a_comment(60, 120), checks.menu_listens,
                  checks.only_the_current_frame, checks.second_start_shows_a_hidden_clock]
    elif case == "genuine":
        steps += [checks.drag_brings_a_comment]
    elif case == "statusnotifier":
        steps += [checks.status_notifier_item, checks.status_notifier_activation_speaks_the_time,
                  checks.status_notifier_menu_opens_main_options]
    for step in steps + [checks.exit_from_the_clock_menu]:
        step()
    return checks.passed


def unavailable(case, testdata):
    # Why the case cannot run here, or None. A StatusNotifierItem host stands in for trayer, which not every
    # release has.
    tools = ["Xvfb", "pulseaudio", "parec", "pactl", "xdotool", "xwininfo", "import"]
    tools += {"statusnotifier": [], "kwin_bus": ["trayer", "dbus-monitor", "dbus-send"]}.get(case, ["trayer"])
    tools += ["xrandr"] if case in SCREENS else []
    missing = [tool for tool in tools if not shutil.which(tool)]
    if missing:
        return f"{missing[0]} is not installed (scripts/deps installs it)"
    if CASES[case]:
        return window_managers.unavailable(CASES[case])
    if case == "statusnotifier" and not os.environ.get("DBUS_SESSION_BUS_ADDRESS"):
        return "no session bus; run this case inside dbus-run-session"
    data = os.path.join(testdata or "", "acs")
    if case == "genuine" and not all(os.path.isfile(os.path.join(data, f)) for f in ("Genie.acs", "Merlin.acs")):
        return f"Genie.acs and Merlin.acs are not in {data}"
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--case", required=True, choices=list(CASES))
    parser.add_argument("--testdata")
    parser.add_argument("--shots")
    args = parser.parse_args()
    args.build = os.path.abspath(args.build)
    reason = unavailable(args.case, args.testdata)
    if reason:
        print(f"SKIP: {reason}")
        return SKIP
    names, files = ["Max", "Plany"], [os.path.join(args.build, "bin", name) for name in ("max.acs", "plany.acs")]
    if args.case == "genuine":
        names = ["Genie", "Merlin"]
        files = [os.path.join(args.testdata or "", "acs", f"{name}.acs") for name in names]
    held = {}  # what the case started: the desktop, the clock, the installation's prefix
    try:
        if args.case == "kwin_bus":
            from bus_case import bus_case

            passed = bus_case(args.build, args.shots, held, files, Clock, Checks)
        else:
            passed = (screens if args.case in SCREENS else one_clock)(
                args, held, os.path.join(args.build, "bin/horalia"), files, names)
        print(f"desktop checks of the {args.case} case: all {passed} passed")
        return 0
    except CheckFailed as e:
        print(f"FAILED: {e}")
        try:  # the picture is a help, not a check
            path = os.path.join(tempfile.gettempdir(), f"horalia-desktop-{args.case}-failure.png")
            held["desktop"].screenshot(path)
            print(f"the screen at the failure: {path}")
            print("the program's output:\n" + held["clock"].output())
        except Exception:
            pass
        return 1
    finally:
        if "desktop" in held:
            held["desktop"].stop()
        if "prefix" in held:
            shutil.rmtree(held["prefix"], ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
