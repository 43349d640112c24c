#!/usr/bin/env bash
# Performance report, printed as markdown: start-up time to the first painted frame and to
# the window being mapped (as the window manager sees it), and resident memory, of the
# program against a plain Qt window (bench/baseline/main.cpp) under Xvfb + openbox, the
# program's size, what the code tables cost in memory, the dict benchmarks, how long
# zarvik-lookup takes for one query, and for a whole text of a million characters beside a
# dictionary in Python doing the same. Not part of the test run.
#
#   bench/report.sh [build folder]        default: <repo>/build (the dev preset's)
#
# Environment: REPORT_RUNS (starts of each program, default 15), REPORT_REPETITIONS
# (benchmark repetitions, default 10), REPORT_SETTLE (seconds between the first paint and
# reading the memory, default 0.5), REPORT_LOOKUP_RUNS (runs of each zarvik-lookup query,
# default 100), REPORT_TEXT_RUNS (runs of each whole text, default 7), REPORT_STARTUP_ONLY
# (when set, only the start-up and memory section).
# Needs: Xvfb, openbox, x11-utils (xprop), g++, pkg-config with Qt6Widgets, python3.
set -euo pipefail

repo="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m "${1:-$repo/build}")"
runs="${REPORT_RUNS:-15}"
repetitions="${REPORT_REPETITIONS:-10}"
settle="${REPORT_SETTLE:-0.5}"
lookup_runs="${REPORT_LOOKUP_RUNS:-100}"
text_runs="${REPORT_TEXT_RUNS:-7}"
startup_only="${REPORT_STARTUP_ONLY:-}"

say() { echo "report: $*" >&2; }

# --- Build what is measured; the build's chatter goes to stderr. ----------------------
if [ ! -f "$build/CMakeCache.txt" ]; then
  if [ "$build" = "$repo/build" ]; then
    (cd "$repo" && cmake --preset dev) >&2
  else
    echo "report: $build is not a configured build folder" >&2
    exit 2
  fi
fi
cmake --build "$build" -j2 --target zarvik zarvik-lookup zarvik_tables zarvik_bench \
  zarvik_mapwatch >&2

cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
build_type="$(cache_value CMAKE_BUILD_TYPE)"
build_type_upper="$(echo "${build_type:-none}" | tr '[:lower:]' '[:upper:]')"
# The baseline gets the compiler flags the program's build type gives it.
read -r -a type_flags <<<"$(cache_value CMAKE_CXX_FLAGS) $(cache_value "CMAKE_CXX_FLAGS_$build_type_upper")"
read -r -a qt_flags <<<"$(pkg-config --cflags --libs Qt6Widgets)"
baseline_src="$repo/bench/baseline/main.cpp"
baseline="$build/bench/report-baseline"
if [ ! -x "$baseline" ] || [ "$baseline_src" -nt "$baseline" ] || [ "$repo/bench/FirstPaint.h" -nt "$baseline" ] || [ "$0" -nt "$baseline" ]; then
  say "building the baseline window ($build_type: ${type_flags[*]})"
  g++ -std=c++20 -fPIC "${type_flags[@]}" "$baseline_src" -o "$baseline" "${qt_flags[@]}"
fi

zarvik="$build/app/zarvik"
tables="$build/data"
bench="$build/bench/zarvik_bench"
mapwatch="$build/bench/zarvik_mapwatch"

# The display and the clean-up of the end-to-end tests.
export ZARVIK_BIN="$zarvik"
# shellcheck source-path=SCRIPTDIR source=../tests/e2e/lib.sh
source "$repo/tests/e2e/lib.sh"

ms() { awk -v us="$1" 'BEGIN { printf "%.1f", us / 1000 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
median() {
  printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 }
    END { if (NR == 0) print 0; else if (NR % 2) print v[(NR + 1) / 2];
          else printf "%d\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# A pipe nobody writes to: read -t on it waits without starting a process, so the
# waiting does not compete with the program being timed.
mkfifo "$E2E_TMP/tick"
exec {tick}<>"$E2E_TMP/tick"
pause() { read -r -t "$1" -u "$tick" _ || true; }

# Accessibility off, for both programs alike: a session bus that cannot be reached, so no
# screen reader can ask for it (and nothing launches a bus either).
export DBUS_SESSION_BUS_ADDRESS="unix:path=$E2E_TMP/no-session-bus"
unset AT_SPI_BUS_ADDRESS

# The map watcher, for all starts: it prints "mapped <us> <pid>" whenever the window manager
# takes a new window on, and waits for events in between, taking no processor time.
start_mapwatch() {
  mkfifo "$E2E_TMP/mapped"
  "$mapwatch" >"$E2E_TMP/mapped" &
  E2E_PIDS+=($!)
  exec {mapped}<"$E2E_TMP/mapped"
  local word
  read -r -t 10 -u "$mapped" word || true
  [ "$word" = ready ] || fail "the map watcher did not start"
}

# measure <program> [smaps copy]: starts it in the tables' folder, waits for its first
# painted frame and for the window manager to take its window on, lets it settle, reads its
# memory and stops it. Sets m_time and m_map (us to the first paint and to the mapping),
# m_rss, m_pss and m_uss (KiB). The clock starts right before exec, so loading the
# libraries counts.
measure() {
  local bin="$1" smaps="${2:-}" out="$E2E_TMP/out" pid start="" paint="" map="" word value who
  rm -f "$out"
  mkfifo "$out"
  (cd "$tables" && echo "start ${EPOCHREALTIME/[.,]/}" &&
    ZARVIK_REPORT_FIRST_PAINT=1 exec "$bin") >"$out" 2>&1 &
  pid=$!
  E2E_PIDS+=("$pid")
  local fd
  exec {fd}<"$out"
  while read -r -t 20 -u "$fd" word value _; do
    case "$word" in
      start) start="$value" ;;
      first-paint) paint="$value"; break ;;
    esac
  done
  if [ -z "$start" ] || [ -z "$paint" ]; then fail "$bin reported no first paint"; fi
  while read -r -t 20 -u "$mapped" word value who; do
    if [ "$word" = mapped ] && [ "$who" = "$pid" ]; then map="$value"; break; fi
  done
  [ -n "$map" ] || fail "the window manager did not take on the window of $bin"
  pause "$settle"
  m_rss="$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status")"
  # Pss (each page divided among the processes mapping it) and USS (the pages no other
  # process maps) both move with what else runs on the machine.
  read -r m_pss m_uss < <(awk '/^Pss:/ { p = $2 } /^Private_(Clean|Dirty):/ { u += $2 }
    END { print p + 0, u + 0 }' "/proc/$pid/smaps_rollup" 2>/dev/null || echo "0 0")
  [ -z "$smaps" ] || cp "/proc/$pid/smaps" "$smaps"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  exec {fd}<&-
  m_time=$((paint - start))
  m_map=$((map - start))
}

load_before="$(cut -d' ' -f1-3 /proc/loadavg)"
e2e_start_display
start_mapwatch
say "display $DISPLAY; load average $load_before; $runs starts each, alternating"

# One start of each first, not counted: it fills the file and font caches for both.
measure "$zarvik"
measure "$baseline"
z_time=() z_map=() z_rss=() z_pss=() z_uss=() b_time=() b_map=() b_rss=() b_pss=() b_uss=()
for i in $(seq "$runs"); do
  # The last start of each keeps its memory map for the breakdown.
  keep_z="" keep_b=""
  [ "$i" -eq "$runs" ] && keep_z="$E2E_TMP/zarvik.smaps" keep_b="$E2E_TMP/baseline.smaps"
  measure "$zarvik" "$keep_z"
  z_time+=("$m_time") z_map+=("$m_map") z_rss+=("$m_rss") z_pss+=("$m_pss") z_uss+=("$m_uss")
  measure "$baseline" "$keep_b"
  b_time+=("$m_time") b_map+=("$m_map") b_rss+=("$m_rss") b_pss+=("$m_pss") b_uss+=("$m_uss")
done
load_after="$(cut -d' ' -f1-3 /proc/loadavg)"

# The start-up section of the report: the medians, their ratios and every start.
verdict() { awk -v r="$1" 'BEGIN { print (r <= 1.1 ? "yes" : "**no**") }'; }
startup_section() {
  local zt bt zm bm zr br zp bp zu bu i
  zt="$(median "${z_time[@]}")" bt="$(median "${b_time[@]}")"
  zm="$(median "${z_map[@]}")" bm="$(median "${b_map[@]}")"
  zr="$(median "${z_rss[@]}")" br="$(median "${b_rss[@]}")"
  zp="$(median "${z_pss[@]}")" bp="$(median "${b_pss[@]}")"
  zu="$(median "${z_uss[@]}")" bu="$(median "${b_uss[@]}")"
  cat <<EOF
## Start-up and memory (median of $runs starts each, alternating, after one uncounted start)

Start-up: from right before exec to the first painted frame of the main window, and to the
moment the window manager adds the window to its client list (\`_NET_CLIENT_LIST\`), which
an X client of the report's watches without polling. Accessibility is off: no session bus
can be reached. Memory: read ${settle}s after the first frame.

| measure | Zarvik | baseline | Zarvik / baseline | within 1.1x |
|---|---:|---:|---:|:---:|
| start-up to first paint (ms) | $(ms "$zt") | $(ms "$bt") | $(ratio "$zt" "$bt") | $(verdict "$(ratio "$zt" "$bt")") |
| start-up to the window being mapped (ms) | $(ms "$zm") | $(ms "$bm") | $(ratio "$zm" "$bm") | $(verdict "$(ratio "$zm" "$bm")") |
| VmRSS (KiB) | $zr | $br | $(ratio "$zr" "$br") | $(verdict "$(ratio "$zr" "$br")") |
| Pss (KiB) | $zp | $bp | $(ratio "$zp" "$bp") | $(verdict "$(ratio "$zp" "$bp")") |
| USS, private pages (KiB) | $zu | $bu | $(ratio "$zu" "$bu") | $(verdict "$(ratio "$zu" "$bu")") |

VmRSS is the measure to compare. Pss and USS count a library page as shared only while
another process maps it too, so they move with what else runs on the machine (other Qt
programs lower both).

All starts (ms to the mapping / to first paint / VmRSS KiB):

| run | Zarvik | baseline |
|---:|---:|---:|
EOF
  for i in "${!z_time[@]}"; do
    echo "| $((i + 1)) | $(ms "${z_map[$i]}") / $(ms "${z_time[$i]}") / ${z_rss[$i]} |" \
      "$(ms "${b_map[$i]}") / $(ms "${b_time[$i]}") / ${b_rss[$i]} |"
  done
}

if [ -n "$startup_only" ]; then
  cat <<EOF
# Zarvik start-up

$(date -u '+%Y-%m-%d %H:%M UTC'), build \`$build\` ($build_type), Qt $(pkg-config --modversion Qt6Widgets),
display $DISPLAY (Xvfb + openbox). Load average (1/5/15 min): $load_before before the starts,
$load_after after them.

EOF
  startup_section
  exit 0
fi

say "running $bench ($repetitions repetitions)"
bench_json="$E2E_TMP/bench.json"
"$bench" --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true \
  --benchmark_format=json >"$bench_json" 2>/dev/null
load_end="$(cut -d' ' -f1-3 /proc/loadavg)"

# --- zarvik-lookup: whole runs of one query each. -----------------------------------
lookup="$build/cli/zarvik-lookup"
say "timing $lookup ($lookup_runs runs of each query)"
# Sets children_us to the processor time in microseconds (user and system) that this
# shell's finished children have taken so far (`times` in a subshell would count the
# subshell's). The shell gives it in clock ticks: sum many runs before dividing.
children_cpu() {
  times >"$E2E_TMP/times"
  children_us="$(awk 'NR == 2 { split($1, u, /[ms]/); split($2, s, /[ms]/)
    printf "%d\n", ((u[1] * 60 + u[2]) + (s[1] * 60 + s[2])) * 1e6 }' "$E2E_TMP/times")"
}
# The median wall time in microseconds of runs of "$@" in the tables' folder, from right
# before the shell starts the process to its end, and the mean processor time of a run,
# which a loaded machine disturbs less; one uncounted run first.
lookup_time() {
  local times=() start end i cpu
  cd "$tables" || return 1
  "$@" >/dev/null 2>&1 || true
  children_cpu
  cpu="$children_us"
  for i in $(seq "$lookup_runs"); do
    start="${EPOCHREALTIME/[.,]/}"
    "$@" >/dev/null 2>&1 || true
    end="${EPOCHREALTIME/[.,]/}"
    times+=($((end - start)))
  done
  children_cpu
  echo "$(median "${times[@]}") $(((children_us - cpu) / lookup_runs))"
}
lookup_queries=("字" "㗎" "--both 颉" "--code hnd" "--prefix jn" "--quick 字")
lookup_times=() lookup_cpus=()
for query in "${lookup_queries[@]}"; do
  read -r -a words <<<"$query"
  read -r wall cpu < <(lookup_time "$lookup" "${words[@]}")
  lookup_times+=("$wall") lookup_cpus+=("$cpu")
done
# What starting any program costs here, for scale.
read -r true_time true_cpu < <(lookup_time "$(type -P true)")

# --- zarvik-lookup --each on a whole text, beside a dictionary in Python. -------------
# Random characters of the table of every character, 100 to a line; the Python script maps
# each line's first character to the line (a character's own line is its first) and
# prints the line of each character of its input. Both start, read the table and answer.
say "timing a whole text ($text_runs runs each, alternating)"
every_table="$tables/cj5-utf8.m"
cat >"$E2E_TMP/lookup.py" <<'PYTHON'
import sys
first = {}
with open(sys.argv[1], encoding="utf-8") as table:
    for line in table:
        first.setdefault(line[0], line)
out = sys.stdout
for text in sys.stdin:
    out.write("".join(first[c] for c in text if c not in " \t\n"))
PYTHON
python3 - "$every_table" "$E2E_TMP" <<'PYTHON'
import random, sys
characters = [line.split(" ", 1)[0] for line in open(sys.argv[1], encoding="utf-8")]
random.seed(20261209)
for count in (1_000_000, 10_000_000):
    text = "".join(random.choices(characters, k=count))
    with open(f"{sys.argv[2]}/text-{count}.txt", "w", encoding="utf-8") as out:
        out.writelines(text[i:i + 100] + "\n" for i in range(0, count, 100))
PYTHON
python_cmd=(python3 "$E2E_TMP/lookup.py" "$every_table")
each_cmd=("$lookup" --tables "$tables" --each)
"${each_cmd[@]}" <"$E2E_TMP/text-1000000.txt" >"$E2E_TMP/each.out"
"${python_cmd[@]}" <"$E2E_TMP/text-1000000.txt" >"$E2E_TMP/python.out"
cmp -s "$E2E_TMP/each.out" "$E2E_TMP/python.out" && same_answers=yes || same_answers="**no**"
# Alternating runs; the medians of the wall time and of the processor time (user and system,
# which the kernel gives a child to the microsecond), in microseconds.
read -r each_time each_cpu each_large each_large_cpu python_time python_cpu < <(
  python3 - "$text_runs" "$E2E_TMP" "${#each_cmd[@]}" "${each_cmd[@]}" "${python_cmd[@]}" <<'PYTHON'
import resource, statistics, subprocess, sys, time
runs, folder, split = int(sys.argv[1]), sys.argv[2], int(sys.argv[3])
each, python = sys.argv[4:4 + split], sys.argv[4 + split:]
def timed(command, count):
    used = lambda: sum(getattr(resource.getrusage(resource.RUSAGE_CHILDREN), f)
                       for f in ("ru_utime", "ru_stime"))
    with open(f"{folder}/text-{count}.txt", "rb") as text:
        cpu, start = used(), time.perf_counter()
        subprocess.run(command, stdin=text, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return time.perf_counter() - start, used() - cpu
jobs = [(each, 1_000_000), (each, 10_000_000), (python, 1_000_000)]
times = [[timed(*job) for job in jobs] for _ in range(runs)]
print(*(round(statistics.median(t[j][k] for t in times) * 1e6) for j in range(3) for k in range(2)))
PYTHON
)
text_ratio="$(ratio "$each_time" "$python_time")"
text_cpu_ratio="$(ratio "$each_cpu" "$python_cpu")"
# Characters a second once the table is read: the nine million characters more of the
# larger text, over which every character has been met before.
rate() { awk -v a="$1" -v b="$2" 'BEGIN { if (a > b) printf "%.1f", 9e6 / (a - b); else print "-" }'; }
each_rate="$(rate "$each_large" "$each_time")"
each_cpu_rate="$(rate "$each_large_cpu" "$each_cpu")"
atleast() { awk -v r="$1" -v aim="$2" 'BEGIN { print (r != "-" && r >= aim ? "yes" : "**no**") }'; }
atmost() { awk -v r="$1" -v aim="$2" 'BEGIN { print (r != "-" && r <= aim ? "yes" : "**no**") }'; }
load_text="$(cut -d' ' -f1-3 /proc/loadavg)"

# --- Sizes. --------------------------------------------------------------------------
strip -o "$E2E_TMP/zarvik.stripped" "$zarvik"
strip -o "$E2E_TMP/baseline.stripped" "$baseline"
file_size() { stat -c %s "$1"; }
# Columns text, data, bss of `size`.
sections() { size "$1" | awk 'NR == 2 { printf "%s / %s / %s", $1, $2, $3 }'; }
# The project's own shared libraries the program loads, if any are built shared.
project_libs=()
while read -r lib; do
  [ -n "$lib" ] && project_libs+=("$lib")
done < <(ldd "$zarvik" | awk '$3 ~ /^\// { print $3 }' | grep -F "$build/" || true)
libs_size=0
for lib in "${project_libs[@]}"; do
  strip -o "$E2E_TMP/lib.stripped" "$lib"
  libs_size=$((libs_size + $(file_size "$E2E_TMP/lib.stripped")))
done

# --- The report. ---------------------------------------------------------------------
cat <<EOF
# Zarvik performance report

$(date -u '+%Y-%m-%d %H:%M UTC'), build \`$build\` ($build_type), Qt $(pkg-config --modversion Qt6Widgets),
display $DISPLAY (Xvfb + openbox). Load average (1/5/15 min): $load_before before the starts,
$load_after after them, $load_end after the benchmarks.

EOF
startup_section

cat <<EOF

## zarvik-lookup (median of $lookup_runs runs of each query, after one uncounted run)

From right before the shell starts the process to its end, answer printed; beside it the
processor time of a run (user and system, the mean), which is close to what the run takes
on a quiet machine. For scale, the same for \`true\` (a program that does nothing):
$(ms "$true_time") ms, $(ms "$true_cpu") ms of processor time.

| query | ms | processor ms | within 5 ms |
|---|---:|---:|:---:|
$(for i in "${!lookup_queries[@]}"; do
  echo "| \`zarvik-lookup ${lookup_queries[$i]}\` | $(ms "${lookup_times[$i]}") | $(ms "${lookup_cpus[$i]}") | $(awk -v t="${lookup_times[$i]}" 'BEGIN { print (t <= 5000 ? "yes" : "**no**") }') |"
done)

## A whole text: \`zarvik-lookup --each\` beside a dictionary in Python 3

One million random characters of \`cj5-utf8.m\` (and ten million for the rate of
\`zarvik-lookup\`), 100 to a line, on standard input; output
discarded; start-up and reading the table included in both; median of $text_runs runs each,
alternating, of the wall time and of the processor time (user and system). Load average
(1/5/15 min) after: $load_text. The same answers: $same_answers.

| job | wall | processor | aim |
|---|---:|---:|---|
| \`zarvik-lookup --each\`, 1,000,000 characters (ms) | $(ms "$each_time") | $(ms "$each_cpu") | |
| dictionary in Python 3, 1,000,000 characters (ms) | $(ms "$python_time") | $(ms "$python_cpu") | |
| zarvik-lookup / Python | $text_ratio | $text_cpu_ratio | <= 0.25: $(atmost "$text_ratio" 0.25) / $(atmost "$text_cpu_ratio" 0.25) |
| \`zarvik-lookup --each\`, 10,000,000 characters (ms) | $(ms "$each_large") | $(ms "$each_large_cpu") | |
| million characters a second once the table is read (the nine million more) | $each_rate | $each_cpu_rate | >= 20: $(atleast "$each_rate" 20) / $(atleast "$each_cpu_rate" 20) |

## Size (stripped)

| binary | bytes | text / data / bss |
|---|---:|---|
| zarvik | $(file_size "$E2E_TMP/zarvik.stripped") | $(sections "$E2E_TMP/zarvik.stripped") |
| baseline | $(file_size "$E2E_TMP/baseline.stripped") | $(sections "$E2E_TMP/baseline.stripped") |
| project shared libraries | $libs_size | ${#project_libs[@]} libraries$( [ ${#project_libs[@]} -eq 0 ] && echo " (the project's libraries are linked in statically)") |

EOF

python3 - "$E2E_TMP/zarvik.smaps" "$E2E_TMP/baseline.smaps" <<'EOF'
import collections, re, sys

def by_mapping(path):
    """Rss and private KiB by mapped file (anonymous and special mappings by their name)."""
    rss, private = collections.Counter(), collections.Counter()
    name = None
    for line in open(path):
        if re.match(r"^[0-9a-f]+-[0-9a-f]+ ", line):
            fields = line.split(maxsplit=5)
            name = fields[5].strip().rsplit("/", 1)[-1] if len(fields) > 5 else "[anonymous]"
        elif line.startswith("Rss:"):
            rss[name] += int(line.split()[1])
        elif line.startswith(("Private_Clean:", "Private_Dirty:")):
            private[name] += int(line.split()[1])
    return rss, private

z_rss, z_private = by_mapping(sys.argv[1])
b_rss, b_private = by_mapping(sys.argv[2])
names = set(z_rss) | set(b_rss)
ranked = sorted(names, key=lambda n: -abs(z_rss[n] - b_rss[n]))[:10]
print("## Where Zarvik's resident memory differs from the baseline's (last start)\n")
print("| mapping | Zarvik Rss | baseline Rss | difference | Zarvik private | baseline private |")
print("|---|---:|---:|---:|---:|---:|")
for n in ranked:
    print(f"| {n} | {z_rss[n]} | {b_rss[n]} | {z_rss[n] - b_rss[n]:+d} | {z_private[n]} | {b_private[n]} |")
total = sum(z_rss.values()) - sum(b_rss.values())
print(f"| all mappings | {sum(z_rss.values())} | {sum(b_rss.values())} | {total:+d} | "
      f"{sum(z_private.values())} | {sum(b_private.values())} |")
print("\nTables larger than 128 KiB are held in blocks the allocator maps on their own:")
print("they count under [anonymous], not [heap]. Private pages are those no other process")
print("maps at the moment.\n")
EOF

python3 - "$bench_json" "$tables" "$repetitions" <<'EOF'
import json, os, sys

data = json.load(open(sys.argv[1]))
tables = sys.argv[2]
medians = {}
for b in data["benchmarks"]:
    if b.get("aggregate_name") == "median":
        medians[b["run_name"]] = b

def us(b, key="real_time"):
    scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}[b["time_unit"]]
    return b[key] * scale

print("## Code tables in memory\n")
print("Heap held by a loaded table as the allocator counts it; the aim is at most the file's")
print("size plus 8 bytes a line.\n")
print("| table | file bytes | lines | heap bytes | over the file, bytes a line | within aim |")
print("|---|---:|---:|---:|---:|:---:|")
for name in ("cj5", "cj3"):
    b = medians.get(f"loadTable/{name}")
    if not b:
        continue
    size = os.path.getsize(os.path.join(tables, f"{name}.m"))
    lines = int(b["lines"])
    heap = int(b["heap_bytes"])
    per_line = (heap - size) / lines if lines else 0.0
    print(f"| {name}.m | {size} | {lines} | {heap} | {per_line:.2f} | {'yes' if per_line <= 8 else '**no**'} |")

level = data.get("context", {}).get("scan_level", "?")
print(f"\n## Benchmarks (zarvik_bench, median of {sys.argv[3]} repetitions)\n")
print(f"The table scans run with the processor's widest instruction set level ({level}); names")
print("ending in @level ran at that narrower level.\n")
print("| benchmark | real time (us) | CPU time (us) | GB/s |")
print("|---|---:|---:|---:|")
for name, b in medians.items():
    rate = b.get("bytes_per_second", 0) / 1e9
    print(f"| {name} | {us(b):.2f} | {us(b, 'cpu_time'):.2f} | {rate:.2f} |")

def rate(name):
    return medians[name].get("bytes_per_second", 0) / 1e9 if name in medians else 0.0

print("\nThe query's speed beside reading the file (the memory's rate for these bytes) and")
print("memmem over the same text:\n")
print("| query on cj5.m | find GB/s | memmem GB/s | reading cj5.m GB/s |")
print("|---|---:|---:|---:|")
for label, key in (("no match", "cj5_no_match"), ("last line's character", "cj5_last_line_char")):
    print(f"| {label} | {rate('find/' + key):.2f} | {rate('memmemBaseline/' + key):.2f} | "
          f"{rate('readFile/cj5'):.2f} |")

print("\nRatios of CPU time (less disturbed than real time by other work on the machine).\n")
print("| comparison | ratio | aim | met |")
print("|---|---:|---:|:---:|")
pairs = [
    ("load cj5.m / read cj5.m", "loadTable/cj5", "readFile/cj5", 2.0),
    ("load cj3.m / read cj3.m", "loadTable/cj3", "readFile/cj3", 2.0),
    ("find / memmem, no match", "find/cj5_no_match", "memmemBaseline/cj5_no_match", 0.2),
    ("find / memmem, last line's character", "find/cj5_last_line_char",
     "memmemBaseline/cj5_last_line_char", 0.2),
]
for name in medians:
    if name.startswith("loadTable/cj5@"):
        at = name.split("@", 1)[1]
        pairs.append((f"load cj5.m / read cj5.m at {at}", name, "readFile/cj5", None))
    if name.startswith("find/cj5_no_match@"):
        at = name.split("@", 1)[1]
        pairs.append((f"find / memmem, no match, at {at}", name, "memmemBaseline/cj5_no_match",
                      None))
for label, a, b, aim in pairs:
    if a in medians and b in medians:
        r = us(medians[a], "cpu_time") / us(medians[b], "cpu_time")
        met = "" if aim is None else ("yes" if r <= aim else "**no**")
        print(f"| {label} | {r:.2f} | {'' if aim is None else f'<= {aim:g}'} | {met} |")
EOF
