#!/usr/bin/env bash
# A new user's first session, in a real X window of 1400x900 with the C locale: the program
# started as `make run` starts it (the sample settings, the NetVorn sample, no vornexpl.ini
# window section yet), then open, add a log with a reply chain 40 deep, read, read on from the
# article view, reply, the side-by-side layout, the settings dialogs, the help page where the
# desktop has no launcher, the end with the UP file; then a start with hand-edited settings.
# Each step leaves a picture in the output folder; the checks that a script can make are made
# (window place, files written). Too long for `make test`: run it by hand or with
# `make walkthrough`.
#
#   first_run_walkthrough.sh VORNEXPL SOURCE_DIR OUT_DIR
# Run it under a real X server of 1400x900 (tests/e2e/with_xvfb.sh 1400x900x24); it needs
# xdotool and scrot.
set -euo pipefail

program=$1
source=$2
out=$3
mkdir -p "$out"
rm -f "$out"/*.png
work=$(mktemp -d)
trap '[ -n "${pid:-}" ] && kill "$pid" 2>/dev/null; [ -n "${VORN_KEEP_WORK:-}" ] || rm -rf "$work"' EXIT

fail() {
  echo "walkthrough: $*" >&2
  shot failure || true
  exit 1
}
shot() { scrot -o "$out/$1.png" 2>/dev/null; }
# The main window alone (the README's picture).
shot_window() {
  local x y w h
  read -r x y w h < <(xdotool getwindowgeometry "$main" | tr -d ' ' |
    sed -n 's/^Position:\([0-9]*\),\([0-9]*\).*/\1 \2/p; s/^Geometry:\([0-9]*\)x\([0-9]*\)/\1 \2/p' | paste -sd' ')
  scrot -o -a "$x,$y,$w,$h" "$out/$1.png" 2>/dev/null
}

settings=$work/settings
mkdir -p "$settings"
cp "$source"/samples/settings/* "$settings"/
cp "$source"/samples/NET19990730.LOG "$work"/

# A day with one thread 40 replies deep in the chat board of the sample host.
deep=$work/NET19990731.LOG
{
  iconv -f CP932 -t UTF-8 "$source"/samples/NET19990730.LOG | sed -n '1,/^Command (?:L/p'
  printf -- '----- ボード一覧 -----\n 1.  \\general\t雑談ボード\n\nCommand (?:1\nNo.1 ｢雑談ボード｣\n\n'
  printf -- '-\t\ngeneral(200/300) 99/07/31 10:00 深いスレッド\n  2 lines 1024:たろう \n'
  printf 'どこまで続くか試してみましょう。\n\n'
  for n in $(seq 201 240); do
    parent=$((n - 1))
    printf -- '-\t\ngeneral(%d/300) 99/07/31 %02d:%02d Re: 深いスレッド\n' "$n" $((10 + (n - 200) / 60)) $(((n - 200) % 60))
    printf ' <%d:深いスレッド/1024:たろう>\n  2 lines 2048:はなこ \n' "$parent"
    printf '%d段目の返事です。\n\n' $((n - 200))
  done
} | iconv -f UTF-8 -t CP932 | LC_ALL=C sed 's/$/\r/' >"$deep"

# The editor a user would type in: it adds the reply's text below the material and saves.
editor=$work/editor.sh
cat >"$editor" <<'SH'
#!/bin/sh
eval "file=\${$#}"
printf 'Walkthrough reply line.\r\n' >>"$file"
SH
chmod +x "$editor"
# Only the editor is set; the window has no place stored yet.
printf '[Common]\r\nVersion=1.20\r\nEditer="%s"\r\nEditerEndActivate=0\r\n' "$editor" \
  >"$settings/vornexpl.ini"
# A desktop without a launcher for documents: no xdg-open on the program's PATH.
mkdir -p "$work/bin"

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
windows() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l; }
# Waits up to 10 s for a visible window of the program whose title holds the text (compared
# as bytes: xdotool's own name search does not match every Japanese title).
wait_titled() {
  local w
  for _ in $(seq 100); do
    for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
      [[ "$(xdotool getwindowname "$w" 2>/dev/null)" == *"$1"* ]] && return 0
    done
    sleep 0.1
  done
  return 1
}
focus_top() {
  local top
  top=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | sort -n | tail -n 1) || true
  [ -n "$top" ] && xdotool windowfocus --sync "$top" 2>/dev/null || true
}
key() {
  focus_top
  xdotool key --clearmodifiers "$@"
  sleep 0.3
}
close_boxes() {
  for _ in $(seq 10); do
    [ "$(windows)" -gt 1 ] || return 0
    key Escape
  done
}
start() {
  env LANG=C LC_ALL= LANGUAGE= PATH="$work/bin" "$program" --settings-dir "$settings" "$@" &
  pid=$!
  main=$(wait_window "^Vorn ?Explorer") || fail "the main window did not appear"
  sleep 1.5
}
geometry() { xdotool getwindowgeometry "$main" | tr -d ' ' | grep -E 'Position|Geometry' | cut -d: -f2 | cut -d'(' -f1 | paste -sd' '; }

# 1. The first start: three quarters of the screen, centred, straight into the first article.
start "$work/NET19990730.LOG"
shot 01-first-start
place=$(geometry)
[ "$place" = "175,112 1050x675" ] || fail "first-run place: $place"
[ "$(windows)" -eq 1 ] || fail "a box stands between the start and the first article"

# 2. Open: two sample sets, so the selection dialog comes first.
key ctrl+o
wait_titled "BBS選択" || fail "no BBS selection for two sets"
shot 02-open-selection
close_boxes

# 3. Add a day's log through Qt's file dialog, which speaks Japanese under LANG=C.
key ctrl+a
wait_titled "ログファイル指定" || fail "no file dialog for adding"
sleep 0.5
shot 03-file-dialog
focus_top
xdotool type --delay 15 "$deep"
key Return
sleep 1.5
close_boxes

# 4. Reading with Space in the grid, then from the article view after a click into it.
for _ in 1 2 3; do key space; done
shot 04-reading
xdotool mousemove --window "$main" 600 500 click 1
sleep 0.3
for _ in 1 2; do key space; done
shot 05-reading-from-the-view

# 5. A reply, composed in the editor; it waits in the grid as a pending write.
key f
sleep 2
close_boxes
shot 06-reply-pending

# 6. The side-by-side layout (View, seventh item).
key alt+v
for _ in 1 2 3 4 5 6; do xdotool key Down; done
key Return
sleep 0.5
shot 07-side-by-side
shot_window window-side-by-side

# 7. The 40-deep thread: the chat board from the board list, its last reply.
key Escape
sleep 0.5
key Home
key Down
key Return
sleep 0.5
key ctrl+End
sleep 0.5
shot 08-deep-thread

# 8. The settings dialogs and the editors of IDs and boards.
key alt+s
key c
wait_titled "共通設定" || fail "no common settings dialog"
shot 09-common-settings
close_boxes
key alt+s
key b
sleep 1
shot 10-bbs-settings
close_boxes
key alt+e
key i
sleep 1
shot 11-id-editor
key Escape
key Return
close_boxes
key alt+e
key b
sleep 1
shot 12-board-editor
close_boxes

# 9. F1 without a launcher: the page in a window of the program.
key F1
wait_titled "ヘルプ" || fail "F1 showed nothing"
sleep 1
shot 13-help-window
close_boxes

# 10. The end: the pending reply goes into the UP file, with the sample's signature.
key alt+f
key x
sleep 1
shot 14-end-question
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
grep -a -q 'Walkthrough reply line.' "$up" || fail "the reply is not in the UP file"
iconv -f CP932 -t UTF-8 "$up" | grep -q 'ゲスト@サンプルネット' || fail "the signature is not in the reply"
grep -a -q 'Load Error' "$up" && fail "the reply carries a Load Error line"
grep -q '^\[Window\]' "$settings/vornexpl.ini" || fail "the window's place was not stored"

# 11. Hand-edited settings: told once after the start; the stored place wins.
sed -i 's/^FontSize=.*\r$/FontSize=abc\r/; s/^DropCount=.*\r$/DropCount=-3\r/' "$settings/vornexpl.ini"
start "$work/NET19990730.LOG"
[ "$(windows)" -gt 1 ] || fail "the unusable settings values were not told"
shot 15-settings-warning
close_boxes
[ "$(geometry)" = "$place" ] || fail "the stored place did not win: $(geometry)"
shot 16-second-start
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=
echo "walkthrough: passed; pictures in $out"
