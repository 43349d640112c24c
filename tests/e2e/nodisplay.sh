#!/usr/bin/env bash
# Started where no window system answers (none there, or one that takes the connection and
# says nothing), or where Qt cannot start one (a platform it does not have, a framebuffer
# without its device, an 8-bit display, too few open files): one line on stderr that says
# what is missing, exit status 1; no abort, no core dump, no advice to reinstall, no waiting
# for ever. A platform the user chose that needs no display (offscreen) still starts.
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

note "an X server that is stopped, a Wayland socket that says nothing: given up after a second"
e2e_start_x_server
stopped="$DISPLAY"
unset DISPLAY
kill -STOP "$E2E_XVFB_PID"
expect_no_display "the X11 display at \"$stopped\" does not answer" DISPLAY="$stopped"
kill -CONT "$E2E_XVFB_PID"
/usr/bin/python3 -c 'import signal, socket, sys
s = socket.socket(socket.AF_UNIX)
s.bind(sys.argv[1])
s.listen(4)
signal.pause()' "$XDG_RUNTIME_DIR/zarvik-silent" &
E2E_PIDS+=($!)
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/zarvik-silent" ] && break; sleep 0.05; done
expect_no_display "the Wayland display at \"zarvik-silent\" does not answer" \
  WAYLAND_DISPLAY=zarvik-silent

note "a platform Qt does not have; framebuffer platforms without their device"
expect_no_display 'on the platform "nosuch": Could not find the Qt platform plugin "nosuch"' \
  QT_QPA_PLATFORM=nosuch
expect_no_display 'on the platform "nosuch"' bash -c 'exec "$0" -platform nosuch'
expect_no_display 'on the platform "linuxfb:fb=/nonexistent/fb0": no screen' \
  QT_QPA_PLATFORM=linuxfb:fb=/nonexistent/fb0
echo '{ "device": "/nonexistent/card0" }' >"$E2E_TMP/kms.json"
expect_no_display 'on the platform "eglfs": Could not open DRM device /nonexistent/card0' \
  QT_QPA_PLATFORM=eglfs QT_QPA_EGLFS_KMS_CONFIG="$E2E_TMP/kms.json"

note "an 8-bit X display, which Qt cannot draw on"
e2e_start_x_server -screen 0 1024x768x8
eight="$DISPLAY"
unset DISPLAY
expect_no_display "the screen has 8 bits a pixel" DISPLAY="$eight"

note "six open files allowed: too few; a soft limit of six is raised"
expect_no_display "only 6 open files are allowed (ulimit -n)" bash -c 'ulimit -n 6 && exec "$0"'
rc=0
(cd "$ZARVIK_DATA_DIR" && ulimit -Sn 6 && exec timeout 5 env QT_QPA_PLATFORM=offscreen "$ZARVIK_BIN") \
  >"$E2E_TMP/out" 2>"$E2E_TMP/err" || rc=$?
[ "$rc" -eq 124 ] || fail "soft limit 6: ended with $rc instead of running on: $(cat "$E2E_TMP/err")"

note "the user chose offscreen: the program starts without any display"
rc=0
(cd "$ZARVIK_DATA_DIR" && timeout 5 env QT_QPA_PLATFORM=offscreen DISPLAY="$nobody" "$ZARVIK_BIN") \
  >"$E2E_TMP/out" 2>"$E2E_TMP/err" || rc=$?
[ "$rc" -eq 124 ] || fail "offscreen: ended with $rc instead of running on: $(cat "$E2E_TMP/err")"
echo "PASS"
