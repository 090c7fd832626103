"""A stand-in for the gate, as the guard sees one: a client of org.porvane.Guard on the system
bus (DBUS_SYSTEM_BUS_ADDRESS). It reads commands from standard input (hello, agreed, ending,
call METHOD) and writes one line per answer or signal to standard output, as JSON."""

import json
import sys

import dbus
import dbus.mainloop.glib
from gi.repository import GLib

dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
bus = dbus.bus.BusConnection(dbus.bus.BUS_SYSTEM)
guard = bus.get_object("org.porvane.Guard", "/org/porvane/Guard", introspect=False)
iface = dbus.Interface(guard, "org.porvane.Guard1")
loop = GLib.MainLoop()


def say(**what):
    print(json.dumps(what), flush=True)


def on_signal(*args, **kwargs):
    say(signal=kwargs["member"], args=[int(a) for a in args])


bus.add_signal_receiver(on_signal, dbus_interface="org.porvane.Guard1",
                        path="/org/porvane/Guard", member_keyword="member")


def command(source, _condition):
    line = source.readline()
    if not line:
        loop.quit()
        return False
    words = line.split()
    method = {"hello": "Hello", "agreed": "Agreed", "ending": "Ending"}.get(words[0], words[-1])
    try:
        answer = getattr(iface, method)()
        say(method=method, answer=[a if isinstance(a, str) else int(a) for a in (
            answer if isinstance(answer, tuple) else ([] if answer is None else [answer]))])
    except dbus.DBusException as e:
        say(method=method, error=e.get_dbus_name())
    return True


say(name=bus.get_unique_name())
GLib.io_add_watch(sys.stdin, GLib.IO_IN | GLib.IO_HUP, command)
loop.run()
