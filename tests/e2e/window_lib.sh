# shellcheck shell=bash
# Helpers of the real-window scenarios (sourced): the program started in a real X server
# (tests/e2e/with_xvfb.sh), its windows found with xdotool, keys typed as a user types them, and waits on
# conditions (a window's title, a file, the process's end) rather than on time, so that a loaded
# machine only makes a run slower. The caller sets scenario, out (picture folder) and source
# (the source tree) and calls make_work; start_program sets pid.

pid=
# Processes besides the program that the scenario started; stopped at the end as well.
helper_pids=()

# The picture folder emptied, a scratch folder made ($work) with a copy of the sample settings
# ($settings), and whatever still runs stopped at the end (a process already gone is no failure).
make_work() {
  mkdir -p "$out"
  rm -f "$out"/*.png
  work=$(mktemp -d)
  trap clean_up EXIT
  settings=$work/settings
  mkdir -p "$settings"
  cp "$source"/samples/settings/* "$settings"/
}
clean_up() {
  local p
  for p in "${pid:-}" "${helper_pids[@]}"; do
    [ -z "$p" ] || kill "$p" 2>/dev/null || true
  done
  [ -n "${VORN_KEEP_WORK:-}" ] || rm -rf "$work"
}

fail() {
  echo "${scenario:-real window}: $*" >&2
  shot failure || true
  exit 1
}
shot() { scrot -o "$out/$1.png" 2>/dev/null; }

# Runs a command until it succeeds, every 0.1 s, for at most the seconds given.
wait_until() {
  local seconds=$1
  shift
  for _ in $(seq $((seconds * 10))); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

# The ids of the program's visible windows whose title matches, oldest first.
windows_titled() { xdotool search --all --onlyvisible --pid "$pid" --name "$1" 2>/dev/null; }
# The newest such window; fails when there is none.
window_named() { windows_titled "$1" | tail -n 1 | grep .; }
window_up() { [ -n "$(windows_titled "$1")" ]; }
window_gone() { ! window_up "$1"; }
# Waits up to 30 s for such a window; prints its id.
wait_window() {
  local id
  for _ in $(seq 300); do
    id=$(window_named "$1") && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
program_windows() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l; }
# More than the main window is up: a message box, a dialog or a menu.
box_up() { [ "$(program_windows)" -gt 1 ]; }
no_box_up() { [ "$(program_windows)" -le 1 ]; }
fewer_windows_than() { [ "$(program_windows)" -lt "$1" ]; }
# The window's geometry as X Y WIDTH HEIGHT.
window_geometry() {
  xdotool getwindowgeometry --shell "$1" |
    awk -F= '$1 ~ /^(X|Y|WIDTH|HEIGHT)$/ { printf "%s ", $2 } END { print "" }'
}

# Without a window manager the keyboard goes where the program is told it goes: to its newest
# visible window (a message box over the main window, say), as a user would see it.
focus_top() {
  local top
  top=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | sort -n | tail -n 1) || true
  [ -n "$top" ] && xdotool windowfocus --sync "$top" 2>/dev/null || true
}
key() {
  focus_top
  xdotool key --clearmodifiers "$@"
}
# Focuses the newest window with the title and types keys into it.
key_in() {
  local id
  id=$(window_named "$1") || fail "no window titled $1"
  xdotool windowfocus --sync "$id" 2>/dev/null || true
  shift
  xdotool key --clearmodifiers "$@"
}
# Closes the boxes that are up with their default button, each once it has gone. A Return that
# comes before the box takes keys is sent again.
close_boxes() {
  local before
  for _ in $(seq 10); do
    box_up || return 0
    before=$(program_windows)
    key Return
    wait_until 10 fewer_windows_than "$before" || true
  done
  no_box_up
}

# Starts the program with a settings folder and the further arguments (logs) given.
start_program() {
  local settings=$1
  shift
  "$program" --settings-dir "$settings" "$@" &
  pid=$!
}
# The end of a load: the system messages can be shown (Ctrl+I) only once it is done. Their
# window is closed again with its default button.
messages_shown() {
  key_in "^VornExplorer" ctrl+i
  sleep 0.2
  box_up
}
wait_loaded() {
  wait_until 60 messages_shown || fail "the load did not finish ($1)"
  close_boxes || fail "the system messages stayed ($1)"
}
# Answers No (Alt+N) to the question titled 確認 that comes next, and waits until it is gone.
answer_no() {
  local id
  id=$(wait_window "^確認$") || fail "no question came ($1)"
  shot "$1"
  xdotool windowfocus --sync "$id" 2>/dev/null || true
  xdotool key --clearmodifiers alt+n
  wait_until 30 question_gone "$id" || fail "the question stayed ($1)"
}
question_gone() { ! windows_titled "^確認$" | grep -qx "$1"; }

# Ending through File, End: the program ends, or asks (確認) whether to write the UP/PAD files.
ended() { ! kill -0 "$pid" 2>/dev/null; }
ended_or_asking() { ended || window_up "^確認$"; }
ask_to_end() {
  no_box_up || fail "a box is still up before ending"
  key alt+f
  wait_until 10 box_up || fail "the File menu did not open"
  key x
  wait_until 30 ended_or_asking || fail "the program neither ended nor asked"
}
# The program ends; its exit status must be 0.
wait_ended() {
  wait_until 30 ended || fail "the program did not end"
  wait "$pid" || fail "the program ended with an error"
  pid=
}
# Ends the program; the question, when it comes, is answered with the key given (Return, Yes,
# by default).
end_program() {
  ask_to_end
  if ! ended; then
    shot "${1:-end}-question"
    key_in "^確認$" "${2:-Return}"
  fi
  wait_ended
}

# The editor a user would type in: adds a line (from the file editor-line) below the material
# and saves, then records the file's name in editor-done. It finds the scratch folder in
# E2E_WORK, which it inherits from the program.
make_editor() {
  local editor=$work/editor.sh
  cat >"$editor" <<'SH'
#!/bin/sh
eval "file=\${$#}"
printf '%s\r\n' "$(cat "$E2E_WORK/editor-line")" >>"$file"
printf '%s' "$file" >"$E2E_WORK/editor-done"
SH
  chmod +x "$editor"
  export E2E_WORK=$work
  printf '[Common]\r\nVersion=1.20\r\nEditer="%s"\r\nEditerEndActivate=0\r\n' "$editor" \
    >"$1/vornexpl.ini"
}
# The line the editor adds next.
editor_line() {
  printf '%s' "$1" >"$work/editor-line"
  rm -f "$work/editor-done"
}
# The editor has saved, and the program has read the text back once its file is gone.
wait_edited() {
  wait_until 30 test -s "$work/editor-done" || fail "the editor was not started ($1)"
  wait_until 30 test ! -e "$(cat "$work/editor-done")" ||
    fail "the program did not read the text back ($1)"
}
# Composes in the grid with the key.
compose() {
  editor_line "$2"
  key_in "^VornExplorer" "$1"
  wait_edited "$2"
}
