#!/usr/bin/env bash
# The whole program: a query by Enter, the table switch, stay-on-top, moving and closing.
source "$(dirname "$0")/lib.sh"
: "${ZARVIK_DATA_DIR:?ZARVIK_DATA_DIR must name the folder with the tables}"
e2e_start_display
e2e_start_app "$ZARVIK_DATA_DIR"
win="$(e2e_main_window 10)" || fail "no main window"
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
sleep 0.5

# Window-relative places of the controls (the layout's geometry; the first sheet's client
# area starts at 2, 47).
input=(57 73); result=(96 186); cangsan=(119 132); ontop=(27 216); strip=(30 12); quit=(178 12)

note "outline: olive on the window's outermost pixels"
for xy in "0 0" "193 0" "0 232" "193 232" "0 100" "100 0"; do
  # shellcheck disable=SC2086
  [ "$(e2e_pixel "$win" $xy)" = "808000" ] || fail "pixel ($xy) is $(e2e_pixel "$win" $xy)"
done

note "pictures of both pages (for the gallery)"
e2e_shot "$win" window-query-page
e2e_click "$win" 63 36 # the second tab, "关于"
sleep 0.3
e2e_shot "$win" window-about-page
e2e_click "$win" 22 36 # back to "查询"
sleep 0.3

note "paste 字 into the input box, press Enter, read the result box"
e2e_click "$win" "${input[@]}"
e2e_paste "字"
xdotool key Return
sleep 0.5
e2e_click "$win" "${result[@]}"
answer="$(e2e_copy_focused_text)"
[ "$answer" = "字 jnd 十弓木" ] || fail "answer for 字: '$answer'"

note "switch to 仓三 with the mouse and query 倉"
e2e_click "$win" "${cangsan[@]}"
e2e_click "$win" "${input[@]}"
xdotool key ctrl+a BackSpace
e2e_paste "倉"
xdotool key Return
sleep 0.5
e2e_click "$win" "${result[@]}"
answer="$(e2e_copy_focused_text)"
case "$answer" in "倉 "*) ;; *) fail "answer for 倉 in the Cangjie 3 table: '$answer'" ;; esac
cj3line="$(iconv -f GBK -t UTF-8 "$ZARVIK_DATA_DIR/cj3.m" | grep "^倉 " | head -n1 || true)"
[ "$answer" = "$cj3line" ] || fail "answer '$answer' is not the Cangjie 3 line '$cj3line'"

note "置顶 off and on again: the window leaves the top band and returns, unmoved"
before="$(e2e_pos "$win")"
e2e_is_above "$win" || fail "not on top at start"
e2e_click "$win" "${ontop[@]}"
if e2e_is_above "$win"; then fail "still on top after unchecking 置顶"; fi
e2e_click "$win" "${ontop[@]}"
e2e_is_above "$win" || fail "not on top after checking 置顶 again"
[ "$(e2e_pos "$win")" = "$before" ] || fail "moved from $before to $(e2e_pos "$win")"

note "drag the title strip"
xdotool mousemove --window "$win" "${strip[@]}" mousedown 1
sleep 0.2
xdotool mousemove_relative -- 40 20
sleep 0.2
xdotool mousemove_relative -- 60 30
sleep 0.2
xdotool mouseup 1
sleep 0.5
after="$(e2e_pos "$win")"
[ "$after" != "$before" ] || fail "the window did not move"
bx="${before%,*}"; by="${before#*,}"; ax="${after%,*}"; ay="${after#*,}"
[ $((ax - bx)) -eq 100 ] && [ $((ay - by)) -eq 50 ] || fail "moved from $before to $after"

note "退出 ends the program with 0"
e2e_click "$win" "${quit[@]}"
for i in $(seq 50); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$APP_PID" 2>/dev/null; then fail "still running after 退出"; fi
wait "$APP_PID" && rc=0 || rc=$?
[ "$rc" -eq 0 ] || fail "exit code $rc"
echo "PASS"
