#!/usr/bin/env bash
# The program in a real X window, driven from outside as a user drives it: started on the
# sample capture with a settings folder of its own, every unread article read with Space, a
# reply composed in a (scripted) external editor, the program ended through its menu with the
# UP file written. Then the files it left are checked, and a second start must find no new
# article. Pictures of the run are saved in the output folder.
#
#   real_window.sh VORNEXPL VORNEXPL_CLI SOURCE_DIR OUT_DIR
# Run it under a real X server (tests/e2e/with_xvfb.sh); it needs xdotool and scrot.
set -euo pipefail

program=$1
cli=$2
source=$3
out=$4
mkdir -p "$out"
rm -f "$out"/*.png
work=$(mktemp -d)
trap '[ -n "${pid:-}" ] && kill "$pid" 2>/dev/null; [ -n "${VORN_KEEP_WORK:-}" ] || rm -rf "$work"' EXIT

fail() {
  echo "real_window: $*" >&2
  shot failure || true
  exit 1
}
shot() { scrot -o "$out/$1.png" 2>/dev/null; }

settings=$work/settings
mkdir -p "$settings"
cp "$source"/samples/settings/* "$settings"/
cp "$source"/samples/NET19990730.LOG "$work"/
log=$work/NET19990730.LOG

# The editor a user would type in: it adds the reply's text below the material the program
# prepared and saves.
editor=$work/editor.sh
cat >"$editor" <<'SH'
#!/bin/sh
eval "file=\${$#}"
printf 'Real-window reply line.\r\n' >>"$file"
SH
chmod +x "$editor"
printf '[Common]\r\nVersion=1.20\r\nEditer="%s"\r\nEditerEndActivate=0\r\n' "$editor" \
  >"$settings/vornexpl.ini"

# Waits up to 20 s for a visible top-level window whose title matches; prints its id.
wait_window() {
  local id
  for _ in $(seq 200); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) || true
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  return 1
}
# Without a window manager the keyboard goes where the program is told it goes: to its newest
# visible window (a message box over the main window, say), as a user would see it.
focus_top() {
  local top
  top=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | sort -n | tail -n 1) || true
  [ -n "$top" ] && xdotool windowfocus --sync "$top" 2>/dev/null || true
}
# Closes the message boxes that are up, with their default button.
close_boxes() {
  for _ in $(seq 10); do
    [ "$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l)" -gt 1 ] || return 0
    key Return
  done
}
key() {
  focus_top
  xdotool key --clearmodifiers "$@"
  sleep 0.15
}

"$program" --settings-dir "$settings" "$log" &
pid=$!
main=$(wait_window "^VornExplorer") || fail "the main window did not appear"
sleep 1
shot 1-loaded

# Space walks the unread articles; any message box on the way (the last one says that none
# is left) is closed by the Space that follows it.
for _ in $(seq 40); do key space; done
shot 2-all-read
close_boxes

# A reply to the article shown, composed in the editor.
key f
sleep 2
shot 3-reply-pending
close_boxes

# End through the File menu; the question whether to write the UP/PAD files is answered Yes.
key alt+f
key x
sleep 1
shot 4-end-question
key Return
for _ in $(seq 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "the program did not end"
wait "$pid" || fail "the program ended with an error"
pid=

up=$settings/NET.UP
[ -s "$up" ] || fail "no UP file was written"
grep -a -q 'Real-window reply line.' "$up" || fail "the reply is not in the UP file"
[ -s "$settings/NET.PTR" ] || fail "no read-pointer file was written"

# A second start finds no new article (writes are not articles of the log).
stats=$("$cli" --settings-dir "$settings" stats "$log" 2>/dev/null </dev/null)
grep -q '^new: 0$' <<<"$stats" || fail "new articles after reading all: $(grep '^new' <<<"$stats")"
"$program" --settings-dir "$settings" "$log" &
pid=$!
main=$(wait_window "^VornExplorer") || fail "the main window did not appear the second time"
sleep 1.5
# The pending reply is not read back this time (No), so nothing unread is left: Space says so
# in a box.
shot 5-second-start
wait_window "^確認$" >/dev/null || fail "the UP file was not offered for reading back"
key alt+n
close_boxes
xdotool mousemove --window "$main" 300 110 click 1
sleep 0.3
key space
sleep 0.5
[ "$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l)" -gt 1 ] ||
  fail "Space found an unread article after everything was read"
shot 6-nothing-unread
close_boxes
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=
echo "real_window: passed; pictures in $out"
