# Helpers for the real-window scenarios: the program started in a real X server (xvfb-run) and
# driven with xdotool as a user drives it. Every wait is for a condition (a window's title, a
# file, the process's end), never a fixed time, so a loaded machine only makes a run slower.
# Source it after setting: program, out (picture folder), work (scratch folder).

pid=
fail() {
  echo "$scenario: $*" >&2
  shot failure || true
  exit 1
}
shot() { scrot -o "$out/$scenario-$1.png" 2>/dev/null; }

# Waits up to $2 seconds (default 30) for the condition command in $1 to succeed.
wait_for() {
  local limit=$((${2:-30} * 20))
  for _ in $(seq "$limit"); do
    eval "$1" && return 0
    sleep 0.05
  done
  return 1
}

# The visible windows of the program whose title matches the pattern.
windows_titled() { xdotool search --all --onlyvisible --pid "$pid" --name "$1" 2>/dev/null; }
window_up() { [ -n "$(windows_titled "$1")" ]; }
window_count() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l; }

# Without a window manager the keyboard goes where the program is told it goes: to its newest
# visible window (a dialog over the main window), as a user would see it.
focus_top() {
  local top
  top=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | sort -n | tail -n 1) || true
  [ -n "$top" ] && xdotool windowfocus --sync "$top" 2>/dev/null || true
}
key() {
  focus_top
  xdotool key --clearmodifiers "$@"
}
# Focuses the window with the title and types keys into it.
key_in() {
  local id
  id=$(windows_titled "$1" | tail -n 1)
  [ -n "$id" ] || fail "no window titled $1"
  xdotool windowfocus --sync "$id" 2>/dev/null || true
  shift
  xdotool key --clearmodifiers "$@"
}

# Types keys into the window with the title when it is up; nothing when it is not (it may
# close between the look and the keys).
key_if_up() {
  local id
  id=$(windows_titled "$1" | tail -n 1)
  [ -n "$id" ] || return 0
  xdotool windowfocus --sync "$id" 2>/dev/null || true
  shift
  xdotool key --clearmodifiers "$@" 2>/dev/null || true
}

# Starts the program on a log with a settings folder.
start_program() {
  "$program" --settings-dir "$1" "$2" &
  pid=$!
  wait_for 'window_up "^VornExplorer"' || fail "the main window did not appear"
}
# The end of the load: the system messages of the sample can be shown (Ctrl+I) only once it is
# done. Their window is closed again with its default button.
wait_loaded() {
  wait_for 'key_in "^VornExplorer" ctrl+i; sleep 0.2; [ "$(window_count)" -gt 1 ]' ||
    fail "the load did not finish ($1)"
  wait_for '[ "$(window_count)" -gt 1 ] && key Return; [ "$(window_count)" -eq 1 ]' ||
    fail "the system messages stayed ($1)"
}
# Answers No (Alt+N) to the question titled 確認 that comes next, and waits until it is gone.
answer_no() {
  local id
  wait_for '[ -n "$(windows_titled "^確認$")" ]' || fail "no question came ($1)"
  id=$(windows_titled "^確認$" | tail -n 1)
  shot "$1"
  xdotool windowfocus --sync "$id" 2>/dev/null || true
  xdotool key --clearmodifiers alt+n
  wait_for "! windows_titled '^確認$' | grep -qx '$id'" || fail "the question stayed ($1)"
}
# The program ends; its exit status must be 0.
wait_exit() {
  wait_for '! kill -0 "$pid" 2>/dev/null' 30 || fail "the program did not end"
  wait "$pid" || fail "the program ended with an error"
  pid=
}

# The editor a user would type in: adds a line (from the file editor-line) below the material
# and saves, then leaves a mark that it is done. It finds the scratch folder in E2E_WORK, which
# it inherits from the program.
make_editor() {
  local editor=$work/editor.sh
  cat >"$editor" <<'SH'
#!/bin/sh
eval "file=\${$#}"
printf '%s\r\n' "$(cat "$E2E_WORK/editor-line")" >>"$file"
: > "$E2E_WORK/editor-done"
SH
  chmod +x "$editor"
  export E2E_WORK=$work
  printf '[Common]\r\nVersion=1.20\r\nEditer="%s"\r\nEditerEndActivate=0\r\n' "$editor" \
    >"$1/vornexpl.ini"
}
# Composes in the grid with the key: the editor adds the line, and the program has read the
# text back once its temporary file is gone.
compose() {
  local key_name=$1 line=$2 settings=$3
  printf '%s' "$line" >"$work/editor-line"
  rm -f "$work/editor-done"
  key_in "^VornExplorer" "$key_name"
  wait_for '[ -e "$work/editor-done" ]' || fail "the editor was not started for $line"
  wait_for '! ls "$settings"/vorntemp_*.txt >/dev/null 2>&1' ||
    fail "the program did not read the text back ($line)"
}
