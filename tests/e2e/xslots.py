#!/usr/bin/env python3
"""Takes every client place of the X server on $DISPLAY but one. Prints "ready N", then reads
a process id and prints "shown" once that process has a mapped top-level window, "ended"
when it is gone first, or "none" after 30 s."""

import sys
import time

from Xlib import X, display, error

taken = []
while True:
    try:
        taken.append(display.Display())
    except error.DisplayConnectionError:
        break
taken.pop().close()
watcher = taken[0]
watcher.sync()  # the server has dealt with the closed place before it answers
print(f"ready {len(taken)}", flush=True)
pid = int(sys.stdin.readline())
wm_pid = watcher.intern_atom("_NET_WM_PID")


def shown():
    for w in watcher.screen().root.query_tree().children:
        try:
            p = w.get_full_property(wm_pid, X.AnyPropertyType)
            if p and list(p.value) == [pid] and w.get_attributes().map_state == X.IsViewable:
                return True
        except error.XError:
            pass  # gone meanwhile
    return False


def ended():
    try:  # the caller has not waited for it yet: an ended process is a zombie
        with open(f"/proc/{pid}/stat") as stat:
            return stat.read().rsplit(")", 1)[1].split()[0] == "Z"
    except FileNotFoundError:
        return True


end = time.monotonic() + 30
while time.monotonic() < end:
    if shown():
        print("shown", flush=True)
        sys.exit(0)
    if ended():
        print("ended", flush=True)
        sys.exit(0)
    time.sleep(0.1)
print("none", flush=True)
