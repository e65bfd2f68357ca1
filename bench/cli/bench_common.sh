# Sourced by the shell benches of this folder.
#
# bench_setup NAME GENERATOR WORK_TEMPLATE: sets cli (this build's vornexpl-cli), generator
# (bench/cli/GENERATOR) and before (BEFORE_CLI, an earlier build's vornexpl-cli, or empty), all
# taken from BUILD_DIR (default: build/ beside bench/), and stops with a message naming NAME
# when one is missing; makes the scratch folder $work from WORK_TEMPLATE (removed at exit), with
# a settings folder $work/settings holding one NetVorn-family set of prefix NET.
bench_setup() {
  local name=$1 generator_name=$2 template=$3 here build program
  here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
  build=${BUILD_DIR:-$here/../../build}
  cli=$build/src/cli/vornexpl-cli
  generator=$build/bench/cli/$generator_name
  before=${BEFORE_CLI:-}
  for program in "$cli" "$generator" ${before:+"$before"}; do
    if [[ ! -x $program ]]; then
      echo "$name: $program is missing; build vornexpl-cli and $generator_name" >&2
      exit 2
    fi
  done
  work=$(mktemp -d "$template")
  trap 'rm -rf "$work"' EXIT
  mkdir "$work/settings"
  printf '[Common]\r\nNetCount=0\r\n[Net0]\r\nPrefix="NET"\r\nName="Bench"\r\n' \
    >"$work/settings/netvorn.ini"
}

# bench_need_time NAME: stops with a message when /usr/bin/time (peak memory) is missing.
bench_need_time() {
  if [[ ! -x /usr/bin/time ]]; then
    echo "$1: /usr/bin/time is missing (apt-get install time)" >&2
    exit 2
  fi
}

# The median of the numbers on standard input, one a line.
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
