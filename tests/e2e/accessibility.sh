#!/usr/bin/env bash
# The window through a screen reader's eyes: a private session bus and accessibility bus,
# the program with its AT-SPI bridge on, and atspi_tree.py reading the accessible tree and
# running queries through the accessible interfaces alone.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
: "${ZARVIK_DATA_DIR:?ZARVIK_DATA_DIR must name the folder with the tables}"
here="$(cd "$(dirname "$0")" && pwd)"

e2e_start_display
e2e_start_atspi
note "session bus $DBUS_SESSION_BUS_ADDRESS, accessibility bus $E2E_A11Y_BUS"

# Qt's bridge stays off unless a screen reader asks; these turn it on from the start.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1
e2e_start_app "$ZARVIK_DATA_DIR"
win="$(e2e_main_window 30)" || fail "no main window: $(cat "$E2E_TMP/app.log")"
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true

"$E2E_PY" "$here/atspi_tree.py" --pid "$APP_PID" --tables "$ZARVIK_DATA_DIR" --window "$win" --quit ||
  fail "the window fails a screen reader (above); program output: $(cat "$E2E_TMP/app.log")"

# The last step pressed 退出 through its action: the program ends by itself, with 0.
e2e_wait_for_end "退出's action"
[ "$APP_RC" -eq 0 ] || fail "exit code $APP_RC after 退出's action: $(cat "$E2E_TMP/app.log")"
echo "PASS"
