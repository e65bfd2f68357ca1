#!/usr/bin/env bash
# Reading, analysing and sorting a generated NetVorn-family capture with vornexpl-cli, against
# one pass of grep over the same file, run alternately in the same invocation.
#
#   bench/cli/compare_grep.sh [LINES] [RUNS]
#
# LINES: lines of the generated capture (default 1000000); RUNS: runs of each (default 9).
# BUILD_DIR: the build folder holding src/cli/vornexpl-cli and bench/cli/generate_netvorn_log
# (default: build/ beside bench/). BEFORE_CLI: another vornexpl-cli (an earlier build) timed in
# the same runs, for a before-and-after comparison on the same machine at the same moment.
#
# Prints the median wall time of each program (whole process: start-up, settings, the load and
# the output), their ratio, and the medians of the tool's own phase times (read, analyse, sort).
set -euo pipefail

lines=${1:-1000000}
runs=${2:-9}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/bench_common.sh"
bench_setup compare_grep.sh generate_netvorn_log "${TMPDIR:-/tmp}/vorngrep-XXXXXX"
log=$work/NET$lines.LOG
"$generator" "$lines" "$log"

# Microseconds since the epoch.
now() { local t=${EPOCHREALTIME/./}; echo "$t"; }

# The tool analyses the capture anew each run, as at its first opening (--no-cache); its
# analysis cache lives in the bench's folder, never the user's.
export XDG_CACHE_HOME=$work/cache
run_cli() { "$cli" --settings-dir "$work/settings" --no-cache stats "$log"; }
run_grep() { LC_ALL=C grep -c -F ' lines ' "$log"; }
run_before() { "$before" --settings-dir "$work/settings" stats "$log"; }

# Once each before measuring: the settings folder gets its defaults file, the file is cached.
run_cli >"$work/stats.txt"
run_grep >/dev/null

: >"$work/cli.us"
: >"$work/grep.us"
: >"$work/before.us"
: >"$work/phases.txt"
: >"$work/before-phases.txt"
[[ -z $before ]] || run_before >/dev/null
for ((i = 0; i < runs; i++)); do
  t0=$(now)
  run_cli >"$work/stats.txt"
  t1=$(now)
  run_grep >/dev/null
  t2=$(now)
  echo $((t1 - t0)) >>"$work/cli.us"
  echo $((t2 - t1)) >>"$work/grep.us"
  awk '/^(read|analyse|sort|total):/ { sub(":", ""); printf "%s %s\n", $1, $2 }' \
    "$work/stats.txt" >>"$work/phases.txt"
  if [[ -n $before ]]; then
    t3=$(now)
    run_before >"$work/before-stats.txt"
    t4=$(now)
    echo $((t4 - t3)) >>"$work/before.us"
    awk '/^(read|analyse|sort|total):/ { sub(":", ""); printf "%s %s\n", $1, $2 }' \
      "$work/before-stats.txt" >>"$work/before-phases.txt"
  fi
done

cli_ms=$(median <"$work/cli.us" | awk '{ printf "%.1f", $1 / 1000 }')
grep_ms=$(median <"$work/grep.us" | awk '{ printf "%.1f", $1 / 1000 }')
echo "capture: $(wc -l <"$log") lines, $(wc -c <"$log") bytes; $runs runs each"
grep -E '^(lines|boards|articles|replies|placeholders|members|system messages):' "$work/stats.txt" |
  paste -sd ' ' -
echo "vornexpl-cli stats: median $cli_ms ms"
echo "grep -c -F:         median $grep_ms ms"
awk -v c="$cli_ms" -v g="$grep_ms" 'BEGIN { printf "ratio cli/grep:     %.1f\n", (g > 0 ? c / g : 0) }'
for phase in read analyse sort total; do
  ms=$(awk -v p="$phase" '$1 == p { print $2 * 1000 }' "$work/phases.txt" | median)
  printf '  %-8s median %.1f ms\n' "$phase" "$ms"
done
if [[ -n $before ]]; then
  before_ms=$(median <"$work/before.us" | awk '{ printf "%.1f", $1 / 1000 }')
  echo "before ($before): median $before_ms ms"
  awk -v c="$before_ms" -v g="$grep_ms" 'BEGIN { printf "ratio before/grep:  %.1f\n", (g > 0 ? c / g : 0) }'
  for phase in read analyse sort total; do
    ms=$(awk -v p="$phase" '$1 == p { print $2 * 1000 }' "$work/before-phases.txt" | median)
    printf '  %-8s median %.1f ms\n' "$phase" "$ms"
  done
fi
