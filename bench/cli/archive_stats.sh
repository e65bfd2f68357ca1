#!/usr/bin/env bash
# An archive of daily NetVorn-family captures loaded at once by vornexpl-cli stats: wall time
# and peak memory for archives of growing size, so that how the cost grows is visible.
#
#   bench/cli/archive_stats.sh [SIZE_MB...]
#
# SIZE_MB: archive sizes in MB of 1,000,000 bytes (default: 100 500 1000), each made of daily
# captures of FILE_MB (default 20) MB. RUNS: runs per size (default 3). BUILD_DIR: the build
# folder holding src/cli/vornexpl-cli and bench/cli/generate_netvorn_archive (default: build/
# beside bench/). WORK_DIR: where the archives are generated (default: a new folder under
# /tmp); each archive is removed once it has been measured. BEFORE_CLI: another vornexpl-cli (an
# earlier build) run alternately with this one on the same archives, one more row per size.
#
# Prints per size: files, lines, articles, the median wall time of the whole process and of its
# phases, the median peak resident memory against 1.5 x the bytes + 64 MB, and both per 100 MB
# of archive (constant per 100 MB = linear growth).
set -euo pipefail

sizes=("$@")
[[ ${#sizes[@]} -gt 0 ]] || sizes=(100 500 1000)
runs=${RUNS:-3}
file_mb=${FILE_MB:-20}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/bench_common.sh"
bench_setup archive_stats.sh generate_netvorn_archive "${WORK_DIR:-/tmp}/vornarchive-XXXXXX"
bench_need_time archive_stats.sh


printf '%8s %6s %10s %9s %9s %8s %8s %8s %9s %9s %9s %9s %s\n' size_MB files lines articles \
  wall_s read_s analyse_s sort_s peak_MB limit_MB s/100MB MB/100MB build
for size in "${sizes[@]}"; do
  files=$(((size + file_mb - 1) / file_mb))
  archive=$work/archive
  mkdir "$archive"
  "$generator" "$archive" "$files" $((size * 1000000))
  bytes=$(cat "$archive"/*.LOG | wc -c)
  measure() {  # PROGRAM LABEL: runs it RUNS times, prints its row
    local program=$1 label=$2
    run_cli() { /usr/bin/time -f '%M' -o "$work/rss" "$program" --settings-dir "$work/settings" stats "$archive"/*.LOG; }
    : >"$work/wall.$label" && : >"$work/peak.$label" && : >"$work/phases.$label"
    for ((i = 0; i < runs; i++)); do
      t0=${EPOCHREALTIME/./}
      run_cli >"$work/stats.txt"
      t1=${EPOCHREALTIME/./}
      echo $((t1 - t0)) >>"$work/wall.$label"
      cat "$work/rss" >>"$work/peak.$label"
      awk '/^(read|analyse|sort):/ { sub(":", ""); printf "%s %s\n", $1, $2 }' "$work/stats.txt" >>"$work/phases.$label"
    done
  }
  row() {  # LABEL
    local label=$1
    wall=$(median <"$work/wall.$label" | awk '{ printf "%.2f", $1 / 1e6 }')
    peak=$(median <"$work/peak.$label" | awk '{ printf "%.0f", $1 * 1024 / 1e6 }')
    phase() { awk -v p="$1" '$1 == p { print $2 }' "$work/phases.$label" | median; }
    awk -v s="$((bytes / 1000000))" -v f="$files" -v l="$lines" -v a="$articles" -v w="$wall" \
      -v r="$(phase read)" -v an="$(phase analyse)" -v so="$(phase sort)" -v p="$peak" -v b="$bytes" -v t="$label" \
      'BEGIN { printf "%8d %6d %10d %9d %9.2f %8.2f %8.2f %8.2f %9d %9d %9.3f %9.1f %s\n", s, f, l, a, w,
               r, an, so, p, 1.5 * b / 1e6 + 64, w * 1e8 / b, p * 1e8 / b, t }'
  }
  # Once before measuring: the files into the page cache, the settings folder its defaults.
  "$cli" --settings-dir "$work/settings" stats "$archive"/*.LOG >"$work/stats.txt"
  lines=$(awk '/^lines:/ { print $2 }' "$work/stats.txt")
  articles=$(awk '/^articles:/ { print $2 }' "$work/stats.txt")
  if [[ -n $before ]]; then
    # Alternately, so that both meet the machine in the same state.
    saved=$runs
    runs=1
    for ((k = 0; k < saved; k++)); do
      measure "$cli" now.$k
      measure "$before" before.$k
    done
    runs=$saved
    for label in now before; do
      cat "$work"/wall.$label.* >"$work/wall.$label"
      cat "$work"/peak.$label.* >"$work/peak.$label"
      cat "$work"/phases.$label.* >"$work/phases.$label"
      row $label
    done
  else
    measure "$cli" now
    row now
  fi
  rm -rf "$archive"
done
