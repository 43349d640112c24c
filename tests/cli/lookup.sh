#!/usr/bin/env bash
# zarvik-lookup end to end with the generated tables: both directions, standard input, the
# table folders it looks in, its exit codes and messages, and its manual page.
set -uo pipefail
shopt -s lastpipe # `... | lookup` sets the results in this shell
: "${ZARVIK_LOOKUP:?ZARVIK_LOOKUP must name the program}"
: "${ZARVIK_DATA_DIR:?ZARVIK_DATA_DIR must name the folder of the generated tables}"
: "${ZARVIK_SOURCE_DIR:?ZARVIK_SOURCE_DIR must name the source folder}"

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# lookup ARG...: runs the program in the current folder; sets out, err and rc.
lookup() {
  "$ZARVIK_LOOKUP" "$@" >"$tmp/out" 2>"$tmp/err"
  rc=$?
  out="$(cat "$tmp/out")"
  err="$(cat "$tmp/err")"
}

# expect WHAT RC OUT ERR: the last run's exit code, standard output and standard error.
expect() {
  [ "$rc" = "$2" ] || fail "$1: exit code $rc, not $2 (stderr: $err)"
  [ "$out" = "$3" ] || fail "$1: stdout '$out', not '$3'"
  [ "$err" = "$4" ] || fail "$1: stderr '$err', not '$4'"
}

nl=$'\n'
zi="字 jnd 十弓木"
cang="仓 osu 人尸山"
jie5="颉 grmbo 土口一月人"
jie3="颉 grmo 土口一人"

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
lookup "jnd 十";                expect "any text of a line" 0 "$zi" ""

# --- From codes to characters, in table order. ----------------------------------------
lookup --code jnd;              expect "--code" 0 "$zi" ""
lookup --code JnD;              expect "--code ignores case" 0 "$zi" ""
lookup --code hnd
expect "--code lists every character, most frequent first" 0 \
  "朵 hnd 竹弓木${nl}梨 hnd 竹弓木 xhnd 難竹弓木${nl}凩 hnd 竹弓木 xxhnd 難難竹弓木" ""
lookup --prefix jn
[ "$rc" = 0 ] && [ "$(head -n1 <<<"$out")" = "$zi" ] || fail "--prefix jn starts with 字: $out"
grep -qx "麴 jepfd 十水心火木 jnpfd 十弓心火木" <<<"$out" || fail "--prefix jn misses a second code"
awk '{ for (i = 2; i <= NF; i += 2) if ($i ~ /^jn/) next; exit 1 }' <<<"$out" ||
  fail "--prefix jn prints a line without such a code: $out"
lookup --both --code grmo;      expect "--both --code, found in one table" 1 "$jie3" "未找到: grmo"

# --- Standard input: one query a line, answers in order. ------------------------------
printf '仓\n字\r\n颉' | lookup
expect "queries from standard input, CR LF and a last line without LF" 0 "$cang$nl$zi$nl$jie5" ""
printf 'jnd\nhnd\n' | lookup --code
[ "$rc" = 0 ] && [ "$(wc -l <<<"$out")" = 4 ] || fail "codes from standard input: $out"
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

# --- What is not found: a note each, the rest still answered, exit 1. -----------------
lookup 𠀀;                       expect "outside GBK" 1 "" "不在GBK字符集中: 𠀀"
lookup 字字字;                   expect "not found" 1 "" "未找到: 字字字"
lookup --code zzzzzz;            expect "no such code" 1 "" "未找到: zzzzzz"
lookup --code 1;                 expect "not a code" 1 "" "未找到: 1"
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
cp "$ZARVIK_DATA_DIR"/cj?.m "$tmp/prefix/share/zarvik/tables/"
cd "$tmp/elsewhere" || exit 1
built="$ZARVIK_LOOKUP"
ZARVIK_LOOKUP="$tmp/prefix/bin/zarvik-lookup"
lookup --cj3 颉;                 expect "the installed tables" 0 "$jie3" ""
ZARVIK_LOOKUP="$built"

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
lookup --version;               expect "--version" 0 "zarvik-lookup (Zarvik) 2.2.0" ""
lookup --version --help;        expect "the first of --version and --help" 0 "zarvik-lookup (Zarvik) 2.2.0" ""
lookup --help
[ "$rc" = 0 ] && grep -q "^Usage: zarvik-lookup" <<<"$out" || fail "--help: rc $rc"
help="$out"
lookup --help --version
[ "$rc" = 0 ] && [ "$out" = "$help" ] || fail "--help --version: rc $rc, $out"
"$ZARVIK_LOOKUP" --tables "$ZARVIK_DATA_DIR" 字 >/dev/full 2>"$tmp/err"
rc=$?
[ "$rc" = 2 ] && grep -q "write error" "$tmp/err" || fail "a full disk: rc $rc, $(cat "$tmp/err")"

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

[ "$failures" -eq 0 ] || { echo "$failures failed" >&2; exit 1; }
echo PASS
