# Shared steps of the end-to-end tests: a private X display with a window manager, the
# real program started in a chosen folder, and helpers to look at its windows.
# Needs: Xvfb, openbox (or mutter), xdotool, xprop (x11-utils), xclip, ImageMagick's
# import/convert; for the screen-reader steps dbus and at-spi2-core, python3-pyatspi; for
# notifications python3-dbus and python3-gi.
set -euo pipefail
# `printf ... | e2e_hold_selection ...` runs the function in this shell, so that what it
# starts is known here and stopped at the end.
shopt -s lastpipe

: "${ZARVIK_BIN:?ZARVIK_BIN must name the program}"
E2E_TMP="$(mktemp -d)"
E2E_PIDS=()
E2E_A11Y_BUS=""
export XDG_RUNTIME_DIR="$E2E_TMP/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=xcb

e2e_cleanup() {
  local pid
  # The accessibility registry is started by its bus and outlives its parent, so it is
  # looked up on that bus and stopped by its id along with the rest.
  if [ -n "$E2E_A11Y_BUS" ]; then
    pid="$(timeout 2 dbus-send --bus="$E2E_A11Y_BUS" --print-reply --dest=org.freedesktop.DBus \
      / org.freedesktop.DBus.GetConnectionUnixProcessID string:org.a11y.atspi.Registry \
      2>/dev/null | awk '/uint32/ {print $2}')" || true
    if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
  fi
  for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$E2E_TMP"
}
trap e2e_cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }
note() { echo "-- $*"; }

# Tries command $2... every 0.05 s for up to $1 seconds (a whole number); succeeds as soon
# as it does. Tests wait for what they need this way, never for a fixed time: that is too
# short on a busy machine and wasted on an idle one. The limit is on the clock, since a try
# may itself take a while (asking a clipboard holder that never answers). A sanitized
# program runs several times slower (a 10 MB paste took over 5 s on a loaded machine), so
# its deadlines are four times as long.
E2E_SLOWDOWN=1
[ "${ZARVIK_SANITIZE:-0}" = 1 ] && E2E_SLOWDOWN=4
e2e_now_us() { echo "${EPOCHREALTIME//[!0-9]/}"; }
e2e_poll() {
  local deadline=$(($(e2e_now_us) + $1 * 1000000 * E2E_SLOWDOWN))
  shift
  until "$@"; do
    [ "$(e2e_now_us)" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}

# e2e_poll $2 $3..., failing with a message that names $1, what it waited for.
e2e_wait_for() {
  local what="$1"
  shift
  e2e_poll "$@" || fail "waited $1 s for $what"
}

# The window manager that e2e_start_display runs: openbox, or GNOME's mutter as an X11
# window manager (ZARVIK_E2E_WM=mutter).
E2E_WM="${ZARVIK_E2E_WM:-openbox}"
E2E_WM_PID=""

# Starts weston without a screen (Debian's headless back end) with options $2... on a socket
# named after $1; exports WAYLAND_DISPLAY and sets WESTON_PID. Where weston cannot start, the
# test is skipped, saying why.
WESTON_PID=""
e2e_start_weston() {
  command -v weston >/dev/null || fail "weston missing (package weston; scripts/setup.sh installs it)"
  local socket="zarvik-$1" log="$E2E_TMP/weston-$1.log" i
  shift
  weston --backend=headless-backend.so --socket="$socket" --idle-time=0 "$@" >"$log" 2>&1 &
  WESTON_PID=$!
  E2E_PIDS+=("$WESTON_PID")
  for i in $(seq 200); do
    [ -S "$XDG_RUNTIME_DIR/$socket" ] && { export WAYLAND_DISPLAY="$socket"; return 0; }
    kill -0 "$WESTON_PID" 2>/dev/null || break
    sleep 0.05
  done
  e2e_skip "weston cannot start a headless session here: $(tail -n 5 "$log")"
}

# A Wayland session with XWayland, as GNOME's and KDE's are: weston headless with its X
# server; exports DISPLAY (XWayland's) and WAYLAND_DISPLAY.
e2e_start_xwayland() {
  command -v Xwayland >/dev/null || fail "Xwayland missing (package xwayland)"
  e2e_start_weston xwayland --xwayland
  local log="$E2E_TMP/weston-xwayland.log"
  e2e_wait_for "XWayland's display in weston's log" 5 grep -q "xserver listening on display" "$log"
  DISPLAY="$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$log" | head -n1)"
  [ -n "$DISPLAY" ] || fail "weston started no XWayland: $(tail -n 5 "$log")"
  export DISPLAY
}

e2e_display_answers() { xprop -root >/dev/null 2>&1; }

# Whether display number $1 is free: no lock file here, and no server listening on its
# sockets. Clients try the abstract socket first, and that name is shared with the X servers
# of tests that run on the machine with a /tmp of their own: one there would take this
# test's windows.
e2e_display_free() {
  [ ! -e "/tmp/.X$1-lock" ] && ! grep -q "/tmp/.X11-unix/X$1\$" /proc/net/unix
}

# Whether process $1 listens on the abstract socket of display $2.
e2e_serves_display() {
  local inode
  for inode in $(awk -v s="@/tmp/.X11-unix/X$2" '$8 == s && $6 == "01" { print $7 }' /proc/net/unix); do
    ls -l "/proc/$1/fd" 2>/dev/null | grep -q "socket:\[$inode\]" && return 0
  done
  return 1
}

# Starts Xvfb alone on a free display, with the options $@ (a 24-bit screen when none are
# given); exports DISPLAY and sets E2E_XVFB_PID.
E2E_XVFB_COUNT=0
e2e_start_x_server() {
  E2E_XVFB_COUNT=$((E2E_XVFB_COUNT + 1))
  local log="$E2E_TMP/xvfb-$E2E_XVFB_COUNT.log" n=$((100 + RANDOM % 800)) attempt
  [ $# -gt 0 ] || set -- -screen 0 1024x768x24
  for attempt in 1 2 3 4 5; do
    while ! e2e_display_free "$n"; do n=$((n + 1)); done
    # No autorepeat (-r): a key whose release a busy machine delays must not come twice. No
    # reset when the last client leaves (-noreset): it refuses connections meanwhile.
    Xvfb ":$n" -nolisten tcp -r -noreset "$@" 2>"$log" &
    E2E_XVFB_PID=$!
    E2E_PIDS+=("$E2E_XVFB_PID")
    export DISPLAY=":$n"
    # Another server may have taken the number meanwhile: then this one gives up or serves
    # only the socket file, and the next number is tried.
    e2e_poll 10 e2e_serves_display "$E2E_XVFB_PID" "$n" && e2e_poll 10 e2e_display_answers &&
      return 0
    note "Xvfb on :$n is not the display's server (attempt $attempt): $(cat "$log")"
    kill "$E2E_XVFB_PID" 2>/dev/null || true
    n=$((n + 1))
  done
  fail "no Xvfb could start"
}

# Starts Xvfb on a free display and the window manager on it; exports DISPLAY. With
# ZARVIK_E2E_DISPLAY=xwayland, the display is XWayland's in a weston session instead.
e2e_start_display() {
  if [ "${ZARVIK_E2E_DISPLAY:-}" = xwayland ]; then
    e2e_start_xwayland
    return
  fi
  e2e_start_x_server
  case "$E2E_WM" in
    openbox) openbox --sm-disable >"$E2E_TMP/wm.log" 2>&1 & ;;
    mutter)
      command -v mutter >/dev/null || fail "mutter missing (package mutter; scripts/setup.sh installs it)"
      # mutter looks for a session bus; a private one keeps it off the machine's desktop.
      e2e_start_session_bus
      mutter --x11 --replace --sm-disable >"$E2E_TMP/wm.log" 2>&1 &
      ;;
    *) fail "ZARVIK_E2E_WM=$E2E_WM: the window manager is openbox or mutter" ;;
  esac
  E2E_WM_PID=$!
  E2E_PIDS+=("$E2E_WM_PID")
  e2e_poll 20 e2e_wm_runs || fail "$E2E_WM did not start on $DISPLAY: $(cat "$E2E_TMP/wm.log")"
}
e2e_wm_runs() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# A session bus of our own, so nothing of the machine's desktop (or of another test)
# answers on it; exports DBUS_SESSION_BUS_ADDRESS. Once per test.
E2E_SESSION_BUS=""
e2e_start_session_bus() {
  [ -z "$E2E_SESSION_BUS" ] || return 0
  local fifo="$E2E_TMP/session-bus"
  mkfifo "$fifo"
  dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$fifo" \
    2>"$E2E_TMP/session-bus.log" &
  E2E_PIDS+=($!)
  local address=""
  read -r -t 10 address <"$fifo" || true
  [ -n "$address" ] || fail "the session bus did not start: $(cat "$E2E_TMP/session-bus.log")"
  E2E_SESSION_BUS="$address"
  export DBUS_SESSION_BUS_ADDRESS="$address"
}

# A notification service of our own on the private session bus (started if need be) that
# appends each notification it is sent to file $1, a JSON object a line; sets
# NOTIFICATIONS_PID.
e2e_start_notification_service() {
  e2e_start_session_bus
  /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/notifications.py" "$1" \
    >"$E2E_TMP/notifications.log" 2>&1 &
  NOTIFICATIONS_PID=$!
  E2E_PIDS+=("$NOTIFICATIONS_PID")
  e2e_wait_for "the notification service on the bus" 10 e2e_bus_has org.freedesktop.Notifications
}

# Has xclip hold standard input as X selection $1 (primary or clipboard) of type $2 until
# e2e_release_selection. A selection has one owner at a time: the last one is released.
E2E_SELECTION_OWNER=""
e2e_hold_selection() {
  e2e_release_selection
  cat >"$E2E_TMP/held"
  xclip -selection "$1" -t "$2" -i -quiet "$E2E_TMP/held" >/dev/null 2>&1 &
  E2E_SELECTION_OWNER=$!
  E2E_PIDS+=("$E2E_SELECTION_OWNER")
  e2e_wait_for "xclip holding the $1" 5 e2e_selection_holds "$1" "$2"
}
# Whether selection $1 offers, as type $2, what e2e_hold_selection was given last (another
# owner may still answer until xclip has taken it over).
e2e_selection_holds() {
  timeout 2 xclip -o -selection "$1" -t "$2" 2>/dev/null | cmp -s - "$E2E_TMP/held"
}
# Whether selection $1 has an owner that answers.
e2e_selection_owned() { timeout 2 xclip -o -selection "$1" -t TARGETS >/dev/null 2>&1; }
e2e_selection_unowned() { ! e2e_selection_owned "$1"; }
e2e_bus_has() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
    org.freedesktop.DBus.GetNameOwner "string:$1" >/dev/null 2>&1
}
e2e_release_selection() {
  [ -n "$E2E_SELECTION_OWNER" ] || return 0
  kill "$E2E_SELECTION_OWNER" 2>/dev/null || true
  wait "$E2E_SELECTION_OWNER" 2>/dev/null || true
  E2E_SELECTION_OWNER=""
}

# What a screen reader talks to: the accessibility bus beside a private session bus, and
# Debian's python3 with pyatspi to read it (sets E2E_PY). A machine without the bus or the
# AT-SPI packages fails here, loudly: scripts/setup.sh installs them.
e2e_start_atspi() {
  local launcher=/usr/libexec/at-spi-bus-launcher
  command -v dbus-daemon >/dev/null || fail "dbus-daemon missing (package dbus-daemon)"
  command -v dbus-send >/dev/null || fail "dbus-send missing (package dbus-bin)"
  [ -x "$launcher" ] || fail "$launcher missing (package at-spi2-core)"
  # pyatspi is Debian's, for Debian's interpreter: a python3 earlier on PATH may lack it.
  E2E_PY=""
  local candidate
  for candidate in /usr/bin/python3 python3; do
    if "$candidate" -c 'import pyatspi' 2>/dev/null; then E2E_PY="$candidate"; break; fi
  done
  [ -n "$E2E_PY" ] || fail "no python3 can import pyatspi (package python3-pyatspi)"
  e2e_start_session_bus
  "$launcher" --launch-immediately >"$E2E_TMP/at-spi.log" 2>&1 &
  E2E_PIDS+=($!)
  local _ reply
  for _ in $(seq 200); do
    reply="$(dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
      org.a11y.Bus.GetAddress 2>/dev/null)" && break
    sleep 0.05
  done
  E2E_A11Y_BUS="$(printf '%s\n' "$reply" | sed -n 's/^ *string "\(.*\)"$/\1/p')"
  [ -n "$E2E_A11Y_BUS" ] || fail "the accessibility bus did not start: $(cat "$E2E_TMP/at-spi.log")"
}

# Words of the hint of an unavailable "置顶" where no X11 window manager keeps windows on top.
E2E_NO_WM_ON_TOP_REASON="窗口管理器"

# Runs atspi_session.py on the program with 置顶 $1 (offered or unavailable, saying $2), then
# waits for the program to end by 退出's action, with 0. Needs e2e_start_atspi first.
e2e_atspi_check_and_quit() {
  "$E2E_PY" "$(dirname "${BASH_SOURCE[0]}")/atspi_session.py" --pid "$APP_PID" --on-top "$1" \
    ${2:+--reason "$2"} || fail "the window fails (above); program output: $(cat "$E2E_TMP/app.log")"
  e2e_wait_for_end "退出's action"
  [ "$APP_RC" -eq 0 ] || fail "exit code $APP_RC after 退出's action: $(cat "$E2E_TMP/app.log")"
}

# Starts the program in folder $1; sets APP_PID.
e2e_start_app() { e2e_start_command "$1" "$ZARVIK_BIN"; }

# Prints the program's visible windows, one id per line, waiting up to $1 seconds for $2 of them.
e2e_windows() {
  local wait_s="${1:-5}" want="${2:-1}" ids="" i
  for i in $(seq $((wait_s * 10))); do
    ids="$(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null || true)"
    [ "$(printf '%s\n' "$ids" | grep -c .)" -ge "$want" ] && break
    sleep 0.1
  done
  printf '%s\n' "$ids" | grep . || true
}

e2e_size() { xdotool getwindowgeometry "$1" | awk '/Geometry/ {print $2}'; }
e2e_pos() { xdotool getwindowgeometry "$1" | awk '/Position/ {print $2}'; }

# Prints the first of the program's visible windows for which command $2... succeeds (given
# the window's id last), waiting up to $1 seconds for one.
e2e_window_where() {
  local wait_s="$1" w _
  shift
  for _ in $(seq $((wait_s * 20))); do
    for w in $(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null); do
      "$@" "$w" && { echo "$w"; return 0; }
    done
    sleep 0.05
  done
  return 1
}
e2e_is_main_size() { [ "$(e2e_size "$1")" = "194x233" ]; }
e2e_is_dialog() { xprop -id "$1" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q DIALOG; }

# The program's state and its windows, for a message about a window that did not come.
e2e_describe_windows() {
  local w
  echo "$E2E_WM is $(ps -o stat= -p "$E2E_WM_PID" 2>/dev/null || echo gone) ($(tail -n 3 "$E2E_TMP/wm.log"))"
  echo "the program is $(ps -o stat= -p "$APP_PID" 2>/dev/null || echo gone); its windows:"
  for w in $(xdotool search --pid "$APP_PID" 2>/dev/null); do
    echo "  $w $(e2e_size "$w") at $(e2e_pos "$w"), $(xwininfo -id "$w" 2>/dev/null |
      sed -n 's/^ *Map State: //p'), type $(xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null |
      sed 's/.*= //')"
  done
}

# The main window: the program's visible window of 194 x 233, waited for up to $1 seconds;
# else what there is, on standard error.
e2e_main_window() {
  e2e_window_where "${1:-5}" e2e_is_main_size || { e2e_describe_windows >&2; return 1; }
}

# The error box on screen (a dialog of the program), waited for up to $1 seconds.
e2e_error_box() { e2e_window_where "${1:-5}" e2e_is_dialog; }

# Copies the focused error box's message (Ctrl+C) and prints it, then closes it.
e2e_read_and_close_error_box() {
  local box="$1"
  xdotool windowactivate --sync "$box" >/dev/null 2>&1 || true
  e2e_wait_for "the error box to be the active window" 5 e2e_is_active "$box"
  e2e_copy ctrl+c
  xdotool key Return
}

e2e_is_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; }
e2e_is_gone() { ! xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }
e2e_is_at() { [ "$(e2e_pos "$1")" = "$2" ]; }
e2e_pixel_is() { [ "$(e2e_pixel "$1" "$2" "$3" 2>/dev/null)" = "$4" ]; }
e2e_pixel_is_not() { ! e2e_pixel_is "$@"; }

# Waits for the program's main window to show and be ready for input; sets win to its id.
e2e_await_main_window() {
  win="$(e2e_main_window 30)" || fail "no main window: $(cat "$E2E_TMP/app.log")"
  e2e_ready "$win"
}

# Activates main window $1 and waits until it is the active window and shows its olive
# outline: it has the keyboard, and its first picture is there.
e2e_ready() {
  xdotool windowactivate --sync "$1" >/dev/null 2>&1 || true
  e2e_wait_for "window $1 to be the active window" 10 e2e_is_active "$1"
  e2e_wait_for "window $1 to show its olive outline" 10 e2e_pixel_is "$1" 0 0 808000
}

# Saves a picture of window $1 as $2.png in ZARVIK_SHOTS_DIR, when that is set.
e2e_shot() {
  [ -n "${ZARVIK_SHOTS_DIR:-}" ] || return 0
  mkdir -p "$ZARVIK_SHOTS_DIR"
  import -window "$1" "$ZARVIK_SHOTS_DIR/$2.png"
}

e2e_is_above() { xprop -id "$1" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE; }
e2e_is_not_above() { ! e2e_is_above "$1"; }

# Position $1 ("x,y") moved by ($2, $3).
e2e_offset() { echo "$((${1%,*} + $2)),$((${1#*,} + $3))"; }

# Presses button $4 at ($2, $3) in window $1, to drag it.
e2e_press_to_drag() {
  xdotool mousemove --window "$1" "$2" "$3" mousedown "$4"
  # The move is reckoned from where the mouse is when the program takes the press (Qt's
  # and our own), and nothing outside the program tells when that is: a move before it
  # would be lost. This is the time the press is given.
  sleep 0.5
}

# With a button held down on window $1, moves the mouse by ($2, $3) and waits until the
# window stands at $4 ("x,y"). The window manager takes a move over a moment after the
# press: a nudge of the mouse lets it catch up.
e2e_drag_to() {
  xdotool mousemove_relative -- "$2" "$3"
  e2e_poll 5 e2e_nudged_to "$1" "$4" ||
    fail "waited 5 s for window $1 to follow the mouse to $4; it stands at $(e2e_pos "$1")"
}
e2e_nudged_to() {
  e2e_is_at "$1" "$2" && return 0
  xdotool mousemove_relative -- 1 0
  xdotool mousemove_relative -- -1 0
  return 1
}

# Clicks at (x, y) inside window $1. The program takes the events of mouse and keyboard in
# the order they come: keys sent after the click reach what the click focused.
e2e_click() {
  xdotool mousemove --window "$1" "$2" "$3" click 1
}

e2e_clipboard_is_not() {
  local now
  now="$(timeout 2 xclip -o -selection clipboard 2>/dev/null)" && [ "$now" != "$1" ]
}

# Types text into the focused control by pasting it: typing CJK with xdotool is unreliable.
# The program fetches the text as it takes the key, before any later event, and xclip holds
# it until the next paste: the program's own copy takes the clipboard over only after that.
e2e_paste() {
  printf '%s' "$1" | e2e_hold_selection clipboard UTF8_STRING
  xdotool key ctrl+v
}

# Presses key $1 (a copy) in the focused window and prints what the program put on the
# clipboard, once the clipboard holds something else than before.
e2e_copy() {
  local before
  before="$(timeout 2 xclip -o -selection clipboard 2>/dev/null || true)"
  xdotool key "$1"
  e2e_wait_for "the program to copy with $1" 5 e2e_clipboard_is_not "$before"
  timeout 3 xclip -o -selection clipboard
}

# Selects all of the focused edit's text, copies it and prints it.
e2e_copy_focused_text() {
  xdotool key ctrl+a
  e2e_copy ctrl+c
}

# The colour of pixel (x, y) of window $1 as RRGGBB.
e2e_pixel() {
  import -window "$1" "$E2E_TMP/shot.png"
  convert "$E2E_TMP/shot.png" -format "%[hex:p{$2,$3}]" info:
}

# Ends the test as skipped (ctest's SKIP_RETURN_CODE for the e2e tests).
e2e_skip() {
  echo "SKIP: $*"
  exit 77
}

# Starts command $2... in folder $1 (the program under a wrapper, or an installed one); sets APP_PID.
e2e_start_command() {
  local dir="$1"
  shift
  (cd "$dir" && exec "$@") >"$E2E_TMP/app.log" 2>&1 &
  APP_PID=$!
  E2E_PIDS+=("$APP_PID")
}

# Queries $2 in main window $1 (the input box at 57,73) and prints the result box (96,186).
e2e_query() {
  e2e_click "$1" 57 73
  xdotool key ctrl+a BackSpace
  e2e_paste "$2"
  xdotool key Return
  e2e_click "$1" 96 186
  e2e_copy_focused_text
}

# Clicks 退出 (178,12) in main window $1 and waits for the program to end; sets APP_RC to its
# exit code (not printed: only this shell can wait for the program).
e2e_quit() {
  e2e_click "$1" 178 12
  e2e_wait_for_end 退出
}

# Waits up to 10 s (sanitized: 40) for the program to end after $1 (what should end it);
# sets APP_RC to its exit code.
e2e_app_ended() { ! kill -0 "$APP_PID" 2>/dev/null; }
e2e_wait_for_end() {
  e2e_poll 10 e2e_app_ended ||
    fail "still running $((10 * E2E_SLOWDOWN)) s after $1; program output: $(cat "$E2E_TMP/app.log")"
  wait "$APP_PID" && APP_RC=0 || APP_RC=$?
}
