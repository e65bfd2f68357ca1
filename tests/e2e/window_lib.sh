# shellcheck shell=bash
# Helpers of the real-window scenarios (sourced): the program's windows found with xdotool, keys
# typed to its newest window, and waits on conditions rather than on time, so that a loaded
# machine only makes a run slower. The caller sets out (picture folder) and pid (the program).

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
  local tries=$((seconds * 10))
  for _ in $(seq "$tries"); do
    "$@" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}
# The id of a visible window whose title matches (of the program when pid is set).
window_named() {
  if [ -n "${pid:-}" ]; then
    local id
    for id in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
      xdotool getwindowname "$id" 2>/dev/null | grep -q -- "$1" && { echo "$id"; return 0; }
    done
    return 1
  fi
  xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 | grep .
}
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
# More than the main window is up: a message box or a dialog.
box_up() { [ "$(program_windows)" -gt 1 ]; }
no_box_up() { [ "$(program_windows)" -le 1 ]; }
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
# Closes the message boxes that are up with their default button, each once it has gone.
close_boxes() {
  for _ in $(seq 10); do
    box_up || return 0
    local before
    before=$(program_windows)
    key Return
    wait_until 10 test "$(program_windows)" -lt "$before" || return 1
  done
}
# The program's main window's geometry as X Y WIDTH HEIGHT.
window_geometry() {
  xdotool getwindowgeometry --shell "$1" |
    awk -F= '$1 ~ /^(X|Y|WIDTH|HEIGHT)$/ { printf "%s ", $2 } END { print "" }'
}
ended() { ! kill -0 "$pid" 2>/dev/null; }
ended_or_asking() { ended || box_up; }
# Ends the program through File, End; the question whether to write the UP/PAD files, when it
# comes, is answered with the key given (Return, Yes, by default). Fails unless it ends well.
end_program() {
  no_box_up || fail "a box is still up before ending"
  key alt+f
  wait_until 10 box_up || fail "the File menu did not open"
  key x
  wait_until 20 ended_or_asking || fail "the program neither ended nor asked"
  if kill -0 "$pid" 2>/dev/null; then
    shot "${1:-end}-question"
    key "${2:-Return}"
  fi
  wait_until 20 ended || fail "the program did not end"
  wait "$pid" || fail "the program ended with an error"
  pid=
}
