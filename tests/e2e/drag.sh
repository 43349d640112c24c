#!/usr/bin/env bash
# Moving the window with the right and the middle button: the window follows the drag
# exactly and stops with the release of the button that started it; the next left click is
# an ordinary click. Runs under openbox, and as e2e_drag_mutter under mutter.
source "$(dirname "$0")/lib.sh"
: "${ZARVIK_DATA_DIR:?ZARVIK_DATA_DIR must name the folder with the tables}"
e2e_start_display
e2e_start_app "$ZARVIK_DATA_DIR"
e2e_await_main_window

# Prints how far the window moved from position $1 ("x,y") as "dx,dy".
moved_from() {
  local now
  now="$(e2e_pos "$win")"
  echo "$((${now%,*} - ${1%,*})),$((${now#*,} - ${1#*,}))"
}

# The title strip at (30, 12) and the title label "Zarvik 2.2" at (80, 11).
for drag in "3 30 12 strip" "2 80 11 label"; do
  read -r button x y what <<<"$drag"
  note "button $button drags the $what by (60, 40)"
  before="$(e2e_pos "$win")"
  e2e_press_to_drag "$win" "$x" "$y" "$button"
  e2e_drag_to "$win" 20 10 "$(e2e_offset "$before" 20 10)"
  e2e_drag_to "$win" 40 30 "$(e2e_offset "$before" 60 40)"
  xdotool mouseup "$button"
  [ "$(moved_from "$before")" = "60,40" ] || fail "moved by $(moved_from "$before") (from $before)"

  note "after the release, the mouse moves alone"
  released="$(e2e_pos "$win")"
  xdotool mousemove_relative -- -50 -50
  xdotool mousemove_relative -- 30 70
  # A window that followed would show it at once, but nothing can say that it never will:
  # this is the time a follower is given.
  sleep 0.5
  [ "$(e2e_pos "$win")" = "$released" ] || fail "followed the free mouse to $(e2e_pos "$win")"
done

note "the next left click on 退出 is a click: the program ends with 0"
e2e_quit "$win"
[ "$APP_RC" -eq 0 ] || fail "exit code $APP_RC: $(cat "$E2E_TMP/app.log")"
echo "PASS"
