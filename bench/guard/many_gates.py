"""Stand-in gates for the benchmark, as one process forked N times: each child is the gate of
its own session (its pid tells logind's mock which), says hello, agrees and then waits."""

import ctypes
import os
import signal
import sys

import dbus

count, pids = int(sys.argv[1]), sys.argv[2]
for i in range(count):
    if os.fork() == 0:
        ctypes.CDLL(None).prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG: go with the parent
        session = f"b{i}"
        with open(os.path.join(pids, str(os.getpid())), "w") as f:
            f.write(session)
        bus = dbus.bus.BusConnection(dbus.bus.BUS_SYSTEM)
        guard = dbus.Interface(bus.get_object("org.porvane.Guard", "/org/porvane/Guard",
                                              introspect=False), "org.porvane.Guard1")
        guard.Hello()
        guard.Agreed()
        print(session, flush=True)
        signal.pause()
signal.pause()
