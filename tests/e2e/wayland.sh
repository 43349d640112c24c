#!/usr/bin/env bash
# A Wayland session, as Debian's weston makes one (headless: no GPU, no screen), with the
# program started as from the menu: no platform chosen. With XWayland the program opens an
# X11 window through it; without, it runs natively. In both its "置顶" box reads unchecked and
# disabled, saying why: weston keeps no window on top, and its X11 window manager does not
# say it would. A query answers in both. Weston's headless back end has no input
# devices for xdotool, so the window is read and driven over AT-SPI, as a screen reader
# does. Where weston cannot start, the test says why and is skipped.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
: "${ZARVIK_DATA_DIR:?ZARVIK_DATA_DIR must name the folder with the tables}"

ls /usr/lib/*/qt6/plugins/platforms/libqwayland-*.so >/dev/null 2>&1 ||
  fail "Qt's Wayland platform plugin missing (package qt6-wayland)"

unset QT_QPA_PLATFORM DISPLAY WAYLAND_DISPLAY
export XDG_SESSION_TYPE=wayland
# Under the sanitizers: Mesa's EGL set-up keeps memory in a driver it unloads before the
# leak check, so only the slow unwinder shows the frames tests/lsan.supp names it by.
[ "${ZARVIK_SANITIZE:-0}" = 1 ] && export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}fast_unwind_on_malloc=0"

stop_weston() {
  kill "$WESTON_PID" 2>/dev/null || true
  wait "$WESTON_PID" 2>/dev/null || true
  unset WAYLAND_DISPLAY DISPLAY
}

e2e_start_atspi
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1

note "weston with XWayland: the program's window is an X11 window; weston's window manager"
note "does not keep windows on top, so 置顶 is unavailable there too"
e2e_start_xwayland
e2e_start_app "$ZARVIK_DATA_DIR"
e2e_main_window 20 >/dev/null ||
  fail "no X11 window of the program on XWayland $DISPLAY: $(cat "$E2E_TMP/app.log")"
e2e_atspi_check_and_quit unavailable "$E2E_NO_WM_ON_TOP_REASON"
stop_weston

note "weston alone: the program runs natively and says it cannot stay on top"
e2e_start_weston native
e2e_start_app "$ZARVIK_DATA_DIR"
e2e_atspi_check_and_quit unavailable Wayland
stop_weston
echo "PASS"
