#!/usr/bin/env bash
# The window through a screen reader's eyes: a private session bus and accessibility bus,
# the program with its AT-SPI bridge on, and atspi_tree.py reading the accessible tree and
# running queries through the accessible interfaces alone. A machine without the bus or
# the AT-SPI packages fails here, loudly: scripts/setup.sh installs them.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
: "${ZARVIK_DATA_DIR:?ZARVIK_DATA_DIR must name the folder with the tables}"
here="$(cd "$(dirname "$0")" && pwd)"

A11Y_LAUNCHER=/usr/libexec/at-spi-bus-launcher
command -v dbus-daemon >/dev/null || fail "dbus-daemon missing (package dbus-daemon)"
command -v dbus-send >/dev/null || fail "dbus-send missing (package dbus-bin)"
[ -x "$A11Y_LAUNCHER" ] || fail "$A11Y_LAUNCHER missing (package at-spi2-core)"
# pyatspi is Debian's, for Debian's interpreter: a python3 earlier on PATH may lack it.
PY=""
for candidate in /usr/bin/python3 python3; do
  if "$candidate" -c 'import pyatspi' 2>/dev/null; then PY="$candidate"; break; fi
done
[ -n "$PY" ] || fail "no python3 can import pyatspi (package python3-pyatspi)"

# The registry daemon is started by the accessibility bus and outlives its parent, so it
# is looked up on our bus and stopped by its id along with the rest.
A11Y_ADDRESS=""
a11y_cleanup() {
  local pid
  if [ -n "$A11Y_ADDRESS" ]; then
    pid="$(timeout 2 dbus-send --bus="$A11Y_ADDRESS" --print-reply --dest=org.freedesktop.DBus \
      / org.freedesktop.DBus.GetConnectionUnixProcessID string:org.a11y.atspi.Registry \
      2>/dev/null | awk '/uint32/ {print $2}')" || true
    if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
  fi
  e2e_cleanup
}
trap a11y_cleanup EXIT

# A session bus of our own, so nothing of the machine's desktop (or of another test)
# answers on it.
a11y_start_session_bus() {
  local fifo="$E2E_TMP/session-bus"
  mkfifo "$fifo"
  dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$fifo" \
    2>"$E2E_TMP/session-bus.log" &
  E2E_PIDS+=($!)
  local address=""
  read -r -t 10 address <"$fifo" || true
  [ -n "$address" ] || fail "the session bus did not start: $(cat "$E2E_TMP/session-bus.log")"
  export DBUS_SESSION_BUS_ADDRESS="$address"
}

# The accessibility bus beside it; sets A11Y_ADDRESS once the launcher answers.
a11y_start_atspi_bus() {
  "$A11Y_LAUNCHER" --launch-immediately >"$E2E_TMP/at-spi.log" 2>&1 &
  E2E_PIDS+=($!)
  local _ reply
  for _ in $(seq 200); do
    reply="$(dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
      org.a11y.Bus.GetAddress 2>/dev/null)" && break
    sleep 0.05
  done
  A11Y_ADDRESS="$(printf '%s\n' "$reply" | sed -n 's/^ *string "\(.*\)"$/\1/p')"
  [ -n "$A11Y_ADDRESS" ] || fail "the accessibility bus did not start: $(cat "$E2E_TMP/at-spi.log")"
}

e2e_start_display
a11y_start_session_bus
a11y_start_atspi_bus
note "session bus $DBUS_SESSION_BUS_ADDRESS, accessibility bus $A11Y_ADDRESS"

# Qt's bridge stays off unless a screen reader asks; these turn it on from the start.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1
e2e_start_app "$ZARVIK_DATA_DIR"
win="$(e2e_main_window 10)" || fail "no main window: $(cat "$E2E_TMP/app.log")"
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true

"$PY" "$here/atspi_tree.py" --pid "$APP_PID" --tables "$ZARVIK_DATA_DIR" --window "$win" --quit ||
  fail "the window fails a screen reader (above); program output: $(cat "$E2E_TMP/app.log")"

# The last step pressed 退出 through its action: the program ends by itself, with 0.
for _ in $(seq 100); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$APP_PID" 2>/dev/null; then fail "still running 10 s after 退出's action"; fi
wait "$APP_PID" && rc=0 || rc=$?
[ "$rc" -eq 0 ] || fail "exit code $rc after 退出's action: $(cat "$E2E_TMP/app.log")"
echo "PASS"
