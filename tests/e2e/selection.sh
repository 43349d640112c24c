#!/usr/bin/env bash
# zarvik-lookup's --selection, --clipboard and --notify on a real X display: texts selected
# and copied with xclip (one character, several, one outside GBK, a large one sent in pieces,
# none, a picture only), a program holding the selection that never answers, notifications
# recorded by a small service on a private session bus and the answer printed without one,
# a display that refuses the connection (it asks for an xauth cookie), and a Wayland session
# without X. With ZARVIK_E2E_DISPLAY=xwayland the X display is
# XWayland's in a weston session.
source "$(dirname "$0")/lib.sh"
: "${ZARVIK_LOOKUP:?ZARVIK_LOOKUP must name zarvik-lookup}"
: "${ZARVIK_DATA_DIR:?ZARVIK_DATA_DIR must name the folder of the generated tables}"
here="$(cd "$(dirname "$0")" && pwd)"
# python3-dbus and python3-xlib are Debian's, for Debian's interpreter.
py=/usr/bin/python3
"$py" -c 'import dbus, gi, Xlib' 2>/dev/null ||
  fail "$py lacks python3-dbus, python3-gi or python3-xlib (scripts/setup.sh installs them)"

LOOKUP_TMP="$E2E_TMP"
source "$here/../support/lookup.sh"

e2e_start_display
note "on $DISPLAY${WAYLAND_DISPLAY:+ (Wayland $WAYLAND_DISPLAY)}"
cd "$ZARVIK_DATA_DIR"
# The copied text: weston's XWayland bridge (weston 10) crashes on its headless back end,
# which has no seat, once an X program takes the CLIPBOARD; there the selection stands in.
copied=clipboard copy_option=--clipboard nothing_copied="剪贴板中没有文字"
if [ -n "${WAYLAND_DISPLAY:-}" ]; then
  note "the cases of the CLIPBOARD run with the PRIMARY selection: weston has no seat here"
  copied=primary copy_option=--selection nothing_copied="未选中文字"
fi

# --- What is selected or copied, answered a character at a time. ---------------------
printf '字' | e2e_hold_selection primary UTF8_STRING
lookup --selection;                 expect "one character" 0 "$zi" ""
printf ' 仓\t颉\n\u3000字\n' | e2e_hold_selection primary UTF8_STRING
lookup --selection --both
expect "several, blanks and line ends skipped" 0 "$cang$nl$cang$nl$jie5$nl$jie3$nl$zi$nl$zi" ""
printf '颉\xff' | e2e_hold_selection $copied UTF8_STRING
lookup $copy_option --cj3;          expect "a malformed byte" 1 "$jie3" "未找到: �"
printf '㗎' | e2e_hold_selection $copied UTF8_STRING
lookup $copy_option --quick;        expect "outside GBK, Quick" 0 "㗎 rd 口木" ""
# Far larger than one request carries: the owner sends it in pieces.
{ for _ in $(seq 21); do printf '字'; done; head -c 3000000 /dev/zero | tr '\0' a; } |
  e2e_hold_selection $copied UTF8_STRING
lookup $copy_option
expect "a long text, sent in pieces" 0 "$(yes "$zi" | head -n 20)" "只查询了前20个字"
e2e_selection_holds $copied UTF8_STRING || fail "the owner of a long text, left in the middle of sending it"
printf '\x89PNG\r\n' | e2e_hold_selection $copied image/png
lookup $copy_option;                expect "a picture only" 1 "" "$nothing_copied"
e2e_release_selection
e2e_wait_for "the selection without owner" 5 e2e_selection_unowned primary
lookup --selection;                 expect "nothing selected" 1 "" "未选中文字"

# --- A program that holds the selection and never answers. ----------------------------
"$py" "$here/silent_owner.py" PRIMARY >"$E2E_TMP/silent" 2>&1 &
silent=$!
E2E_PIDS+=("$silent")
e2e_wait_for "the silent owner" 5 grep -qx owner "$E2E_TMP/silent"
start_ns=$(date +%s%N)
lookup --selection
elapsed_ms=$((($(date +%s%N) - start_ns) / 1000000))
[ "$rc" = 2 ] && [ -z "$out" ] &&
  [ "$err" = "zarvik-lookup: cannot read the selection: the program that holds it did not answer within 1000 ms" ] ||
  fail "a silent owner: rc $rc, stdout '$out', stderr '$err'"
[ "$elapsed_ms" -le 1500 ] || fail "a silent owner: given up after $elapsed_ms ms"
note "a silent owner given up after $elapsed_ms ms"
kill "$silent"
wait "$silent" 2>/dev/null || true

# --- Notifications: one, recorded, instead of the answer; the answer without a service. -
record="$E2E_TMP/notifications"
e2e_start_notification_service "$record"
printf '仓颉&' | e2e_hold_selection primary UTF8_STRING
lookup --selection --notify;        expect "--notify" 1 "" ""
lookup --selection --notify;        expect "--notify again" 1 "" ""
e2e_release_selection
e2e_wait_for "the selection without owner" 5 e2e_selection_unowned primary
lookup --selection --notify;        expect "--notify, nothing selected" 1 "" ""
printf '字\n%.0s' {1..100} | lookup --notify; expect "--notify, a hundred queries" 0 "" ""
# What the service was sent: the body's '&' escaped for its markup; the second replaces the
# first, its own; no action, the server's time; of many queries, the first 200 bytes or so.
"$py" - "$record" <<'EOF' || fail "the notifications recorded: $(cat "$record")"
import json, sys
sent = [json.loads(line) for line in open(sys.argv[1], encoding="utf-8")]
common = {"app": "Zarvik", "icon": "example.zarvik.Zarvik", "actions": [], "timeout": -1,
          "hints": {"transient": True, "desktop-entry": "example.zarvik.Zarvik"}}
answer = "仓 osu 人尸山\n颉 grmbo 土口一月人\n未找到: &amp;"
want = [dict(common, summary="仓颉&", body=answer, replaces=0, id=1),
        dict(common, summary="仓颉&", body=answer, replaces=1, id=2),
        dict(common, summary="未选中文字", body="", replaces=2, id=3),
        dict(common, summary="字" + " 字" * 49 + " …", body="\n".join(["字 jnd 十弓木"] * 100),
             replaces=3, id=4)]
for got, expected in zip(sent, want):
    assert got == expected, f"{got} != {expected}"
assert len(sent) == len(want), f"{len(sent)} notifications"
EOF
kill "$NOTIFICATIONS_PID"
wait "$NOTIFICATIONS_PID" 2>/dev/null || true
printf '字' | e2e_hold_selection primary UTF8_STRING
lookup --selection --notify
expect "--notify without a service" 0 "$zi" \
  "zarvik-lookup: no notification could be shown: no notification service on the session bus"
# A service started again numbers its notifications anew: the id kept is not ours there.
e2e_start_notification_service "$record.again"
lookup --selection --notify;        expect "--notify, the service started again" 0 "" ""
grep -qF '"replaces": 0,' "$record.again" || fail "replaces another's: $(cat "$record.again")"
e2e_release_selection

# --- A display that would not take us (no authorization): said so, not "no display". ----
command -v xauth >/dev/null || fail "xauth missing (package xauth; scripts/setup.sh installs it)"
n=$((${DISPLAY#:} + 1))
while ! e2e_display_free "$n"; do n=$((n + 1)); done
xauth -f "$E2E_TMP/cookie" add ":$n" . "$(mcookie)"
Xvfb ":$n" -nolisten tcp -auth "$E2E_TMP/cookie" 2>/dev/null &
E2E_PIDS+=("$!")
XAUTHORITY="$E2E_TMP/cookie" DISPLAY=":$n" e2e_wait_for "the display that asks for a cookie" 10 \
  e2e_display_answers
XAUTHORITY=/dev/null DISPLAY=":$n" lookup --selection
[ "$rc" = 2 ] && [ -z "$out" ] && [ "$(tail -n1 <<<"$err")" = \
  "zarvik-lookup: cannot read the selection: the X display at \":$n\" refused the connection" ] ||
  fail "a display that refuses: rc $rc, $err"

# --- A Wayland session without X: said plainly. ---------------------------------------
DISPLAY="" WAYLAND_DISPLAY=wayland-1 lookup --clipboard
expect "Wayland without X" 2 "" "zarvik-lookup: cannot read the clipboard on this Wayland \
session: it can be read only through XWayland, and there is none (DISPLAY is not set)"
echo "PASS"
