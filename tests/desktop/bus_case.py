# The kwin_bus case: the character engine serving other programs on the desktop's session bus, under KWin.
#
# Without the clock, `horalia-agent say` has the bus start the engine, which shows Max speaking; a missing
# character file ends the command with 1 and the reader's reason while the engine goes on. Two programs listen to
# Max: a click on him is told on the bus, and a command chosen from his menu reaches the program that added it
# alone. Once the clock starts it takes the engine's name over, and `horalia-agent say` makes the clock's own Max
# speak, with no second Max.

import os
import subprocess
import time

from desktop_session import Desktop, Observer, poll

BUS_NAME = "io.github.horalia_deluxe.Agent"


def text(f):
    f.flush()
    f.seek(0)
    return f.read()


class BusChecks(Observer):
    def __init__(self, desktop, build, shots):
        self.watcher = desktop.watch("horalia")
        super().__init__(desktop, shots, self.watcher.now)
        self.agent = os.path.join(build, "bin/horalia-agent")

    def run_agent(self, *args):
        return subprocess.run([self.agent, *args], env=self.desktop.env, capture_output=True, text=True, timeout=60)

    def start_agent(self, name, *args):
        # horalia-agent in the background: (process, its output, its errors)
        out, err = (open(os.path.join(self.desktop.work, f"{name}.{ext}"), "w+") for ext in ("out", "err"))
        return self.desktop._spawn([self.agent, *args], stdout=out, stderr=err), out, err

    def name_owner_pid(self):
        # The process that owns the engine's name on the bus, or None.
        result = subprocess.run(
            ["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
             "org.freedesktop.DBus.GetConnectionUnixProcessID", f"string:{BUS_NAME}"],
            env=self.desktop.env, capture_output=True, text=True, timeout=10)
        words = result.stdout.split()
        return int(words[-1]) if result.returncode == 0 and words else None

    def maxes(self):
        return [w for w in self.desktop.windows() if w.name == "Max" and self.desktop.viewable(w)]

    # -- the checks

    def activated_engine_speaks(self):
        self.check(self.name_owner_pid() is None, "something owns the engine's name before the test")
        since, heard_since = self.watcher.now(), self.desktop.audio.now()
        done = self.run_agent("say", "--character", "max", "The backup is done")
        self.say(f"horalia-agent say: exit {done.returncode} {done.stderr.strip()!r}")
        self.check(done.returncode == 0, "horalia-agent say did not end with 0")
        shown = self.watcher.seen("Max", since)
        balloon = self.watcher.seen("Max: word balloon", since)
        self.say(f"Max seen {shown}, his balloon {balloon}")
        self.check(shown and balloon, "the started engine did not show Max with his balloon")
        bursts = self.desktop.audio.bursts(heard_since)
        self.say(f"sound: {bursts[:3]}")
        self.check(bursts, "Max was not heard")
        self.check(self.name_owner_pid() is not None, "the started engine left the bus with its last program")

    def missing_file_fails(self):
        missing = self.run_agent("say", "--character", "nobody", "Hello")
        self.say(f"a missing character: exit {missing.returncode} {missing.stderr.strip()!r}")
        self.check(missing.returncode == 1 and "cannot load" in missing.stderr,
                   "a missing character file did not end with 1 and the reader's reason")

    def clicks_and_commands_reach_their_programs(self):
        monitor_out = open(os.path.join(self.desktop.work, "monitor.out"), "w+")
        self.desktop._spawn(["dbus-monitor", "--session",
                             "type='signal',interface='io.github.horalia_deluxe.Agent1.Character',member='Click'"],
                            stdout=monitor_out, stderr=subprocess.DEVNULL)
        poll("dbus-monitor", lambda: "NameAcquired" in text(monitor_out), 10)
        listeners = []
        for name, command in (("first", "backup=back up"), ("second", "tidy=tidy up")):
            listeners.append(self.start_agent(name, "listen", "--character", "max", "--command", command))
            poll(f"the {name} program listening", lambda: "listening" in text(listeners[-1][2]), 30)
        (first, first_out, _), (second, second_out, _) = listeners
        max_window = poll("Max viewable", lambda: (self.maxes() or [None])[0], 15)
        time.sleep(1.5)  # his Show animation over
        x, y = self.opaque_point_of(self.maxes()[0])
        self.desktop.pointer(x, y, click=1)
        poll("the Click signal", lambda: "member=Click" in text(monitor_out), 10)
        self.say(f"clicked Max at {x},{y} ({max_window}): Click on the bus")
        self.passed += 1

        known = {w.wid for w in self.desktop.windows()}
        self.desktop.pointer(x, y, click=3)
        menu = poll("Max's menu", lambda: next((w for w in self.desktop.windows() if w.wid not in known
                                                and self.desktop.viewable(w)), None), 5)
        time.sleep(0.5)
        self.say(f"Max's menu {menu}")
        self.shot("desktop-bus-menu")
        # The programs' heading cannot be chosen: the first command is the first program's.
        self.desktop.key("Down", "Return")
        heard = poll("the first program's command", lambda: text(first_out).strip(), 10)
        self.say(f"the first program printed {heard!r}")
        self.check(heard.split("\t")[:2] == ["backup", "menu"], "the command chosen is not the first program's")
        time.sleep(1)
        self.check(text(second_out) == "", "the second program heard another's command")
        for process in (first, second):
            process.terminate()
            process.wait(5)
        poll("Max gone with his programs", lambda: not self.maxes(), 15)
        self.passed += 1

    def clock_takes_over(self, clock, checks):
        checks.characters_appear()
        poll("the start-up message", lambda: clock.balloon_seen(1, 0), 30)
        checks.quiet()
        owner = poll("the clock owning the engine's name", lambda: self.name_owner_pid() == clock.process.pid, 15)
        self.say(f"the clock owns {BUS_NAME}: {owner}")
        say, _, err = self.start_agent("say", "say", "--character", "max", "Hello from a script")
        balloon = poll("the clock's Max speaking", lambda: clock.balloon(0), 20)
        self.say(f"the clock's Max speaks: {balloon}; Max windows {self.maxes()}")
        self.check(len(self.maxes()) == 1, "Max twice")
        self.shot("desktop-bus-clock")
        code = say.wait(60)
        self.say(f"horalia-agent say with the clock: exit {code} {text(err).strip()!r}")
        self.check(code == 0, "horalia-agent say did not end with 0")
        self.check(clock.character(0) is not None, "the clock's Max went with the program")


def bus_case(build, shots, held, files, clock_class, checks_class):
    # held: what the case started, for main to end (and show at a failure); returns the number of checks passed.
    os.environ["XDG_DATA_DIRS"] = os.path.join(build, "share") + ":" + os.environ.get(
        "XDG_DATA_DIRS", "/usr/local/share:/usr/share")
    desktop = held["desktop"] = Desktop(wm="kwin", top_panel=True)
    print(f"display {desktop.env['DISPLAY']}, home {desktop.home}, window manager {desktop.wm_name}")
    # The engine the bus starts reaches the sound server and the characters as the clock does.
    desktop.bus_environment("PULSE_SERVER", "XDG_DATA_DIRS")
    desktop.install_characters(files)
    checks = BusChecks(desktop, build, shots)
    checks.activated_engine_speaks()
    checks.missing_file_fails()
    checks.clicks_and_commands_reach_their_programs()
    clock = held["clock"] = clock_class(desktop, os.path.join(build, "bin/horalia"), ["Max", "Plany"], files,
                                        "FormY=600\n")
    clock_checks = checks_class(clock, build, shots)
    checks.clock_takes_over(clock, clock_checks)
    clock_checks.exit_from_the_clock_menu()
    return checks.passed + clock_checks.passed
