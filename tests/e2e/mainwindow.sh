#!/usr/bin/env bash
# The whole program: a query by Enter, the table switch, stay-on-top, moving and closing.
source "$(dirname "$0")/lib.sh"
: "${ZARVIK_DATA_DIR:?ZARVIK_DATA_DIR must name the folder with the tables}"
e2e_start_display
e2e_start_app "$ZARVIK_DATA_DIR"
e2e_await_main_window

# Window-relative places of the controls (the layout's geometry; the first sheet's client
# area starts at 2, 47).
input=(57 73); result=(96 186); cangsan=(119 132); ontop=(27 216); strip=(30 12); quit=(178 12)
# 置顶's caption: a second click there is no double click of the first.
ontop_caption=(48 216)

note "outline: olive on the window's outermost pixels"
for xy in "0 0" "193 0" "0 232" "193 232" "0 100" "100 0"; do
  # shellcheck disable=SC2086
  [ "$(e2e_pixel "$win" $xy)" = "808000" ] || fail "pixel ($xy) is $(e2e_pixel "$win" $xy)"
done

note "pictures of both pages (for the gallery)"
e2e_shot "$win" window-query-page
# The dot of 仓五 (38, 132), purple on the first page, tells which page shows.
e2e_click "$win" 63 36 # the second tab, "关于"
e2e_wait_for "the page 关于" 5 e2e_pixel_is_not "$win" 38 132 8000FF
e2e_shot "$win" window-about-page
e2e_click "$win" 22 36 # back to "查询"
e2e_wait_for "the page 查询" 5 e2e_pixel_is "$win" 38 132 8000FF

note "paste 字 into the input box, press Enter, read the result box"
e2e_click "$win" "${input[@]}"
e2e_paste "字"
xdotool key Return
e2e_click "$win" "${result[@]}"
answer="$(e2e_copy_focused_text)"
[ "$answer" = "字 jnd 十弓木" ] || fail "answer for 字: '$answer'"

note "switch to 仓三 with the mouse and query 乃, whose lines in the two tables differ"
e2e_click "$win" "${cangsan[@]}"
e2e_click "$win" "${input[@]}"
xdotool key ctrl+a BackSpace
e2e_paste "乃"
xdotool key Return
e2e_click "$win" "${result[@]}"
answer="$(e2e_copy_focused_text)"
line_of() { iconv -f GBK -t UTF-8 "$ZARVIK_DATA_DIR/$1" | grep "^$2 " | head -n1 || true; }
cj3line="$(line_of cj3.m 乃)"
[ -n "$cj3line" ] && [ "$cj3line" != "$(line_of cj5.m 乃)" ] || fail "乃's lines: '$cj3line' in cj3.m, the same in cj5.m"
[ "$answer" = "$cj3line" ] || fail "answer '$answer' is not the Cangjie 3 line '$cj3line'"

note "置顶 off and on again: the window leaves the top band and returns, unmoved"
before="$(e2e_pos "$win")"
e2e_is_above "$win" || fail "not on top at start"
e2e_click "$win" "${ontop[@]}"
e2e_wait_for "the window to leave the top band after unchecking 置顶" 5 e2e_is_not_above "$win"
e2e_click "$win" "${ontop_caption[@]}"
e2e_wait_for "the window to return to the top band after checking 置顶" 5 e2e_is_above "$win"
[ "$(e2e_pos "$win")" = "$before" ] || fail "moved from $before to $(e2e_pos "$win")"

note "drag the title strip"
e2e_press_to_drag "$win" "${strip[@]}" 1
e2e_drag_to "$win" 40 20 "$(e2e_offset "$before" 40 20)"
e2e_drag_to "$win" 60 30 "$(e2e_offset "$before" 100 50)"
xdotool mouseup 1
after="$(e2e_pos "$win")"
[ "$after" != "$before" ] || fail "the window did not move"
bx="${before%,*}"; by="${before#*,}"; ax="${after%,*}"; ay="${after#*,}"
[ $((ax - bx)) -eq 100 ] && [ $((ay - by)) -eq 50 ] || fail "moved from $before to $after"

note "a resize asked of the window manager leaves it at its size: it has no sizing border"
xdotool windowsize "$win" 400 300
resized() { ! e2e_is_main_size "$1"; }
if e2e_poll 1 resized "$win"; then fail "resized to $(e2e_size "$win")"; fi

note "退出 ends the program with 0"
e2e_quit "$win"
[ "$APP_RC" -eq 0 ] || fail "exit code $APP_RC"
echo "PASS"
