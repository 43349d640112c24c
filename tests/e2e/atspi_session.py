#!/usr/bin/env python3
"""The main window on a session where xdotool cannot drive it (weston's headless back end has
no input devices): checked and driven through AT-SPI alone, with atspi_tree.py's helpers.

Usage: atspi_session.py --pid PID --on-top {offered,unavailable} [--reason WORDS]
Checks the "置顶" box (offered: checked and enabled; unavailable: unchecked, disabled and
saying why, in words that hold WORDS, "Wayland" unless given), queries 字, and ends the
program by 退出's action. Exits with 1 on any fault.
"""

import argparse
import sys

import atspi_tree as t
from atspi_tree import pyatspi, GLib

# Words the disabled box's description must hold by default: the reason it is off.
UNAVAILABLE_REASON = "Wayland"


def run(args, app):
    w = t.Window(app, args.pid)
    if args.on_top == "offered":
        t.check_states(w.on_top, present=[pyatspi.STATE_CHECKED, pyatspi.STATE_ENABLED])
    else:
        t.note("置顶: unchecked, disabled, and saying why")
        t.check_states(w.on_top, absent=[pyatspi.STATE_CHECKED, pyatspi.STATE_ENABLED,
                                         pyatspi.STATE_SENSITIVE])
        t.check(args.reason in (w.on_top.description or ""),
                f"置顶 does not say why it is off: description {w.on_top.description!r}")
    t.note("type 字 through the input box's editable text, press 查询 by its action")
    used = w.query("字")
    w.expect_answer("字 jnd 十弓木", f"{used!r}", hard=True)
    if not t.FAULTS:
        t.note("退出 by its action")
        try:
            t.do_action(w.closer, t.PRESS)
        except GLib.Error:
            pass  # the program may leave before it answers; the caller sees it end


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--pid", type=int, required=True)
    parser.add_argument("--on-top", choices=["offered", "unavailable"], required=True)
    parser.add_argument("--reason", default=UNAVAILABLE_REASON)
    args = parser.parse_args()
    app = None
    try:
        app = t.find_application(args.pid)
        run(args, app)
    except (t.Failure, GLib.Error) as e:
        t.FAULTS.append(str(e))
        print(f"FAIL: {e}", file=sys.stderr)
    if not t.FAULTS:
        return 0
    print(f"{len(t.FAULTS)} fault(s):", file=sys.stderr)
    for f in t.FAULTS:
        print(f"  {f}", file=sys.stderr)
    if app is not None:
        print("the program's accessible tree now:", file=sys.stderr)
        t.print_tree(app)
    return 1


if __name__ == "__main__":
    sys.exit(main())
