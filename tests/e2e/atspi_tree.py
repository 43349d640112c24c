#!/usr/bin/env python3
"""The main window as a screen reader meets it: found on the accessibility bus, read
through AT-SPI, and driven through the accessible interfaces alone (editable text,
actions, text) -- no keyboard, no mouse.

Usage: atspi_tree.py --pid PID --tables DIR [--window XID] [--quit]
Prints one "-- " line per step and one "FAULT: " line per fault; with any fault it ends
with their list and the whole accessible tree (names, roles, states, actions, text), and
exits with 1. Faults that leave nothing to act on stop the run at once.
"""

import argparse
import subprocess
import sys
import time

try:
    import gi

    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi, GLib
    import pyatspi
except (ImportError, ValueError) as e:
    print(f"FAIL: AT-SPI from Python is not available ({e}); "
          "install python3-pyatspi (scripts/setup.sh lists it)", file=sys.stderr)
    sys.exit(1)

# How long the program gets to appear on the bus, and to react to an action.
APPEAR_S = 10.0
REACT_S = 5.0
POLL_S = 0.05

WINDOW_NAME = "Zarvik2.2"


class Failure(Exception):
    pass


def note(text):
    print(f"-- {text}", flush=True)


def poll(what, probe, detail=None, hard=True, timeout=REACT_S):
    """Calls probe until it returns something true; a screen reader's answer may lag the
    action that caused it by a round of the program's event loop. On time-out `what` (and
    `detail()`, the state of things then) is a Failure, or with hard=False a fault."""
    deadline = time.monotonic() + timeout
    while True:
        # Listeners only hear events while the loop turns.
        while GLib.MainContext.default().iteration(False):
            pass
        result = probe()
        if result:
            return result
        if time.monotonic() >= deadline:
            message = f"{what} (waited {timeout:g} s)" + (f": {detail()}" if detail else "")
            if hard:
                raise Failure(message)
            check(False, message)
            return result
        time.sleep(POLL_S)


# --- Reading nodes ---------------------------------------------------------------------


def role_of(node):
    return node.getRoleName()


def states_of(node):
    return sorted(pyatspi.stateToString(s) for s in node.getState().getStates())


def has_state(node, state):
    return node.getState().contains(state)


def actions_of(node):
    try:
        a = node.queryAction()
    except NotImplementedError:
        return []
    return [a.getName(i) for i in range(a.nActions)]


def text_of(node):
    """The node's Text interface contents, None without one."""
    try:
        t = node.queryText()
    except NotImplementedError:
        return None
    return t.getText(0, -1)


def readable_text(node):
    """What a screen reader reads of static text: its Text contents, else its name."""
    t = text_of(node)
    return t if t else node.name


def children(node):
    return [c for c in node if c is not None]


def walk(node):
    yield node
    for c in children(node):
        yield from walk(c)


def describe(node):
    role = role_of(node)
    local = node.getLocalizedRoleName()
    if local and local != role:
        role += f" ({local})"
    parts = [f"{node.name!r}", role, "[" + ", ".join(states_of(node)) + "]"]
    acts = actions_of(node)
    if acts:
        parts.append("actions=" + "/".join(acts))
    t = text_of(node)
    if t:
        parts.append(f"text={t!r}")
    return " ".join(parts)


def print_tree(node, out=sys.stderr, depth=0):
    try:
        line = describe(node)
    except GLib.Error as e:  # a node that went away while we read
        line = f"<unreadable: {e}>"
    print("  " * depth + line, file=out)
    try:
        kids = children(node)
    except GLib.Error:
        kids = []
    for c in kids:
        print_tree(c, out, depth + 1)


def find_all(root, role, name=None):
    return [n for n in walk(root) if (role is None or n.getRole() == role)
            and (name is None or n.name == name)]


def find_one(root, role, name):
    found = find_all(root, role, name)
    if len(found) != 1:
        what = f"{Atspi.role_get_name(role)}s" if role is not None else "nodes"
        raise Failure(f"{len(found)} {what} named {name!r}, expected 1")
    return found[0]


# --- Acting --------------------------------------------------------------------------------


def do_action(node, wanted):
    """Performs the first of the action names in `wanted` (lower case) that the node has."""
    names = actions_of(node)
    for i, n in enumerate(names):
        if n.lower() in wanted:
            if not node.queryAction().doAction(i):
                raise Failure(f"{node.name!r} ({role_of(node)}): action {n!r} reported failure")
            return n
    raise Failure(f"{node.name!r} ({role_of(node)}) has no action among {sorted(wanted)}; "
                  f"it has {names}")


PRESS = {"press", "click", "activate"}
TOGGLE = {"toggle", "press", "click"}
SELECT = {"select", "press", "click", "switch"}


# --- Events --------------------------------------------------------------------------------


class EventLog:
    """The state changes the program announces, as a screen reader hears them."""

    def __init__(self, kinds):
        self.events = []
        self.kinds = kinds
        for k in kinds:
            pyatspi.Registry.registerEventListener(self._heard, k)

    def _heard(self, event):
        try:
            self.events.append((event.type, event.source.name, role_of(event.source),
                                event.detail1))
        except GLib.Error:
            pass

    def clear(self):
        self.events.clear()

    def heard(self, type_, name, role, detail1):
        return any(t == type_ and n == name and r == role and d == detail1
                   for t, n, r, d in self.events)

    def close(self):
        for k in self.kinds:
            pyatspi.Registry.deregisterEventListener(self._heard, k)


# --- The scenario --------------------------------------------------------------------------


def find_application(pid):
    def probe():
        desktop = pyatspi.Registry.getDesktop(0)
        for app in children(desktop):
            try:
                if app.get_process_id() == pid and any(
                        c.getRole() == pyatspi.ROLE_FRAME for c in children(app)):
                    return app
            except GLib.Error:
                continue  # an application that left the bus while we looked
        return None

    return poll(f"no application with pid {pid} and a window on the accessibility bus",
                probe, timeout=APPEAR_S)


def table_line(tables, file_name, char):
    with open(f"{tables}/{file_name}", encoding="gbk") as f:
        for line in f:
            if line.split(" ", 1)[0] == char:
                return line.rstrip("\r\n")
    raise Failure(f"{char} is not in {file_name}")


def is_above(xid):
    out = subprocess.run(["xprop", "-id", xid, "_NET_WM_STATE"], capture_output=True,
                         text=True, check=True).stdout
    return "_NET_WM_STATE_ABOVE" in out


# Faults that do not stop the rest of the scenario from telling more; a missing node or a
# dead action does (Failure).
FAULTS = []


def expect(cond, message):
    if not cond:
        raise Failure(message)


def check(cond, message):
    if not cond:
        print(f"FAULT: {message}", file=sys.stderr, flush=True)
        FAULTS.append(message)
    return cond


def check_states(node, present=(), absent=()):
    for s in present:
        check(has_state(node, s),
              f"{node.name!r} ({role_of(node)}) lacks state {pyatspi.stateToString(s)}; "
              f"it has {states_of(node)}")
    for s in absent:
        check(not has_state(node, s),
              f"{node.name!r} ({role_of(node)}) has state {pyatspi.stateToString(s)}; "
              f"it has {states_of(node)}")


class Window:
    """The nodes of the main window a screen-reader user works with."""

    def __init__(self, app, pid):
        frames = [c for c in children(app) if c.getRole() == pyatspi.ROLE_FRAME]
        windows = [f for f in frames if f.name == WINDOW_NAME]
        expect(len(windows) == 1, f"application {app.name!r} (pid {pid}): no single window "
               f"named {WINDOW_NAME!r} among {[f.name for f in frames]}")
        win = self.win = windows[0]

        tab_lists = find_all(win, pyatspi.ROLE_PAGE_TAB_LIST)
        expect(len(tab_lists) == 1, f"{len(tab_lists)} page tab lists, expected 1")
        tabs = [c for c in children(tab_lists[0]) if c.getRole() == pyatspi.ROLE_PAGE_TAB]
        check([t.name for t in tabs] == ["查询", "关于"],
              f"the page tab list's page tabs are {[describe(t) for t in tabs]}, "
              "expected just 查询 and 关于")
        # The tabs a user can pick: with doubles, the selectable one of each name.
        picks = {t.name: t for t in reversed(tabs) if has_state(t, pyatspi.STATE_SELECTABLE)}
        expect("查询" in picks and "关于" in picks, "no selectable page tabs 查询 and 关于")
        self.query_tab, self.about_tab = picks["查询"], picks["关于"]

        self.cj5 = find_one(win, pyatspi.ROLE_RADIO_BUTTON, "仓五")
        self.cj3 = find_one(win, pyatspi.ROLE_RADIO_BUTTON, "仓三")
        self.on_top = find_one(win, pyatspi.ROLE_CHECK_BOX, "置顶")
        self.button = find_one(win, pyatspi.ROLE_PUSH_BUTTON, "查询")
        self.closer = find_one(win, None, "退出")

        # The two boxes are the native edits: the input takes text, the result is read-only.
        edits = [n for n in walk(win) if "EditableText" in n.get_interfaces()]
        inputs = [n for n in edits if not has_state(n, pyatspi.STATE_READ_ONLY)]
        results = [n for n in edits if has_state(n, pyatspi.STATE_READ_ONLY)]
        expect(len(inputs) == 1 and len(results) == 1,
               f"{len(inputs)} writable and {len(results)} read-only text boxes, expected 1 each")
        self.input_box, self.result_box = inputs[0], results[0]

    def query(self, char):
        """Types `char` through the editable text and presses 查询 by its action."""
        expect(self.input_box.queryEditableText().setTextContents(char),
               "the input box refused setTextContents")
        poll(f"the input box does not read {char!r}", lambda: text_of(self.input_box) == char,
             lambda: f"it reads {text_of(self.input_box)!r}")
        return do_action(self.button, PRESS)

    def expect_answer(self, want, after, hard=False):
        poll(f"the result box does not read {want!r} after {after}",
             lambda: text_of(self.result_box) == want,
             lambda: f"it reads {text_of(self.result_box)!r}", hard=hard)


def check_start(w):
    check_states(w.query_tab, present=[pyatspi.STATE_SELECTED])
    check_states(w.about_tab, absent=[pyatspi.STATE_SELECTED])
    check_states(w.cj5, present=[pyatspi.STATE_CHECKED, pyatspi.STATE_FOCUSABLE])
    check_states(w.cj3, present=[pyatspi.STATE_FOCUSABLE], absent=[pyatspi.STATE_CHECKED])
    # Qt 6.4's bridge sends a grouping as a plain panel, its own group box included.
    check(len(find_all(w.win, pyatspi.ROLE_PANEL, "字典选择")) == 1,
          "no panel (grouping) named 字典选择 around the table choice: "
          f"{[describe(n) for n in find_all(w.win, None, '字典选择')]}")
    check_states(w.on_top, present=[pyatspi.STATE_CHECKED, pyatspi.STATE_FOCUSABLE])
    check_states(w.button, present=[pyatspi.STATE_FOCUSABLE, pyatspi.STATE_ENABLED],
                 absent=[pyatspi.STATE_PRESSED])
    # A label that acts when clicked must say so, or it is read as plain text.
    check(w.closer.getRole() in (pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_LINK)
          and actions_of(w.closer), f"退出 is not a button or link with an action: "
          f"{describe(w.closer)}")
    links = find_all(w.win, pyatspi.ROLE_LINK, "来自Zarvik主页")
    if check(len(links) == 1, "no link named 来自Zarvik主页 (the maker link)"):
        check(actions_of(links[0]), f"the maker link has no action: {describe(links[0])}")
    # A nameless edit is read as just "text": each box needs a name of its own.
    check((w.input_box.name, w.result_box.name) == ("输入", "仓颉码"),
          f"the boxes are named {w.input_box.name!r} and {w.result_box.name!r}, "
          "not '输入' and '仓颉码'")
    check_states(w.input_box, present=[pyatspi.STATE_EDITABLE])
    # The window manager activates the window a moment after it maps.
    poll("the input box does not have the focus at start",
         lambda: has_state(w.input_box, pyatspi.STATE_FOCUSED), lambda: describe(w.input_box),
         hard=False)
    check(text_of(w.result_box) == "", f"the result box starts with {text_of(w.result_box)!r}")


def check_geometry(w):
    """A screen reader shows, and its mouse review finds, a control by its extents: each
    must hold the point where the xdotool tests click it (mainwindow.sh)."""
    note("the extents hold the controls' places in the window")

    # Qt 6.4 adds the window's position to the size in window coordinates: screen ones
    # minus the window's screen position are exact.
    def window_rect(node):
        r = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return (r.x - origin.x, r.y - origin.y, r.width, r.height)

    origin = w.win.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    places = [("the 查询 tab", w.query_tab, (22, 36)), ("the 关于 tab", w.about_tab, (63, 36)),
              ("the input box", w.input_box, (57, 73)), ("仓三", w.cj3, (119, 132)),
              ("the result box", w.result_box, (96, 186)), ("置顶", w.on_top, (27, 216)),
              ("退出", w.closer, (178, 12))]
    for what, node, (px, py) in places:
        x, y, width, height = window_rect(node)
        check(x <= px < x + width and y <= py < y + height,
              f"{what} spans ({x}, {y}) {width}x{height} in the window, not its place "
              f"({px}, {py})")


def check_query(w, events):
    note("type 字 through the input box's editable text, press 查询 by its action")
    events.clear()
    used = w.query("字")
    w.expect_answer("字 jnd 十弓木", f"{used!r}", hard=True)
    check_states(w.button, absent=[pyatspi.STATE_PRESSED])
    poll("the listener heard no text-changed:insert from the result box",
         lambda: events.heard("object:text-changed:insert", w.result_box.name, "text", 0),
         lambda: f"heard {events.events}", hard=False)


def check_table_switch(w, events, tables):
    note("select 仓三 by its action: the checks move, the answer stays until the next query")
    answer = text_of(w.result_box)
    events.clear()
    do_action(w.cj3, SELECT)
    poll("仓三 is not checked after its action",
         lambda: has_state(w.cj3, pyatspi.STATE_CHECKED), lambda: describe(w.cj3))
    check_states(w.cj5, absent=[pyatspi.STATE_CHECKED])
    poll("the listener heard no checked-state events for 仓三 (on) and 仓五 (off)",
         lambda: events.heard("object:state-changed:checked", "仓三", "radio button", 1)
         and events.heard("object:state-changed:checked", "仓五", "radio button", 0),
         lambda: f"heard {events.events}", hard=False)
    # The table switch has no handler of its own: the shown answer is the last query's.
    check(text_of(w.result_box) == answer,
          f"the result box changed from {answer!r} to {text_of(w.result_box)!r} "
          "on the table switch")

    char = "顶"  # coded differently by the two tables
    cj3_line = table_line(tables, "cj3.m", char)
    cj5_line = table_line(tables, "cj5.m", char)
    expect(cj3_line != cj5_line, f"{char} has the same line in both tables")
    note(f"query {char} under 仓三, then under 仓五, through the same interfaces")
    w.query(char)
    w.expect_answer(cj3_line, "查询 under 仓三")
    do_action(w.cj5, SELECT)
    poll("仓五 is not checked, or 仓三 still is, after 仓五's action",
         lambda: has_state(w.cj5, pyatspi.STATE_CHECKED)
         and not has_state(w.cj3, pyatspi.STATE_CHECKED),
         lambda: f"{describe(w.cj5)}; {describe(w.cj3)}")
    do_action(w.button, PRESS)
    w.expect_answer(cj5_line, "查询 under 仓五")


def check_stay_on_top(w, xid):
    note("toggle 置顶 twice by its action: the state and the window's stacking follow")
    check(is_above(xid), "the window is not on top at start")
    for on in (False, True):
        do_action(w.on_top, TOGGLE)
        poll(f"置顶 is {'not ' if on else ''}checked after its action",
             lambda: has_state(w.on_top, pyatspi.STATE_CHECKED) == on,
             lambda: describe(w.on_top), hard=False)
        poll(f"the window is {'not ' if on else 'still '}on top after 置顶's action",
             lambda: is_above(xid) == on, hard=False)


def check_pages(w, events):
    note("select the 关于 tab by its action: the About note becomes readable")
    notes = [n for n in walk(w.win) if "这是简繁仓颉字典2.2" in (readable_text(n) or "")]
    expect(len(notes) == 1, f"{len(notes)} nodes hold the About note, expected 1")
    about_note = notes[0]
    check(about_note.getRole() in (pyatspi.ROLE_STATIC, pyatspi.ROLE_LABEL),
          f"the About note is a {role_of(about_note)}, expected static text or label")
    check_states(about_note, absent=[pyatspi.STATE_SHOWING])
    events.clear()
    do_action(w.about_tab, SELECT)
    poll("关于 is not selected after its action",
         lambda: has_state(w.about_tab, pyatspi.STATE_SELECTED), lambda: describe(w.about_tab))
    poll("the listener heard no selected-state event for 关于",
         lambda: events.heard("object:state-changed:selected", "关于", "page tab", 1),
         lambda: f"heard {events.events}", hard=False)
    check_states(w.query_tab, absent=[pyatspi.STATE_SELECTED])
    poll("the About note is not showing",
         lambda: has_state(about_note, pyatspi.STATE_SHOWING), lambda: describe(about_note),
         hard=False)
    check("注意：老版本的GCC 3无" in readable_text(about_note),
          f"the About note reads {readable_text(about_note)!r}")
    check_states(w.result_box, absent=[pyatspi.STATE_SHOWING])

    note("back to 查询 by its action")
    do_action(w.query_tab, SELECT)
    poll("查询 is not selected, or 关于 still is, after 查询's action",
         lambda: has_state(w.query_tab, pyatspi.STATE_SELECTED)
         and not has_state(w.about_tab, pyatspi.STATE_SELECTED),
         lambda: f"{describe(w.query_tab)}; {describe(w.about_tab)}")
    poll("the result box is not showing again",
         lambda: has_state(w.result_box, pyatspi.STATE_SHOWING), lambda: describe(w.result_box),
         hard=False)


def run(args, app):
    # Listening from the start: the program hears of the listeners before we act.
    events = EventLog(["object:state-changed:checked", "object:state-changed:selected",
                       "object:text-changed:insert"])
    try:
        note("the tree: page tabs, table choice, stay-on-top box, query button, both boxes")
        w = Window(app, args.pid)
        check_start(w)
        check_geometry(w)
        check_query(w, events)
        check_table_switch(w, events, args.tables)
        if args.window:
            check_stay_on_top(w, args.window)
        check_pages(w, events)
    finally:
        events.close()
    # With faults, the tree is still wanted: the program stays for it.
    if args.quit and not FAULTS:
        note("退出 by its action")
        try:
            do_action(w.closer, PRESS)
        except GLib.Error:
            pass  # the program may leave before it answers; the caller sees it end


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--pid", type=int, required=True)
    parser.add_argument("--tables", required=True)
    parser.add_argument("--window", help="X window id, to see 置顶 reach the window manager")
    parser.add_argument("--quit", action="store_true", help="end with 退出's action")
    args = parser.parse_args()

    try:
        app = find_application(args.pid)
    except Failure as e:
        print(f"FAIL: {e}", file=sys.stderr)
        print("applications on the bus:", file=sys.stderr)
        for a in children(pyatspi.Registry.getDesktop(0)):
            print(f"  {a.name!r} pid {a.get_process_id()}", file=sys.stderr)
        return 1
    try:
        run(args, app)
    except (Failure, GLib.Error) as e:
        FAULTS.append(str(e))
        print(f"FAIL: {e}", file=sys.stderr)
    if not FAULTS:
        return 0
    print(f"{len(FAULTS)} fault(s):", file=sys.stderr)
    for f in FAULTS:
        print(f"  {f}", file=sys.stderr)
    print("the program's accessible tree now:", file=sys.stderr)
    print_tree(app)
    return 1


if __name__ == "__main__":
    sys.exit(main())
