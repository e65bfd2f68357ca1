#!/usr/bin/env bash
# Runs a command under an X server of its own (Xvfb) and returns the command's status.
#
#   with_xvfb.sh WIDTHxHEIGHTxDEPTH COMMAND [ARGUMENT...]
#
# Xvfb picks a free display itself and names it on a descriptor only once it accepts clients
# (-displayfd), so two runs never race for one display number and the command never starts
# before its server is up: "xvfb-run -a" guesses the number from lock files and left the
# program without a display now and then on a loaded machine. A server that dies before it is
# ready is started again.
set -u

screen=$1
shift

scratch=$(mktemp -d)
server=
stop_server() {
  if [ -n "$server" ]; then
    kill "$server" 2>/dev/null
    wait "$server" 2>/dev/null
  fi
  rm -rf "$scratch"
}
trap stop_server EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

display=
for attempt in 1 2 3; do
  : >"$scratch/display"
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset \
    3>"$scratch/display" 2>"$scratch/xvfb.log" &
  server=$!
  # Up to 30 s for the server to name its display.
  for _ in $(seq 300); do
    display=$(tr -dc 0-9 <"$scratch/display")
    [ -n "$display" ] && break
    kill -0 "$server" 2>/dev/null || break
    sleep 0.1
  done
  [ -n "$display" ] && break
  echo "with_xvfb: the X server did not start (attempt $attempt):" >&2
  cat "$scratch/xvfb.log" >&2
  kill "$server" 2>/dev/null
  wait "$server" 2>/dev/null
  server=
done
if [ -z "$display" ]; then
  echo "with_xvfb: no X server, giving up" >&2
  exit 1
fi

DISPLAY=:$display XAUTHORITY= "$@"
