#!/usr/bin/env bash
# The board list moved with the keys while the grid still shows the mail box: Escape, Escape and
# Down highlight the next board in the list, yet a click on a mail in the grid and F must answer
# that mail (a mail to its writer quoting it), not the article at the same row of the board the
# list moved to. The reply is composed in a scripted editor and written to the UP file at the end.
#
#   board_list_reply.sh VORNEXPL SOURCE_DIR OUT_DIR
# Run it under a real X server (xvfb-run); it needs xdotool and scrot.
set -euo pipefail

program=$1
source=$2
out=$3
scenario=board_list_reply
mkdir -p "$out"
rm -f "$out"/*.png
. "$(dirname "$0")/window_lib.sh"
work=$(mktemp -d)
clean_up() {
  [ -z "${pid:-}" ] || kill "$pid" 2>/dev/null || true
  [ -n "${VORN_KEEP_WORK:-}" ] || rm -rf "$work"
}
trap clean_up EXIT

settings=$work/settings
mkdir -p "$settings"
cp "$source"/samples/settings/* "$settings"/
cp "$source"/samples/NET19990730.LOG "$work"/
editor=$work/editor.sh
cat >"$editor" <<'SH'
#!/bin/sh
eval "file=\${$#}"
printf 'Board-list reply line.\r\n' >>"$file"
printf '%s' "$file" >"$(dirname "$0")/edited"
SH
chmod +x "$editor"
printf '[Common]\r\nVersion=1.20\r\nEditer="%s"\r\nEditerEndActivate=0\r\n' "$editor" \
  >"$settings/vornexpl.ini"

"$program" --settings-dir "$settings" "$work/NET19990730.LOG" &
pid=$!
main=$(wait_window "^VornExplorer - ") || fail "the sample was not opened"
close_boxes || fail "a box did not close"
shot 1-opened

# Escape from the grid drops the board list down, Escape closes it, Down moves its highlight.
key Escape
wait_until 10 box_up || fail "Escape did not drop the board list down"
key Escape
wait_until 10 no_box_up || fail "Escape did not close the board list"
key Down
shot 2-list-moved

# The grid's second row: the mail from じろう (the list's board has an article at that row too).
read -r _ _ mw _ < <(window_geometry "$main")
xdotool mousemove --window "$main" $((mw / 2)) 110 click 1
shot 3-clicked
key f
# The editor has saved, and the program has read its file back (and removed it).
wait_until 30 test -s "$work/edited" || fail "F did not start the editor"
wait_until 30 test ! -e "$(cat "$work/edited")" || fail "the edited reply was not read back"
shot 4-replied
close_boxes || fail "a box did not close"
end_program 5-end

up=$settings/NET.UP
[ -s "$up" ] || fail "no UP file was written"
text=$(iconv -f CP932 -t UTF-8 "$up" | tr -d '\r')
# A mail to じろう quoting his mail, nothing of the general board's article at that row.
grep -q '^Board-list reply line\.$' <<<"$text" || fail "the reply is not in the UP file"
grep -q '^>了解しました。$' <<<"$text" || fail "the reply does not quote the mail clicked: $text"
grep -q 'はなこです' <<<"$text" && fail "the reply quotes the list's board's article: $text"
grep -q '^3072$' <<<"$text" || fail "the reply is not a mail to the clicked mail's writer: $text"
echo "board_list_reply: passed; pictures in $out"
