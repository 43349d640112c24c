#!/usr/bin/env bash
# Pasting into the input box: 10 MB of text leaves a window that answers, holding what the
# box holds; what the program copied itself pastes; a program that holds the clipboard and
# never answers costs a second, and the paste brings nothing.
source "$(dirname "$0")/lib.sh"
: "${ZARVIK_DATA_DIR:?ZARVIK_DATA_DIR must name the folder with the tables}"
here="$(cd "$(dirname "$0")" && pwd)"
# python3-xlib is Debian's, for Debian's interpreter.
py=/usr/bin/python3
"$py" -c 'import Xlib' 2>/dev/null || fail "$py lacks python3-xlib (scripts/setup.sh installs it)"
e2e_start_display
# Told its display by Qt's option alone: the paste's own question to the clipboard's owner
# must go to that display too.
e2e_start_command "$ZARVIK_DATA_DIR" env -u DISPLAY "$ZARVIK_BIN" -display "$DISPLAY"
e2e_await_main_window
input=(57 73)

# Milliseconds since $1 (a date +%s%N).
since_ms() { echo $((($(date +%s%N) - $1) / 1000000)); }

note "10 MB pasted: the box holds its first 32,767 characters and the window answers"
e2e_click "$win" "${input[@]}"
head -c 10000000 /dev/zero | tr '\0' 'a' | e2e_hold_selection clipboard UTF8_STRING
xdotool key ctrl+v
start_ns=$(date +%s%N)
text="$(e2e_copy_focused_text)"
note "answered after $(since_ms "$start_ns") ms"
[ "${#text}" = 32767 ] || fail "the box holds ${#text} characters after the paste"
# Typing still reaches the box at once: the paste left no work behind.
xdotool key BackSpace b
text="$(e2e_copy_focused_text)"
[ "$text" = b ] || fail "'${text:0:20}' after Ctrl+A, BackSpace and b"
note "what the program copied itself, pasted back: no owner to ask"
xdotool key End ctrl+v
text="$(e2e_copy_focused_text)"
[ "$text" = bb ] || fail "'${text:0:20}' after pasting the program's own copy of b"
e2e_release_selection

# Under a clipboard owner that never answers, xdotool's "$@" must leave a window that
# answers the next keys within 3 s, its box still holding 字.
answers_under_a_silent_owner() {
  "$py" "$here/silent_owner.py" CLIPBOARD >"$E2E_TMP/silent" 2>&1 &
  E2E_PIDS+=("$!")
  e2e_wait_for "the silent owner" 5 grep -qx owner "$E2E_TMP/silent"
  local start_ns text elapsed_ms
  start_ns=$(date +%s%N)
  xdotool "$@"
  text="$(e2e_copy_focused_text)"
  elapsed_ms=$(since_ms "$start_ns")
  note "answered after $elapsed_ms ms"
  [ "$text" = "字" ] || fail "after xdotool $* the box holds '$text'"
  [ "$elapsed_ms" -le 3000 ] || fail "the window answered only after $elapsed_ms ms"
}

note "a clipboard owner that never answers: the paste gives up after a second"
e2e_paste "字"
answers_under_a_silent_owner key ctrl+v
note "a right click while it holds the clipboard: no menu waits on it"
answers_under_a_silent_owner mousemove --window "$win" "${input[@]}" click 3
echo "PASS"
