#!/usr/bin/env bash
# Log files dropped on the program's window from another program, as from a file manager: a real
# drag under X (XDND) started by a separate drag-source process while xdotool carries the
# pointer onto the window and releases the button. The list holds a file in a folder whose name
# needs percent-encoding (spaces, Japanese, "#", "%"), a file URL naming localhost, and a file
# that does not exist. Both logs must be loaded (every article read in the window then counts as
# read for vornexpl-cli), taken as a copy, and the source files kept.
#
#   drop_files.sh VORNEXPL VORNEXPL_CLI DRAG_SOURCE SOURCE_DIR OUT_DIR
# Run it under a real X server (tests/e2e/with_xvfb.sh); it needs xdotool and scrot.
set -euo pipefail

program=$1
cli=$2
drag_source=$3
source=$4
out=$5
scenario=drop_files
# shellcheck source=window_lib.sh
. "$(dirname "$0")/window_lib.sh"
make_work
printf '[Common]\r\nVersion=1.20\r\nNoReadDialog=1\r\n' >"$settings/vornexpl.ini"
folder="$work/ログ置き場 #1 100%"
mkdir -p "$folder"
first=$folder/NET19990730.LOG
second=$work/NET19990731.LOG
cp "$source"/samples/NET19990730.LOG "$first"
# Another day's capture: the same articles a day later are other articles.
sed 's#99/07/30#99/07/31#g' "$source"/samples/NET19990730.LOG >"$second"
new_articles() {
  "$cli" --settings-dir "$settings" stats "$1" </dev/null 2>/dev/null | sed -n 's/^new: //p'
}
[ "$(new_articles "$first")" -gt 0 ] && [ "$(new_articles "$second")" -gt 0 ] ||
  fail "the logs have no new articles to begin with"

# The URLs as a file manager writes them: UTF-8, percent-encoded.
encoded=$(python3 -c 'import sys, urllib.parse; print(urllib.parse.quote(sys.argv[1]))' "$first")

start_program "$settings"
main=$(wait_window "^Vorn Explorer$") || fail "the main window did not appear"
"$drag_source" "file://$encoded" "file://localhost$second" "file://$work/NET19990799.LOG" \
  >"$work/drag.out" 2>"$work/drag.err" &
dragpid=$!
helper_pids+=("$dragpid")
wait_until 30 grep -qs '^ready' "$work/drag.out" || fail "the drag source did not start"
drag_window() { xdotool search --onlyvisible --pid "$dragpid" 2>/dev/null | head -n 1 | grep .; }
wait_until 30 drag_window >/dev/null || fail "the drag source's window did not appear"
drag=$(drag_window)
shot 1-before-drop

# Pressed on the source, carried across the window's board list and view onto the grid, and
# released there.
read -r sx sy sw sh < <(window_geometry "$drag")
read -r mx my mw mh < <(window_geometry "$main")
xdotool mousemove $((sx + sw / 2)) $((sy + sh / 2))
xdotool mousedown 1
for step in 1 2 3 4 5 6 7 8; do
  xdotool mousemove $((sx + sw / 2 + (mx + mw / 2 - sx - sw / 2) * step / 8)) \
    $((sy + sh / 2 + (my + mh / 3 - sy - sh / 2) * step / 8))
  sleep 0.1
done
xdotool mousemove $((mx + mw / 2)) $((my + 56))
sleep 0.2
xdotool mousemove $((mx + mw / 2)) $((my + mh / 3))
# Let go once the window has said it takes the drop as a copy; a small move now and then keeps
# the position messages coming until it has.
copy_offered() { [ "$(grep '^action' "$work/drag.out" | tail -n 1)" = "action 1" ]; }
for nudge in $(seq 100); do
  copy_offered && break
  xdotool mousemove $((mx + mw / 2 + nudge % 2)) $((my + mh / 3))
  sleep 0.1
done
copy_offered || fail "the window did not offer to take the drop as a copy: $(cat "$work/drag.out")"
shot 2-dragging
xdotool mouseup 1
wait_until 30 grep -qs '^drop-action' "$work/drag.out" || fail "the drag did not end"
grep -q '^drop-action 1$' "$work/drag.out" ||
  fail "the drop was not taken as a copy: $(cat "$work/drag.out")"

wait_window "^VornExplorer - " >/dev/null || fail "nothing was loaded from the drop"
shot 3-loaded
# The file that does not exist may be told in a box.
close_boxes || fail "a box did not close"

# Every article read with Space; the last Space says in a box that none is left.
# A box that comes late only takes the next Space, and the one after opens it again.
for _ in $(seq 80); do
  key space
  if box_up || { sleep 0.2 && box_up; }; then break; fi
done
box_up || fail "Space did not come to the end of the unread articles"
shot 4-all-read
close_boxes || fail "a box did not close"
kill "$dragpid" 2>/dev/null || true
end_program 5-end

[ -f "$first" ] && [ -f "$second" ] || fail "a dropped file is gone"
for log in "$first" "$second"; do
  n=$(new_articles "$log")
  [ "$n" = 0 ] || fail "$(basename "$log") was not loaded from the drop: $n new articles"
done
echo "drop_files: passed; pictures in $out"
