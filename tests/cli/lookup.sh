#!/usr/bin/env bash
# zarvik-lookup end to end with the generated tables: both directions, Quick codes, standard
# input, a whole text at once, the table folders it looks in, its exit codes and messages,
# its manual page and its shell completions.
set -uo pipefail
shopt -s lastpipe # `... | lookup` sets the results in this shell
: "${ZARVIK_LOOKUP:?ZARVIK_LOOKUP must name the program}"
: "${ZARVIK_DATA_DIR:?ZARVIK_DATA_DIR must name the folder of the generated tables}"
: "${ZARVIK_SOURCE_DIR:?ZARVIK_SOURCE_DIR must name the source folder}"

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

LOOKUP_TMP="$tmp"
source "$(dirname "$0")/../support/lookup.sh"

cd "$ZARVIK_DATA_DIR" || exit 1

# --- From characters to lines: the window's answers, in either table. ------------------
lookup 字;                      expect "one character" 0 "$zi" ""
lookup --cj3 倉;                expect "--cj3" 0 "倉 oiar 人戈日口" ""
lookup 颉;                      expect "Cangjie 5 is the default" 0 "$jie5" ""
lookup --cj3 颉;                expect "--cj3 reads cj3.m" 0 "$jie3" ""
lookup --both 颉;               expect "--both: Cangjie 5, then 3" 0 "$jie5$nl$jie3" ""
lookup --cj3 --cj5 颉;          expect "the last table option counts" 0 "$jie5" ""
lookup 仓 字;                   expect "queries in order" 0 "$cang$nl$zi" ""
lookup --each 仓颉;             expect "--each" 0 "$cang$nl$jie5" ""
lookup --each "仓 颉";          expect "--each skips blanks" 0 "$cang$nl$jie5" ""
lookup --each $'仓\t颉';         expect "--each skips tabs" 0 "$cang$nl$jie5" ""
lookup --each "仓　颉";         expect "--each skips the ideographic space" 0 "$cang$nl$jie5" ""
lookup "jnd 十";                expect "any text of a line" 0 "$zi" ""
lookup 㗎;                      expect "a character GBK cannot hold" 0 "㗎 rkrd 口大口木" ""
lookup --cj3 𨋢;                expect "beyond the BMP, in Cangjie 3" 0 "𨋢 jjyt 十十卜廿" ""

# --- From codes to characters, in table order. ----------------------------------------
zi2="𡧖 jnd 十弓木"
lookup --code jnd;              expect "--code" 0 "$zi$nl$zi2" ""
lookup --code JnD;              expect "--code ignores case" 0 "$zi$nl$zi2" ""
lookup --code hnd
expect "--code lists every character, most frequent first" 0 \
  "朵 hnd 竹弓木${nl}梨 hnd 竹弓木 xhnd 難竹弓木${nl}凩 hnd 竹弓木 xxhnd 難難竹弓木${nl}𣟉 hnd 竹弓木${nl}𥫞 hnd 竹弓木" ""
lookup --code rkrd;             expect "--code finds what GBK cannot hold" 0 "㗎 rkrd 口大口木" ""
lookup --prefix jn
[ "$rc" = 0 ] && [ "$(head -n1 <<<"$out")" = "$zi" ] || fail "--prefix jn starts with 字: $out"
grep -qx "麴 jepfd 十水心火木 jnpfd 十弓心火木" <<<"$out" || fail "--prefix jn misses a second code"
awk '{ for (i = 2; i <= NF; i += 2) if ($i ~ /^jn/) next; exit 1 }' <<<"$out" ||
  fail "--prefix jn prints a line without such a code: $out"
lookup --both --code grmo;      expect "--both --code, found in one table" 1 "$jie3" "未找到: grmo"

# --- Quick codes: the first and the last key, shown and searched. ---------------------
lookup --quick --cj3 梨;        expect "--quick from Cangjie 3 codes" 0 "梨 hd 竹木 hx 竹難" ""
lookup --quick --code jd
[ "$rc" = 0 ] && [ "$(head -n2 <<<"$out")" = "未 jd 十木${nl}字 jd 十木" ] &&
  [ "$(grep -c ' jd ' <<<"$out")" = "$(wc -l <<<"$out")" ] || fail "--quick --code jd: $out"
lookup --quick --prefix x
awk '{ for (i = 2; i <= NF; i += 2) if ($i ~ /^x/) next; exit 1 }' <<<"$out" && [ "$rc" = 0 ] ||
  fail "--quick --prefix x prints a line without such a Quick code: $out"

# --- Standard input: one query a line, answers in order. ------------------------------
printf '仓\n字\r\n颉' | lookup
expect "queries from standard input, CR LF and a last line without LF" 0 "$cang$nl$zi$nl$jie5" ""
printf 'jnd\nhnd\n' | lookup --code
[ "$rc" = 0 ] && [ "$(wc -l <<<"$out")" = 7 ] || fail "codes from standard input: $out"
{ head -c 1100000 /dev/zero | tr '\0' a; echo; } | lookup
[ "$rc" = 2 ] && grep -q "line 1 of standard input is longer than" <<<"$err" ||
  fail "an overlong input line: rc $rc, $err"
mib() { head -c 1048576 /dev/zero | tr '\0' a; }
{ mib; echo; mib; } | lookup --code
[ "$rc" = 1 ] && [ "$(grep -c "^未找到: a" <<<"$err")" = 2 ] ||
  fail "two input lines of exactly 1 MiB, the last without LF: rc $rc, ${err:0:200}"
# A line without an end is refused once it is too long, not after it has all been read.
head -c $((8 << 20)) /dev/zero | tr '\0' a >"$tmp/endless"
exec 3<"$tmp/endless"
lookup <&3
read_to="$(awk '/^pos:/ { print $2 }' "/proc/$$/fdinfo/3")"
exec 3<&-
[ "$rc" = 2 ] && [ "$read_to" -le $(((1 << 20) + (128 << 10))) ] ||
  fail "8 MiB without a line end: rc $rc, read $read_to bytes, $err"
printf '\xEF\xBB\xBF字\n仓\n' | lookup;  expect "a byte-order mark before the first line" 0 "$zi$nl$cang" ""
printf '仓\n字\r' | lookup;            expect "a last line ending in CR alone" 0 "$cang$nl$zi" ""
printf '字\n \t\n\n仓\n' | lookup
expect "lines of blanks only are no queries, the rest answered" 2 "$zi$nl$cang" \
  "zarvik-lookup: line 2 of standard input: a query of blanks only${nl}zarvik-lookup: line 3 of standard input: an empty query"
printf '字\n \t\n\n仓\n' | lookup --each
expect "--each: the blank lines of a text are blanks" 0 "$zi$nl$cang" ""
# A text that is one line longer than any query: looked up a piece at a time, no character cut.
yes 字 | head -c 4M | tr -d '\n' | "$ZARVIK_LOOKUP" --each 2>"$tmp/err" |
  awk -v zi="$zi" '$0 != zi { other++ } END { print NR, other + 0 }' >"$tmp/out"
rc="${PIPESTATUS[3]}"
[ "$rc" = 0 ] && [ "$(cat "$tmp/out")" = "1048576 0" ] && [ ! -s "$tmp/err" ] ||
  fail "--each, a line of 3 MiB: rc $rc, lines and others $(cat "$tmp/out"), $(cat "$tmp/err")"
# A non-blocking standard input that is empty when first read: waited on, not an error.
/usr/bin/python3 - "$ZARVIK_LOOKUP" >"$tmp/out" 2>&1 <<'PYTHON' || fail "a non-blocking standard input: $(cat "$tmp/out")"
import fcntl, os, subprocess, sys, time
read, write = os.pipe()
fcntl.fcntl(read, fcntl.F_SETFL, fcntl.fcntl(read, fcntl.F_GETFL) | os.O_NONBLOCK)
lookup = subprocess.Popen([sys.argv[1]], stdin=read, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
os.close(read)
# Until it waits for input (or has given up on it).
deadline = time.monotonic() + 10
while lookup.poll() is None and time.monotonic() < deadline:
    with open(f"/proc/{lookup.pid}/wchan") as wchan:
        if "poll" in wchan.read():
            break
    time.sleep(0.01)
if lookup.poll() is None:
    os.write(write, "字\n".encode())
os.close(write)
out, err = lookup.communicate(timeout=10)
if (lookup.returncode, out.decode(), err.decode()) != (0, "字 jnd 十弓木\n", ""):
    sys.exit(f"exit code {lookup.returncode}, stdout {out!r}, stderr {err!r}")
PYTHON
# A reader that is gone, where SIGPIPE is ignored: the first write that fails ends the run.
(trap '' PIPE
  yes 字 | timeout 20 "$ZARVIK_LOOKUP" 2>"$tmp/err" | head -n1 >"$tmp/out"
  echo "${PIPESTATUS[1]}" >"$tmp/rc")
[ "$(cat "$tmp/rc")" = 2 ] && [ "$(cat "$tmp/out")" = "$zi" ] &&
  [ "$(cat "$tmp/err")" = "zarvik-lookup: write error: Broken pipe" ] ||
  fail "a gone reader with SIGPIPE ignored: rc $(cat "$tmp/rc"), $(cat "$tmp/err")"

# --- A whole text at once: from the index, the answers of one query at a time. ---------
# Characters of the table (some twice), some it does not hold, one GBK cannot, a byte that
# is no UTF-8, and blanks, in the table of every character and in the GBK table alone.
mkdir "$tmp/gbk-only" && cp cj5.m "$tmp/gbk-only/"
mapfile -t characters < <(cut -d' ' -f1 cj5-utf8.m | sed -n '1~397p')
characters=(仓 😀 "${characters[@]}" 𠀀 "${characters[@]:0:40}" ㊣ $'\xFF' $'\xE5' 字)
text="$(printf '%s' "${characters[@]:0:9}") $(printf '%s' "${characters[@]:9}")	"
for folder in "$ZARVIK_DATA_DIR" "$tmp/gbk-only"; do
  one=""
  for character in "${characters[@]}"; do
    one+="$("$ZARVIK_LOOKUP" --tables "$folder" "$character" 2>&1)$nl"
  done
  whole="$(printf '%s\n' "$text" | "$ZARVIK_LOOKUP" --tables "$folder" --each 2>&1)"
  [ "$whole" = "${one%$nl}" ] || fail "--each in $folder differs from one query at a time:$nl$(diff <(echo "$whole") <(echo "${one%$nl}") | head -5)"
done

# --- What is not found: a note each, the rest still answered, exit 1. -----------------
lookup --tables "$tmp/gbk-only" 𠀀; expect "outside GBK, with the GBK table alone" 1 "" "不在GBK字符集中: 𠀀"
lookup 😀;                       expect "in no table" 1 "" "未找到: 😀"
lookup 字字字;                   expect "not found" 1 "" "未找到: 字字字"
lookup --code zzzzzz;            expect "no such code" 1 "" "未找到: zzzzzz"
lookup --code 1;                 expect "not a code" 1 "" "未找到: 1"
lookup $'\xE5\xAD';               expect "a character cut short" 1 "" "未找到: "$'\xE5\xAD'
lookup 字 字字字 仓;             expect "a miss among answers" 1 "$zi$nl$cang" "未找到: 字字字"
"$ZARVIK_LOOKUP" 字 字字字 仓 >"$tmp/both" 2>&1
[ "$(cat "$tmp/both")" = "$zi${nl}未找到: 字字字$nl$cang" ] || fail "answers and notes out of order: $(cat "$tmp/both")"

# --- The table folders. ---------------------------------------------------------------
cd "$tmp" || exit 1
lookup --tables "$ZARVIK_DATA_DIR" 字;  expect "--tables" 0 "$zi" ""
lookup --tables=/nonexistent 字
expect "a missing table folder" 2 "" \
  "zarvik-lookup: Cannot open file \"/nonexistent/cj5.m\". No such file or directory."
mkdir half && cp "$ZARVIK_DATA_DIR/cj5.m" half/
# A file named as a library the program needs, in the working folder, is never loaded.
echo "not a library" >half/libstdc++.so.6
cd half || exit 1
lookup 字;                       expect "a folder with cj5.m" 0 "$zi" ""
lookup --cj3 字
expect "a table folder without cj3.m" 2 "" \
  "zarvik-lookup: Cannot open file \"$tmp/half/cj3.m\". No such file or directory."
# Installed under some prefix: the tables are found from the program's own place.
mkdir -p "$tmp/prefix/bin" "$tmp/prefix/share/zarvik/tables" "$tmp/elsewhere"
cp "$ZARVIK_LOOKUP" "$tmp/prefix/bin/"
cp "$ZARVIK_DATA_DIR"/cj*.m "$tmp/prefix/share/zarvik/tables/"
cd "$tmp/elsewhere" || exit 1
built="$ZARVIK_LOOKUP"
ZARVIK_LOOKUP="$tmp/prefix/bin/zarvik-lookup"
lookup --cj3 颉;                 expect "the installed tables" 0 "$jie3" ""
ZARVIK_LOOKUP="$built"

# --- A table with a NUL in it: said, not read as far as the NUL. -----------------------
mkdir "$tmp/nul" && printf '字 jnd x\n\0仓 osu x\n' >"$tmp/nul/cj5.m"
lookup --tables "$tmp/nul" 仓
expect "a NUL inside a table" 2 "" \
  "zarvik-lookup: Cannot read file \"$tmp/nul/cj5.m\". It holds a NUL byte in line 2, and a code table is text."

# A hand-edited table saved with a byte-order mark: the mark is no part of its first line.
mkdir "$tmp/bom" && printf '\357\273\277字 jnd 十弓木\n' >"$tmp/bom/cj5-utf8.m"
lookup --tables "$tmp/bom" 字;         expect "a byte-order mark, by character" 0 "字 jnd 十弓木" ""
lookup --tables "$tmp/bom" --code jnd; expect "a byte-order mark, by code" 0 "字 jnd 十弓木" ""

mkdir "$tmp/empty" && cp "$ZARVIK_DATA_DIR/cj5.m" "$tmp/empty/" && : >"$tmp/empty/cj5-utf8.m"
lookup --tables "$tmp/empty" 字
expect "an empty table of every character, beside the GBK one" 2 "" \
  "zarvik-lookup: Cannot read file \"$tmp/empty/cj5-utf8.m\". It is empty, and a code table has a line for each character."

# --- Arguments in the locale's encoding: a GBK terminal's. ------------------------------
mkdir "$tmp/locale"
if localedef -f GBK -i zh_CN "$tmp/locale/zh_CN.GBK" >/dev/null 2>&1 || [ -d "$tmp/locale/zh_CN.GBK" ]; then
  export LOCPATH="$tmp/locale"
  LC_ALL=zh_CN.GBK lookup --tables "$ZARVIK_DATA_DIR" "$(printf '\xD7\xD6')"; expect "a GBK argument in a GBK locale" 0 "$zi" ""
  LC_ALL=zh_CN.GBK lookup --tables "$ZARVIK_DATA_DIR" 字; expect "a UTF-8 argument in a GBK locale" 0 "$zi" ""
  unset LOCPATH
else
  fail "localedef cannot make a GBK locale (package locales)"
fi

# --- On a terminal, control characters are shown escaped; elsewhere they pass. ----------
mkdir "$tmp/controls" && printf '字 jnd x\033]0;title\007\302\233\n' >"$tmp/controls/cj5-utf8.m"
printf '#!/bin/sh\nexec "%s" --tables "%s" 字 "$(printf "a\\033[2Jb")"\n' \
  "$ZARVIK_LOOKUP" "$tmp/controls" >"$tmp/on-terminal" && chmod +x "$tmp/on-terminal"
shown="$(script -qec "$tmp/on-terminal" /dev/null | tr -d '\r')"
[ "$shown" = "字 jnd x\\x1B]0;title\\x07\\u009B${nl}未找到: a\\x1B[2Jb" ] ||
  fail "control characters on a terminal: $(od -c <<<"$shown" | head -5)"
lookup --tables "$tmp/controls" 字
[ "$out" = "$(printf '字 jnd x\033]0;title\007\302\233')" ] || fail "control characters in a pipe: $out"

# --- Usage, help, version, write errors. ----------------------------------------------
lookup --bogus 字
[ "$rc" = 2 ] && [ -z "$out" ] && grep -q "^zarvik-lookup: unrecognized option '--bogus'" <<<"$err" &&
  grep -qF "Try 'zarvik-lookup --help'" <<<"$err" || fail "an unknown option: rc $rc, $err"
lookup --each --code jnd
[ "$rc" = 2 ] && grep -q "each" <<<"$err" || fail "--each with --code: rc $rc, $err"
lookup --each --prefix jn
[ "$rc" = 2 ] && grep -q "each" <<<"$err" || fail "--each with --prefix: rc $rc, $err"
lookup --tables
[ "$rc" = 2 ] && grep -q "requires an argument" <<<"$err" || fail "--tables alone: rc $rc, $err"
lookup --tables= 字
[ "$rc" = 2 ] && grep -q "needs a folder" <<<"$err" || fail "--tables with an empty folder: rc $rc, $err"
lookup --tables "$ZARVIK_DATA_DIR" " "
expect "a query of blanks only" 2 "" "zarvik-lookup: a query of blanks only${nl}Try 'zarvik-lookup --help' for more information."
lookup --tables "$ZARVIK_DATA_DIR" 字 ""
expect "an empty query" 2 "" "zarvik-lookup: an empty query${nl}Try 'zarvik-lookup --help' for more information."
for wrong in "--selection 字" "--clipboard --code" "--selection --clipboard"; do
  lookup $wrong
  [ "$rc" = 2 ] && [ -z "$out" ] && grep -qF "Try 'zarvik-lookup --help'" <<<"$err" ||
    fail "$wrong: rc $rc, $err"
done
DISPLAY="" WAYLAND_DISPLAY="" lookup --selection
expect "--selection without a display" 2 "" \
  "zarvik-lookup: cannot read the selection: there is no X display (DISPLAY is not set)"
DISPLAY=:65001 lookup --clipboard
expect "--clipboard, no display there" 2 "" \
  "zarvik-lookup: cannot read the clipboard: there is no X display (nothing answers at \":65001\")"
lookup --version;               expect "--version" 0 "zarvik-lookup (Zarvik) 2.2.0" ""
lookup --version --help;        expect "the first of --version and --help" 0 "zarvik-lookup (Zarvik) 2.2.0" ""
lookup --help
[ "$rc" = 0 ] && grep -q "^Usage: zarvik-lookup" <<<"$out" || fail "--help: rc $rc"
help="$out"
lookup --help --version
[ "$rc" = 0 ] && [ "$out" = "$help" ] || fail "--help --version: rc $rc, $out"
# No session bus for --notify: none named, and no runtime folder holding one.
mkdir "$tmp/runtime"
for notify in "" --notify; do
  env -u DBUS_SESSION_BUS_ADDRESS XDG_RUNTIME_DIR="$tmp/runtime" \
    "$ZARVIK_LOOKUP" --tables "$ZARVIK_DATA_DIR" $notify 字 >/dev/full 2>"$tmp/err"
  rc=$?
  [ "$rc" = 2 ] && grep -q "write error" "$tmp/err" || fail "a full disk $notify: rc $rc, $(cat "$tmp/err")"
done
yes 字 | head -n 5000 |
  DBUS_SESSION_BUS_ADDRESS= XDG_RUNTIME_DIR="$tmp/runtime" lookup --tables "$ZARVIK_DATA_DIR" --notify
[ "$rc" = 0 ] && [ "$(grep -cx "$zi" <<<"$out")" = 5000 ] &&
  [ "$err" = "zarvik-lookup: the answer is too long for a notification: printed instead" ] ||
  fail "--notify, an answer too long for it: rc $rc, $(wc -l <<<"$out") lines, $err"

# --- The manual pages: clean for groff, and they name every option --help names. ------
for page in zarvik zarvik-lookup; do
  file="$ZARVIK_SOURCE_DIR/desktop/man/$page.1"
  warnings="$(preconv "$file" | groff -man -Tutf8 -ww -z 2>&1)"
  [ -z "$warnings" ] || fail "$page.1: $warnings"
done
for option in $(grep -oE '^ +--[a-z0-9]+' <<<"$help"); do
  grep -qF -- "${option//-/\\-}" "$ZARVIK_SOURCE_DIR/desktop/man/zarvik-lookup.1" ||
    fail "the manual page lacks $option"
done

# --- The shell completions: every option --help names, folders after --tables. ---------
completions="$ZARVIK_SOURCE_DIR/desktop/completions"
for option in $(grep -oE '^ +--[a-z0-9]+' <<<"$help"); do
  for file in zarvik-lookup.bash _zarvik-lookup; do
    grep -qwF -- "$option" "$completions/$file" || fail "$file lacks $option"
  done
  grep -qE -- "-l ${option#--}( |$)" "$completions/zarvik-lookup.fish" ||
    fail "zarvik-lookup.fish lacks $option"
done
for shell in zsh fish; do
  command -v "$shell" >/dev/null || fail "$shell missing (scripts/setup.sh installs it)"
done
zsh -n "$completions/_zarvik-lookup" || fail "_zarvik-lookup is not zsh"
mkdir -p "$tmp/completing/tables" && touch "$tmp/completing/table.m"
cd "$tmp/completing" || exit 1
completed="$(bash -c 'source "$1"
  for line in "--tables t" "--tables = t" "--q"; do
    read -r -a COMP_WORDS <<<"zarvik-lookup $line"; COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _zarvik_lookup; echo "${COMPREPLY[*]}"
  done' _ "$completions/zarvik-lookup.bash")"
[ "$completed" = "tables${nl}tables$nl--quick" ] || fail "bash completes: $completed"
completed="$(fish -c "source '$completions/zarvik-lookup.fish'
  complete -C'zarvik-lookup --tables t'; complete -C'zarvik-lookup --tables=t'
  complete -C'zarvik-lookup --q'" | cut -f1)"
[ "$completed" = "tables/$nl--tables=tables/$nl--quick" ] || fail "fish completes: $completed"

[ "$failures" -eq 0 ] || { echo "$failures failed" >&2; exit 1; }
echo PASS
