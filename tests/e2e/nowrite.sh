#!/usr/bin/env bash
# The program only reads: a first start by a new user, queries in both tables and 退出, with
# every open traced; no open may ask for writing.
source "$(dirname "$0")/lib.sh"
: "${ZARVIK_DATA_DIR:?ZARVIK_DATA_DIR must name the folder with the tables}"
command -v strace >/dev/null || e2e_skip "strace is not installed"

# A home of its own, so that anything Qt or the libraries would create for a new user shows.
export HOME="$E2E_TMP/home"
mkdir "$HOME"
unset XDG_CACHE_HOME XDG_CONFIG_HOME XDG_DATA_HOME XDG_STATE_HOME
# The leak check stops the world with ptrace, which fails under strace; other tests cover leaks.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
# fontconfig writes the cache of a font folder the first process to look finds stale or
# missing. That is the system's doing, not the program's, so the cache is brought up to date first.
fc-cache >/dev/null 2>&1 || note "fc-cache failed; a stale font cache will show below"

tables="$E2E_TMP/tables"
mkdir "$tables"
cp "$ZARVIK_DATA_DIR/cj5.m" "$ZARVIK_DATA_DIR/cj3.m" "$tables/"
log="$E2E_TMP/opens.log"

e2e_start_display
# -D keeps the program the shell's own child: its pid names its windows and gives its exit code.
e2e_start_command "$tables" strace -D -f -e trace=open,openat,openat2,creat -o "$log" "$ZARVIK_BIN"
e2e_await_main_window

note "queries in the Cangjie 5 table, then in the Cangjie 3 table"
answer="$(e2e_query "$win" 字)"
[ "$answer" = "字 jnd 十弓木" ] || fail "answer for 字: '$answer'"
e2e_click "$win" 119 132 # 仓三
answer="$(e2e_query "$win" 乃)" # its lines in the two tables differ
cj3line="$(iconv -f GBK -t UTF-8 "$ZARVIK_DATA_DIR/cj3.m" | grep "^乃 " | head -n1 || true)"
[ -n "$cj3line" ] && [ "$answer" = "$cj3line" ] || fail "answer for 乃: '$answer', table line '$cj3line'"
answer="$(e2e_query "$win" 字)"
case "$answer" in "字 "*) ;; *) fail "answer for 字 in the Cangjie 3 table: '$answer'" ;; esac

note "退出"
e2e_quit "$win"
[ "$APP_RC" -eq 0 ] || fail "exit code $APP_RC: $(cat "$E2E_TMP/app.log")"
# The tracer outlives the program by a moment; its last line is the program's end.
# strace pads the pid column, so short pids are followed by more than one space.
ended="^$APP_PID +[+]{3} exited"
for _ in $(seq 100); do grep -Eq "$ended" "$log" && break; sleep 0.1; done
grep -Eq "$ended with 0 [+]{3}" "$log" || fail "the trace did not see the program end: $(tail -n 5 "$log")"

note "every open read-only"
# The trace must have seen the program's own opens, or an empty log would pass.
for table in cj5.m cj3.m; do
  grep -Eq "^[0-9]+ +open(at)?\(.*\"[^\"]*$table\", O_RDONLY" "$log" || fail "no read-only open of $table traced"
done
offending=()
while IFS= read -r line; do
  path="$(sed -E 's/^[^"]*"(([^"\\]|\\.)*)".*/\1/' <<<"$line")"
  # Character devices are not files: libdbus's bus auto-launch helper opens /dev/null
  # read-write for its standard streams.
  [[ "$path" == /dev/* ]] && [ -c "$path" ] && continue
  offending+=("$line")
done < <(grep -E '^[0-9]+ +(open|openat|openat2|creat)\(' "$log" |
  grep -E '^[0-9]+ +creat\(|O_WRONLY|O_RDWR|O_CREAT|O_TRUNC|O_APPEND' || true)
if [ "${#offending[@]}" -gt 0 ]; then
  printf '%s\n' "${offending[@]}" >&2
  fail "${#offending[@]} open(s) for writing (above)"
fi
echo "PASS"
