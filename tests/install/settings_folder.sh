#!/usr/bin/env bash
# Where the two programs keep their settings when no --settings-dir is given, each started
# directly (not through a launcher): run from the build tree, whose folders can be written to,
# both use the user's folder and write nothing beside their binaries; a copy with vornexpl.ini
# beside it (a portable copy) keeps its settings there and leaves the user's folder alone.
#
#   settings_folder.sh VORNEXPL_CLI VORNEXPL|"" SOURCE_DIR
set -euo pipefail

cli=$1
program=$2
source=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "settings_folder: $*" >&2
  exit 1
}
names() { ls -A "$1"; }

log=$work/NET19990730.LOG
cp "$source/samples/NET19990730.LOG" "$log"
mkdir -p "$work/reference"
cp "$source/samples/settings/"* "$work/reference/"
reference=$("$cli" --settings-dir "$work/reference" boards "$log")
[ -n "$reference" ] || fail "the tool lists no board with the sample settings"

# The user's folder holds the NetVorn set alone; the rest is filled in by the programs.
config=$work/config
user=$config/VornExplorer
mkdir -p "$user"
cp "$source/samples/settings/netvorn.ini" "$user/"
as_user() { env XDG_CONFIG_HOME="$config" XDG_CACHE_HOME="$work/cache" HOME="$work/home" "$@"; }

cli_folder=$(dirname "$cli")
before=$(names "$cli_folder")
out=$(as_user "$cli" boards "$log" 2>&1) || fail "the tool did not read the user's sets: $out"
[ "$out" = "$reference" ] || fail "the tool lists other boards: $out"
[ -f "$user/vorndef.ini" ] && [ -f "$user/nifdef.ini" ] ||
  fail "the tool did not complete the user's folder: $(names "$user" | tr '\n' ' ')"
[ "$(names "$cli_folder")" = "$before" ] ||
  fail "the tool wrote beside its binary: $(diff <(echo "$before") <(names "$cli_folder") || true)"
[ ! -e "$work/home" ] || fail "HOME was used although XDG_CONFIG_HOME is set"
[ -n "$(ls "$work/cache/VornExplorer")" ] || fail "the tool kept nothing in XDG_CACHE_HOME"

if [ -n "$program" ]; then
  # The window, from a folder of its own in the build tree, on the same folder: its lock and
  # the defaults it completes are there. It takes its picture and ends.
  program_folder=$(dirname "$program")
  before=$(names "$program_folder")
  rm -f "$user/vorndef.ini" "$user/nifdef.ini"
  as_user QT_QPA_PLATFORM=offscreen VORN_SCREENSHOT="$work/window.png" timeout 60 "$program" \
    "$log" >"$work/window.txt" 2>&1 || fail "the window failed: $(cat "$work/window.txt")"
  [ -s "$work/window.png" ] || fail "the window did not come up"
  [ -e "$user/.vornexpl.lock" ] && [ -f "$user/vorndef.ini" ] && [ -f "$user/nifdef.ini" ] ||
    fail "the window did not use the user's folder: $(names "$user" | tr '\n' ' ')"
  [ "$(names "$program_folder")" = "$before" ] ||
    fail "the window wrote beside its binary: $(diff <(echo "$before") <(names "$program_folder") || true)"
fi

# A portable copy: vornexpl.ini beside the binary makes its folder the settings folder.
portable=$work/portable
mkdir -p "$portable"
cp "$cli" "$portable/"
cp "$source/samples/settings/"* "$portable/"
printf '[Common]\r\nVersion=1.20\r\n' >"$portable/vornexpl.ini"
out=$(env XDG_CONFIG_HOME="$work/other" HOME="$work/home" "$portable/$(basename "$cli")" \
  boards "$log" 2>&1) || fail "the portable copy failed: $out"
[ "$out" = "$reference" ] || fail "the portable copy lists other boards: $out"
[ ! -e "$work/other" ] || fail "the portable copy used the user's folder"
echo "settings_folder: ok"
