#!/usr/bin/env bash
# The window left alone costs nothing: below scale 1 too, where a logical pixel is no whole
# device pixel and a control that compares what it painted with its size may never agree.
source "$(dirname "$0")/lib.sh"
: "${ZARVIK_DATA_DIR:?ZARVIK_DATA_DIR must name the folder with the tables}"
e2e_start_display

# The CPU time the program has used so far, in clock ticks (user and system).
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$APP_PID/stat"; }

# Whether the program, once its window shows, settles: within about 30 s there come 2 s in
# which it uses at most a twentieth of a core. A window that repaints itself for ever keeps
# a good part of a core even on a busy machine; an idle one uses next to nothing, however
# slow the machine or the build.
settles() {
  local tick_rate window=2 before after _
  tick_rate="$(getconf CLK_TCK)"
  for _ in $(seq 15); do
    before="$(cpu_ticks)"
    sleep "$window"
    after="$(cpu_ticks)"
    note "$((after - before)) ticks in ${window} s"
    [ $(((after - before) * 20)) -le $((tick_rate * window)) ] && return 0
  done
  return 1
}

for scale in 0.75 0.5 0.25; do
  note "scale $scale: the idle window settles"
  export QT_SCALE_FACTOR="$scale"
  e2e_start_app "$ZARVIK_DATA_DIR"
  unset QT_SCALE_FACTOR
  [ -n "$(e2e_windows 10)" ] || fail "no window at scale $scale: $(cat "$E2E_TMP/app.log")"
  settles || fail "the idle window at scale $scale keeps the processor busy"
  kill "$APP_PID"
  wait "$APP_PID" 2>/dev/null || true
done
echo "PASS"
