#!/usr/bin/env bash
# The board list moved with the keys while the grid still shows its board: Escape, Escape and
# Down highlight the next board in the list, yet a click on a row of the grid and F must answer
# the article of that row (a mail to its writer in the mail box, a reply under it on a board), not
# the article at the same row of the board the list moved to. The replies are composed in a
# scripted editor and written to the UP file at the end.
#
#   board_list_reply.sh VORNEXPL SOURCE_DIR OUT_DIR
# Run it under a real X server (tests/e2e/with_xvfb.sh); it needs xdotool and scrot.
set -euo pipefail

program=$1
source=$2
out=$3
scenario=board_list_reply
# shellcheck source=window_lib.sh
. "$(dirname "$0")/window_lib.sh"
make_work
cp "$source"/samples/NET19990730.LOG "$work"/
make_editor "$settings"

start_program "$settings" "$work/NET19990730.LOG"
main=$(wait_window "^VornExplorer - ") || fail "the sample was not opened"
close_boxes || fail "a box did not close"
shot 1-opened

# Escape from the grid drops the board list down, Escape closes it, Down moves its highlight.
move_list_down() {
  key Escape
  wait_until 10 box_up || fail "Escape did not drop the board list down"
  key Escape
  wait_until 10 no_box_up || fail "Escape did not close the board list"
  key Down
}
# A click on the grid's second row and F; waits until the editor has saved and the program has
# read its file back (and removed it).
# The row is found below the selected first row on a picture of the screen.
reply_to_second_row() {
  editor_line "Board-list reply line."
  local mx my mw mh top bottom
  read -r mx my mw mh < <(window_geometry "$main")
  scrot -o "$work/screen.png" || fail "no picture of the screen"
  read -r top bottom < <(python3 "$(dirname "$0")/selected_row.py" "$work/screen.png" \
    $((mx + mw - 20)) $((my + 40)) $((my + mh / 2))) || fail "no selected row in the grid"
  xdotool mousemove $((mx + mw / 2)) $((bottom + (bottom - top) / 2 + 1)) click 1
  key f
  wait_edited "the reply to the second row"
  close_boxes || fail "a box did not close"
}

# The mail box is shown; the list moves on to the general board. The second row is the mail
# from じろう (the general board has an article at that row too).
move_list_down
shot 2-list-moved
reply_to_second_row
shot 3-mail-replied

# The general board opened from the list; the list moves on to the programming board. The
# second row is article 102 (the programming board's second row is its article 56).
key Escape
wait_until 10 box_up || fail "Escape did not drop the board list down"
key Down
key Return
wait_until 10 no_box_up || fail "Return did not close the board list"
shot 4-general-opened
move_list_down
reply_to_second_row
shot 5-board-replied
end_program 6-end

up=$settings/NET.UP
[ -s "$up" ] || fail "no UP file was written"
text=$(iconv -f CP932 -t UTF-8 "$up" | tr -d '\r')
[ "$(grep -c '^Board-list reply line\.$' <<<"$text")" = 2 ] || fail "not both replies are written: $text"
# A mail to じろう quoting his mail, and a reply under article 102 quoting it; nothing of the
# programming board.
grep -q '^3072$' <<<"$text" || fail "no mail to the clicked mail's writer: $text"
grep -q '^>了解しました。$' <<<"$text" || fail "the mail does not quote the mail clicked: $text"
grep -q '^102$' <<<"$text" || fail "no reply under article 102: $text"
grep -q '^>general(102/130) ' <<<"$text" || fail "the reply does not quote article 102: $text"
grep -q '^>prog(' <<<"$text" && fail "a reply went to the programming board: $text"
echo "board_list_reply: passed; pictures in $out"
