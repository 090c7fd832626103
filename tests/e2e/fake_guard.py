"""A stand-in for porvane-guard on a private bus, for the gate's whole-program tests: it owns
org.porvane.Guard and answers the gate's Hello, Agreed and Ending as told on its command line,
writes one line per call to standard output ("Hello :1.7"), and sends what the test writes to
its standard input ("EndChanged 1", "EndNow") to the gate that said Hello, and to that gate
only, as the guard does. Run with the system's Python (dbus-python and GLib are Debian
packages):

    fake_guard.py GUARDED SECONDS_LEFT [MESSAGE]
"""

import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

NAME = "org.porvane.Guard"
PATH = "/org/porvane/Guard"
INTERFACE = "org.porvane.Guard1"


class FakeGuard(dbus.service.Object):
    def __init__(self, bus, guarded, seconds_left, message):
        super().__init__(bus, PATH)
        self.bus = bus
        self.guarded = guarded
        self.seconds_left = seconds_left
        self.message = message
        self.gate = None

    def _said(self, what, sender):
        print(f"{what} {sender}", flush=True)

    @dbus.service.method(INTERFACE, in_signature="", out_signature="bs", sender_keyword="sender")
    def Hello(self, sender=None):
        self.gate = sender
        self._said("Hello", sender)
        return dbus.Boolean(self.guarded), "c7"

    @dbus.service.method(INTERFACE, in_signature="", out_signature="xs", sender_keyword="sender")
    def Agreed(self, sender=None):
        self._said("Agreed", sender)
        return dbus.Int64(self.seconds_left), self.message

    @dbus.service.method(INTERFACE, in_signature="", out_signature="", sender_keyword="sender")
    def Ending(self, sender=None):
        self._said("Ending", sender)

    def send(self, line):
        words = line.split()
        if not words or self.gate is None:
            return
        signal = dbus.lowlevel.SignalMessage(PATH, INTERFACE, words[0])
        signal.set_destination(self.gate)
        if words[0] == "EndChanged":
            signal.append(dbus.Int64(int(words[1])))
        self.bus.send_message(signal)
        self._said("sent " + line.strip(), self.gate)


def main():
    guarded = sys.argv[1] == "true"
    seconds_left = int(sys.argv[2])
    message = sys.argv[3] if len(sys.argv) > 3 else ""
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SystemBus()
    guard = FakeGuard(bus, guarded, seconds_left, message)
    name = dbus.service.BusName(NAME, bus, do_not_queue=True)  # noqa: F841 (kept while we run)
    loop = GLib.MainLoop()

    def command(source, condition):
        line = sys.stdin.readline()
        if not line:
            loop.quit()
            return False
        guard.send(line)
        return True

    GLib.io_add_watch(sys.stdin, GLib.IO_IN | GLib.IO_HUP, command)
    print("ready", flush=True)
    loop.run()


if __name__ == "__main__":
    main()
