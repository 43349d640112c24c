#!/usr/bin/env bash
# An X server without a window manager, as a kiosk or a bare Xvfb runs one. The window shows:
# where the program is the server's only client (the server resets itself when its last
# client leaves, and the program's probe is one), and where the server has a single client
# place left (the probe must give it back before Qt connects). "置顶" reads unchecked and
# disabled, saying why: nothing there keeps a window on top, until a window manager that
# can comes.
source "$(dirname "$0")/lib.sh"
: "${ZARVIK_DATA_DIR:?ZARVIK_DATA_DIR must name the folder with the tables}"
here="$(cd "$(dirname "$0")" && pwd)"
unset WAYLAND_DISPLAY DISPLAY
/usr/bin/python3 -c 'import Xlib' 2>/dev/null || fail "python3-xlib missing (scripts/setup.sh lists it)"

# The accessibility bus first: with a display, its launcher would be a client of the server.
e2e_start_atspi
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1

note "the program alone on a bare X server: its window shows, 置顶 is unavailable"
e2e_start_x_server
e2e_start_app "$ZARVIK_DATA_DIR"
e2e_atspi_check_and_quit unavailable "$E2E_NO_WM_ON_TOP_REASON"

note "a window manager that comes after the program: the window goes on top, 置顶 is offered"
e2e_start_x_server
e2e_start_app "$ZARVIK_DATA_DIR"
win="$(e2e_main_window 30)" || fail "no main window: $(cat "$E2E_TMP/app.log")"
openbox --sm-disable >"$E2E_TMP/wm.log" 2>&1 &
E2E_WM_PID=$!
E2E_PIDS+=("$E2E_WM_PID")
e2e_wait_for "openbox to start" 20 e2e_wm_runs
e2e_wait_for "the window to go on top" 5 e2e_is_above "$win"
e2e_ready "$win"
e2e_click "$win" 27 216 # 置顶, now offered
e2e_wait_for "置顶 to take the window off the top" 5 e2e_is_not_above "$win"
kill "$APP_PID"
wait "$APP_PID" 2>/dev/null || true

note "one client place left on the server: the program takes it for its window"
e2e_start_x_server -screen 0 1024x768x24 -maxclients 64
coproc PLACES { /usr/bin/python3 "$here/xslots.py"; }
E2E_PIDS+=("$PLACES_PID")
read -r -t 30 ready <&"${PLACES[0]}" || fail "the server's client places were not taken"
note "$ready"
e2e_start_app "$ZARVIK_DATA_DIR"
echo "$APP_PID" >&"${PLACES[1]}"
seen=""
read -r -t 60 seen <&"${PLACES[0]}" || true
case "$seen" in
  shown*) ;;
  *) fail "no window with one client place left (${seen:-no word}): $(cat "$E2E_TMP/app.log")" ;;
esac
kill "$APP_PID"
wait "$APP_PID" 2>/dev/null || true
echo "PASS"
