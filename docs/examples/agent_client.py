#!/usr/bin/env python3
"""A program of your own with a character of the desktop: loads one (max unless named), shows it, adds two
commands to its menu, says something, and prints each command chosen and each request that ends, until
Ctrl+C. Needs Debian's python3-gi. The interface is described in docs/bus-interface.md."""
import signal
import sys
import time

from gi.repository import Gio, GLib

NAME = "io.github.horalia_deluxe.Agent"
PATH = "/io/github/horalia_deluxe/Agent"
INTERFACE = "io.github.horalia_deluxe.Agent1"

# The character's menu lists our commands under our process's name: ours rather than "python3".
with open("/proc/self/comm", "w") as comm:
    comm.write("agent_client")

bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
engine = Gio.DBusProxy.new_sync(bus, Gio.DBusProxyFlags.DO_NOT_LOAD_PROPERTIES, None, NAME, PATH, INTERFACE,
                                None)
try:
    # The first call may start the engine and load a large file: give it a minute.
    path = engine.Load("(s)", sys.argv[1] if len(sys.argv) > 1 else "max", timeout=60000)
except GLib.Error as error:
    sys.exit(f"agent_client: {error.message}")  # the error's D-Bus name, then why
# The same connection holds the character, queues the requests and hears the commands.
character = Gio.DBusProxy.new_sync(bus, Gio.DBusProxyFlags.NONE, None, NAME, path, INTERFACE + ".Character", None)
ours = set()


def on_signal(proxy, sender, name, parameters):
    if name == "Command":
        command, source, confidence, heard = parameters.unpack()
        print(f"command {command} from the {source}, confidence {confidence:.2f}, heard {heard!r}")
        if command == "hello":
            ours.add(proxy.Speak("(s)", "Hello to you too!"))
        elif command == "time":
            ours.add(proxy.Speak("(s)", time.strftime("It is %H:%M.")))
    elif name == "RequestComplete":
        request, status = parameters.unpack()
        # Every program's requests to this character are reported; ours are the ids our calls returned.
        print(f"request {request} ({'ours' if request in ours else 'another program'}): {status}")


character.connect("g-signal", on_signal)
character.connect("g-properties-changed", lambda proxy, changed, gone: print("now", changed.unpack()))
print(f"{character.get_cached_property('Name').unpack()} at {path}")
character.AddCommand("(sss)", "hello", "Say hello", "hello")
character.AddCommand("(sss)", "time", "What time is it?", "what [is] the time")
ours.add(character.Show("(b)", False))
ours.add(character.Speak("(s)", "The backup is done. Right-click me for my commands."))

loop = GLib.MainLoop()
for number in (signal.SIGINT, signal.SIGTERM):
    GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, number, loop.quit)
loop.run()
# Leaving the bus would do this too: our commands and requests go, and the character when no one else holds it.
character.Unload()
