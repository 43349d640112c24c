#!/usr/bin/env bash
# Started where no window system answers: one line on stderr that names the missing display,
# exit status 1; no abort, no core dump, no advice to reinstall. A platform the user chose
# that needs no display (offscreen) still starts.
source "$(dirname "$0")/lib.sh"
: "${ZARVIK_DATA_DIR:?ZARVIK_DATA_DIR must name the folder with the tables}"
unset QT_QPA_PLATFORM DISPLAY WAYLAND_DISPLAY WAYLAND_SOCKET

# An X display number that no server holds.
n=7919
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
nobody=":$n"

# Runs the program with the environment $2...; it must fail at once with one line naming $1.
expect_no_display() {
  local want="$1" rc=0
  shift
  (cd "$ZARVIK_DATA_DIR" && timeout 20 env "$@" "$ZARVIK_BIN") >"$E2E_TMP/out" 2>"$E2E_TMP/err" ||
    rc=$?
  local err
  err="$(cat "$E2E_TMP/err")"
  [ "$rc" -eq 1 ] || fail "$*: exit status $rc, expected 1; stderr: $err"
  [ "$(grep -c . "$E2E_TMP/err")" -eq 1 ] || fail "$*: expected one line on stderr, got: $err"
  case "$err" in *"$want"*) ;; *) fail "$*: the line does not name $want: $err" ;; esac
  case "$err" in *einstall*) fail "$*: advice to reinstall: $err" ;; esac
}

note "DISPLAY=$nobody, where nothing listens"
expect_no_display "no X11 display at \"$nobody\"" DISPLAY="$nobody"
note "DISPLAY empty, DISPLAY garbage, a Wayland display that is not there"
expect_no_display "no X11 display (DISPLAY is not set) and no Wayland display" DISPLAY=
expect_no_display "no X11 display at \"garbage\"" DISPLAY=garbage
expect_no_display "no Wayland display at \"nothing-here\"" WAYLAND_DISPLAY=nothing-here
note "the user chose xcb, and there is no X display"
expect_no_display "chosen platform \"xcb\": no X11 display at \"$nobody\"" \
  QT_QPA_PLATFORM=xcb DISPLAY="$nobody"

note "the user chose offscreen: the program starts without any display"
rc=0
(cd "$ZARVIK_DATA_DIR" && timeout 5 env QT_QPA_PLATFORM=offscreen DISPLAY="$nobody" "$ZARVIK_BIN") \
  >"$E2E_TMP/out" 2>"$E2E_TMP/err" || rc=$?
[ "$rc" -eq 124 ] || fail "offscreen: ended with $rc instead of running on: $(cat "$E2E_TMP/err")"
echo "PASS"
