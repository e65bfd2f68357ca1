#!/usr/bin/env bash
# Archives of daily NetVorn-family captures of both line lengths loaded at once by vornexpl-cli
# stats, with one and with two reading threads: wall time from a cold page cache and with the
# files already in it, and peak memory, for archives of growing size.
#
#   bench/cli/archive_scale.sh [SIZE_MB...]
#
# SIZE_MB: archive sizes in MB of 1,000,000 bytes (default: 100 500 1000), each made of daily
# captures of FILE_MB (default 20) MB, once as the bench generator writes them (about 29 bytes a
# line) and once of short lines (about 19 bytes a line: one-word replies, quotes, notices).
# RUNS: runs per measurement (default 3). BUILD_DIR: the build folder holding
# src/cli/vornexpl-cli and bench/cli/generate_netvorn_archive (default: build/ beside bench/).
# WORK_DIR: where the archives are generated (default: a new folder under /tmp); each archive is
# removed once it has been measured. BEFORE_CLI: another vornexpl-cli (an earlier build, which
# knows no --threads) measured alternately with this one on the same archives, one more row per
# archive.
#
# The analysis cache is kept in a folder of the bench's own (XDG_CACHE_HOME under WORK_DIR).
#
# Cold: the page cache is dropped before each run (as root: /proc/sys/vm/drop_caches; else the
# archive's files are evicted with posix_fadvise when python3 is there; else the header says
# "page cache not dropped" and cold is warm), and the analysis cache is not used (--no-cache).
# Warm: the files are in the page cache and the rest is done again: reading, analysis, sorting
# (--no-cache). First: cold with 2 threads from an empty analysis cache, which the run fills (a
# first open as the window does it by default). After: the morning after, on 2 threads: the analysis
# cache as the first run left it, the page cache dropped again (the logs, and with drop_caches the
# cache's entries too, read from disk). Cached: the files in the page cache and their
# analyses in the analysis cache (the second open of an unchanged archive). Prints per archive
# and build: the median wall time of the whole process cold with --threads 1 and 2 and their
# ratio, warm with --threads 1 and 2, first, after, cached with --threads 1 and 2, the size of the
# analysis cache, the median peak resident memory of the cold and warm runs with 1 and with 2
# threads and of the cached runs with 2, against 0.5 x the bytes + 64 MB. The earlier build
# (BEFORE_CLI) is run as it is: what it does by default in every column it has.
set -euo pipefail

sizes=("$@")
[[ ${#sizes[@]} -gt 0 ]] || sizes=(100 500 1000)
runs=${RUNS:-3}
file_mb=${FILE_MB:-20}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/bench_common.sh"
bench_setup archive_scale.sh generate_netvorn_archive "${WORK_DIR:-/tmp}/vornscale-XXXXXX"
bench_need_time archive_scale.sh

# How the page cache is emptied before a cold run.
if [[ -w /proc/sys/vm/drop_caches ]] && (sync && echo 1 >/proc/sys/vm/drop_caches) 2>/dev/null; then
  cold_how="page cache dropped (drop_caches)"
  drop() { sync && echo 1 >/proc/sys/vm/drop_caches; }
elif command -v python3 >/dev/null; then
  cold_how="archive's files evicted from the page cache (posix_fadvise)"
  drop() {
    python3 -c 'import os, sys
for f in sys.argv[1:]:
    fd = os.open(f, os.O_RDONLY)
    os.posix_fadvise(fd, 0, 0, os.POSIX_FADV_DONTNEED)
    os.close(fd)' "$archive"/*.LOG
  }
else
  cold_how="page cache not dropped: cold is warm"
  drop() { :; }
fi


export XDG_CACHE_HOME=$work/cache
echo "# $(nproc) cores; RUNS=$runs; FILE_MB=$file_mb; cold: $cold_how"
printf '%8s %6s %6s %10s %5s %7s %7s %5s %7s %7s %7s %7s %7s %7s %7s %7s %7s %7s %8s %s\n' size_MB \
  kind files lines B/ln cold1_s cold2_s c2/c1 warm1_s warm2_s first_s after_s cache1_s cache2_s \
  cacheMB peak1MB peak2MB peakCMB limit_MB build
for size in "${sizes[@]}"; do
  for kind in bench short; do
    files=$(((size + file_mb - 1) / file_mb))
    archive=$work/archive
    mkdir "$archive"
    flags=()
    [[ $kind == short ]] && flags=(--short-lines)
    "$generator" "${flags[@]}" "$archive" "$files" $((size * 1000000))
    bytes=$(cat "$archive"/*.LOG | wc -c)
    # Once before measuring: the settings folder its defaults, the line count.
    "$cli" --settings-dir "$work/settings" stats "$archive"/*.LOG >"$work/stats.txt"
    lines=$(awk '/^lines:/ { print $2 }' "$work/stats.txt")
    one() {  # FILE_PREFIX PROGRAM [ARGS...]: one run, its wall time and peak into the files
      local into=$1
      shift
      local t0 t1
      t0=${EPOCHREALTIME/./}
      /usr/bin/time -f '%M' -o "$work/rss" "$@" --settings-dir "$work/settings" stats \
        "$archive"/*.LOG >/dev/null
      t1=${EPOCHREALTIME/./}
      echo $((t1 - t0)) >>"$work/$into.wall"
      cat "$work/rss" >>"$work/$into.peak"
    }
    rm -f "$work"/*.wall "$work"/*.peak
    # Alternately, so that every variant meets the machine in the same state.
    for ((i = 0; i < runs; i++)); do
      drop && one now.cold1 "$cli" --no-cache --threads 1
      drop && one now.cold2 "$cli" --no-cache --threads 2
      rm -rf "$XDG_CACHE_HOME"
      drop && one now.first "$cli" --threads 2
      drop && one now.after "$cli" --threads 2
      # The earlier build keeps its analyses apart: both builds keep one entry per log file,
      # and each would replace the other's.
      if [[ -n $before ]]; then drop && one before.cold1 env XDG_CACHE_HOME="$work/before-cache" "$before"; fi
    done
    cat "$archive"/*.LOG >/dev/null
    for ((i = 0; i < runs; i++)); do
      one now.warm1 "$cli" --no-cache --threads 1
      one now.warm2 "$cli" --no-cache --threads 2
      one now.cached1 "$cli" --threads 1
      one now.cachedP "$cli" --threads 2
      if [[ -n $before ]]; then one before.warm1 env XDG_CACHE_HOME="$work/before-cache" "$before"; fi
    done
    cache_mb=$(du -sm "$XDG_CACHE_HOME" | awk '{ print $1 }')
    sec() { if [[ -s $work/$1.wall ]]; then median <"$work/$1.wall" | awk '{ printf "%.2f", $1 / 1e6 }'; else echo -; fi; }
    mb() { cat "$@" | median | awk '{ printf "%.0f", $1 * 1024 / 1e6 }'; }
    for label in now ${before:+before}; do
      c1=$(sec $label.cold1) c2=$(sec $label.cold2)
      p1=$(mb "$work/$label".cold1.peak "$work/$label".warm1.peak)
      p2=- pc=- cm=-
      if [[ -s $work/$label.cold2.peak ]]; then
        p2=$(mb "$work/$label".cold2.peak "$work/$label".warm2.peak)
        pc=$(mb "$work/$label".cachedP.peak)
        cm=$cache_mb
      fi
      awk -v s="$((bytes / 1000000))" -v k="$kind" -v f="$files" -v l="$lines" -v b="$bytes" \
        -v c1="$c1" -v c2="$c2" -v w1="$(sec $label.warm1)" -v w2="$(sec $label.warm2)" \
        -v fi="$(sec $label.first)" -v af="$(sec $label.after)" -v k1="$(sec $label.cached1)" -v k2="$(sec $label.cachedP)" \
        -v cm="$cm" -v p1="$p1" -v p2="$p2" -v pc="$pc" -v t="$label" \
        'BEGIN { printf "%8d %6s %6d %10d %5.1f %7s %7s %5s %7s %7s %7s %7s %7s %7s %7s %7s %7s %7s %8d %s\n",
                 s, k, f, l, b / l, c1, c2, (c2 == "-" ? "-" : sprintf("%.2f", c2 / c1)), w1, w2,
                 fi, af, k1, k2, cm, p1, p2, pc, 0.5 * b / 1e6 + 64, t }'
    done
    rm -rf "$XDG_CACHE_HOME" "$work/before-cache"
    rm -rf "$archive"
  done
done
