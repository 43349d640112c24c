#!/usr/bin/env bash
# A Wayland session, as Debian's weston makes one (headless: no GPU, no screen), with the
# program started as from the menu: no platform chosen. With XWayland the program opens an
# X11 window through it; without, it runs natively, and its "置顶" box reads unchecked and
# disabled, saying why. A query answers in both. Weston's headless back end has no input
# devices for xdotool, so the window is read and driven over AT-SPI, as a screen reader
# does. Where weston cannot start, the test says why and is skipped.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
: "${ZARVIK_DATA_DIR:?ZARVIK_DATA_DIR must name the folder with the tables}"
here="$(cd "$(dirname "$0")" && pwd)"

ls /usr/lib/*/qt6/plugins/platforms/libqwayland-*.so >/dev/null 2>&1 ||
  fail "Qt's Wayland platform plugin missing (package qt6-wayland)"

unset QT_QPA_PLATFORM DISPLAY WAYLAND_DISPLAY
export XDG_SESSION_TYPE=wayland

stop_weston() {
  kill "$WESTON_PID" 2>/dev/null || true
  wait "$WESTON_PID" 2>/dev/null || true
  unset WAYLAND_DISPLAY DISPLAY
}

# Runs atspi_session.py on the program with 置顶 $1 (offered or unavailable), then waits
# for the program to end by 退出's action, with 0.
check_and_quit() {
  "$E2E_PY" "$here/atspi_session.py" --pid "$APP_PID" --on-top "$1" ||
    fail "the window fails (above); program output: $(cat "$E2E_TMP/app.log")"
  e2e_wait_for_end "退出's action"
  [ "$APP_RC" -eq 0 ] || fail "exit code $APP_RC after 退出's action: $(cat "$E2E_TMP/app.log")"
}

e2e_start_atspi
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1

note "weston with XWayland: the program's window is an X11 window"
e2e_start_xwayland
e2e_start_app "$ZARVIK_DATA_DIR"
e2e_main_window 20 >/dev/null ||
  fail "no X11 window of the program on XWayland $DISPLAY: $(cat "$E2E_TMP/app.log")"
check_and_quit offered
stop_weston

note "weston alone: the program runs natively and says it cannot stay on top"
e2e_start_weston native
e2e_start_app "$ZARVIK_DATA_DIR"
check_and_quit unavailable
stop_weston
echo "PASS"
