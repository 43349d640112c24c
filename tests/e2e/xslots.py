#!/usr/bin/env python3
"""Takes every client place of the X server on $DISPLAY but one, and watches for a program's
window with a place of its own.

Usage: xslots.py
Prints "ready N" once N places are taken and exactly one is left, then reads a process id
from standard input and prints "shown WINDOW" once a mapped top-level window of that
process is there, or "ended" when the process is gone first, or "none" after 30 s. The
places are given back when it exits.
"""

import os
import sys
import time

from Xlib import X, display, error

DEADLINE_S = 30
POLL_S = 0.1


def take_all_places():
    taken = []
    while True:
        try:
            taken.append(display.Display())
        except error.DisplayConnectionError:
            return taken


def window_of(watcher, pid):
    wm_pid = watcher.intern_atom("_NET_WM_PID")
    for window in watcher.screen().root.query_tree().children:
        try:
            if window.get_attributes().map_state != X.IsViewable:
                continue
            prop = window.get_full_property(wm_pid, X.AnyPropertyType)
        except error.XError:
            continue  # gone meanwhile
        if prop is not None and list(prop.value) == [pid]:
            return window.id
    return None


def alive(pid):
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    # A child that has ended but not been waited for is no longer running.
    with open(f"/proc/{pid}/stat") as stat:
        return stat.read().rsplit(")", 1)[1].split()[0] != "Z"


def main():
    taken = take_all_places()
    if len(taken) < 2:
        print(f"FAIL: only {len(taken)} client places could be taken", file=sys.stderr)
        return 1
    taken.pop().close()
    watcher = taken[0]
    # The server deals with the closed connection before it answers a later request, and
    # takes new connections only after that.
    watcher.sync()
    print(f"ready {len(taken)}", flush=True)
    pid = int(sys.stdin.readline())
    end = time.monotonic() + DEADLINE_S
    while time.monotonic() < end:
        window = window_of(watcher, pid)
        if window is not None:
            print(f"shown {window:#x}", flush=True)
            return 0
        if not alive(pid):
            print("ended", flush=True)
            return 0
        time.sleep(POLL_S)
    print("none", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
