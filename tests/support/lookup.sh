# Running zarvik-lookup in a test script, sourced: `lookup` runs it, `expect` checks the run,
# and the lines of a few characters to check against. Needs ZARVIK_LOOKUP, LOOKUP_TMP (a
# folder for its output) and the script's fail().

# lookup ARG...: runs the program in the current folder; sets out, err and rc.
lookup() {
  "$ZARVIK_LOOKUP" "$@" >"$LOOKUP_TMP/out" 2>"$LOOKUP_TMP/err" && rc=0 || rc=$?
  out="$(cat "$LOOKUP_TMP/out")"
  err="$(cat "$LOOKUP_TMP/err")"
}

# expect WHAT RC OUT ERR: the last run's exit code, standard output and standard error.
expect() {
  [ "$rc" = "$2" ] || fail "$1: exit code $rc, not $2 (stderr: $err)"
  [ "$out" = "$3" ] || fail "$1: stdout '$out', not '$3'"
  [ "$err" = "$4" ] || fail "$1: stderr '$err', not '$4'"
}

# shellcheck disable=SC2034 # used by the scripts that source this
{
  nl=$'\n'
  zi="字 jnd 十弓木"
  cang="仓 osu 人尸山"
  jie5="颉 grmbo 土口一月人"
  jie3="颉 grmo 土口一人"
}
