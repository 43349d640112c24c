#!/usr/bin/env bash
# Start-up: error boxes for missing tables, the window's place, size, frame and band.
source "$(dirname "$0")/lib.sh"
: "${ZARVIK_DATA_DIR:?ZARVIK_DATA_DIR must name the folder with the tables}"
e2e_start_display

note "started in a folder without tables: one box per missing table, cj5.m first"
empty="$E2E_TMP/empty"
mkdir "$empty"
# Nor does the program load a library from its working folder.
echo "not a library" >"$empty/libQt6Widgets.so.6"
e2e_start_app "$empty"
box="$(e2e_error_box 30)" || fail "no error box; $(e2e_describe_windows)"
[ "$(xdotool getwindowname "$box")" = "Zarvik2.2" ] || fail "error box title: $(xdotool getwindowname "$box")"
first="$(e2e_read_and_close_error_box "$box")"
[ "$first" = "Cannot open file \"$empty/cj5.m\". No such file or directory." ] || fail "first box: $first"
e2e_wait_for "the first error box to close" 5 e2e_is_gone "$box"
box="$(e2e_error_box 30)" || fail "no second error box; $(e2e_describe_windows)"
second="$(e2e_read_and_close_error_box "$box")"
[ "$second" = "Cannot open file \"$empty/cj3.m\". No such file or directory." ] || fail "second box: $second"
win="$(e2e_main_window 30)" || fail "no main window after the boxes"
e2e_is_above "$win" || fail "window not on top"
[ "$(e2e_pos "$win")" = "257,289" ] || fail "window at $(e2e_pos "$win")"
# No frame: the window manager's frame of the client has the client's own size.
frame="$(xprop -id "$win" _NET_FRAME_EXTENTS | sed 's/.*= //')"
[ "$frame" = "0, 0, 0, 0" ] || fail "frame extents $frame"
kill "$APP_PID"; wait "$APP_PID" 2>/dev/null || true

note "started beside the generated tables: no error box"
e2e_start_app "$ZARVIK_DATA_DIR"
win="$(e2e_main_window 30)" || fail "no main window"
# The error boxes come before the window shows.
if e2e_error_box 1 >/dev/null; then fail "an error box appeared"; fi
e2e_is_above "$win" || fail "window not on top"
kill "$APP_PID"; wait "$APP_PID" 2>/dev/null || true
echo "PASS"
