#!/usr/bin/env bash
# Nothing composed is lost, in a real X window driven from outside:
#   declined  UP and PAD files of an earlier run are not read back (No to both questions), a
#             root article is written, the program is ended with Yes: the new UP file holds
#             the new article and the earlier files are kept beside it, byte for byte.
#   refill    a reply is queued, then the board editor is opened and cancelled, opened and
#             confirmed, and a log is added through File > Add; ending asks, and Yes writes
#             the reply into the UP file.
#
#   writes_kept.sh SCENARIO VORNEXPL SOURCE_DIR OUT_DIR
# Run it under a real X server (tests/e2e/with_xvfb.sh); it needs xdotool and scrot.
set -euo pipefail

scenario=$1
program=$2
source=$3
out=$4
# shellcheck source=window_lib.sh
. "$(dirname "$0")/window_lib.sh"
make_work
cp "$source"/samples/NET19990730.LOG "$work"/
log=$work/NET19990730.LOG
printf -- "-- taro\r\n" >"$settings/NET.SIG"
make_editor "$settings"

case $scenario in
  declined)
    printf '\\1\r\nWEarlier root\r\ncomposed last time\r\n.\r\n\r\nQ\r\n' >"$settings/NET.UP"
    printf '*U\r\n3\r\n/home/taro/old.lzh\r\nOLD.LZH\r\nEarlier upload\r\nbody\r\n.\r\n' \
      >"$settings/NET.PAD"
    cp "$settings/NET.UP" "$work/old.UP"
    cp "$settings/NET.PAD" "$work/old.PAD"
    start_program "$settings" "$log"
    wait_window "^VornExplorer" >/dev/null || fail "the main window did not appear"
    # The two questions whether to read the files back (UP, then PAD), each answered No.
    answer_no 1-read-back-up
    answer_no 2-read-back-pad
    wait_loaded "declined"
    # The second board ("general") opened from the board list, a root article written there.
    key_in "^VornExplorer" Escape
    key_in "^VornExplorer" Down
    key_in "^VornExplorer" Return
    compose w "Written after declining"
    shot 3-new-root
    ask_to_end
    window_up "^確認$" || fail "ending did not ask about the UP/PAD files"
    shot 4-end-question
    key_in "^確認$" Return
    # The names the earlier files were kept under.
    wait_window "^情報$" >/dev/null || fail "the user was not told where the earlier files went"
    shot 5-kept-files
    key_in "^情報$" Return
    wait_ended
    grep -a -q 'Written after declining' "$settings/NET.UP" || fail "the new root is not in NET.UP"
    grep -a -q 'Earlier root' "$settings/NET.UP" && fail "NET.UP still holds the earlier root"
    [ -e "$settings/NET.PAD" ] && fail "NET.PAD was not replaced (nothing binary is pending)"
    kept_up=$(ls "$settings"/NET_notread_*.UP 2>/dev/null | head -n 1)
    kept_pad=$(ls "$settings"/NET_notread_*.PAD 2>/dev/null | head -n 1)
    [ -n "$kept_up" ] && cmp -s "$kept_up" "$work/old.UP" || fail "the earlier UP file was not kept"
    [ -n "$kept_pad" ] && cmp -s "$kept_pad" "$work/old.PAD" ||
      fail "the earlier PAD file was not kept"
    ;;
  refill)
    printf 'junk line one\r\njunk line two\r\n' >"$work/NET19990731.LOG"
    start_program "$settings" "$log"
    wait_window "^VornExplorer" >/dev/null || fail "the main window did not appear"
    wait_loaded "refill"
    compose f "Reply that must not vanish"
    shot 1-reply-pending
    # The board editor, cancelled (Escape) and confirmed (Return in its list).
    for answer in Escape Return; do
      key_in "^VornExplorer" alt+e
      key b
      wait_window "^ボード編集$" >/dev/null || fail "the board editor did not open"
      key_in "^ボード編集$" "$answer"
      wait_until 30 window_gone "^ボード編集$" || fail "the board editor did not close ($answer)"
    done
    shot 2-after-board-editor
    # A log added through File > Add (the file's name typed into the file dialog).
    key_in "^VornExplorer" alt+f
    key a
    wait_window "^ログファイル指定$" >/dev/null || fail "the add dialog did not open"
    key_in "^ログファイル指定$" ctrl+a
    xdotool type --delay 5 "$work/NET19990731.LOG"
    key_in "^ログファイル指定$" Return
    wait_until 30 window_gone "^ログファイル指定$" || fail "the add dialog did not close"
    # Whatever the add has to say is closed; then only the main window is left.
    close_boxes || fail "boxes stayed after the add"
    shot 3-after-add
    ask_to_end
    window_up "^確認$" || fail "ending did not ask about the UP/PAD files"
    shot 4-end-question
    key_in "^確認$" Return
    wait_ended
    grep -a -q 'Reply that must not vanish' "$settings/NET.UP" ||
      fail "the reply is not in the UP file"
    ;;
  *)
    fail "unknown scenario"
    ;;
esac
echo "$scenario: passed; pictures in $out"
