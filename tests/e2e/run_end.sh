#!/usr/bin/env bash
# The ends of a run the program does not choose, on the real program in a real X window:
#   term   a reply is queued and two articles are read, then the program gets SIGTERM (a
#          logout, a shutdown): it ends with status 143 after saving the lists, the read
#          pointers and the settings, and writes no UP or PAD file. The next start says that
#          the last run did not end cleanly and offers the reply back (Return keeps it); ending
#          with Yes puts it into the UP file once.
#   kill   the same with kill -9 a few seconds after the reading: nothing is saved at the end,
#          and the next start finds the reply and the read marks in the journal.
#   nifty  kill -9 on the Nifty-Serve sample: the reply goes into the PAD file once.
#
#   run_end.sh SCENARIO VORNEXPL VORNEXPL_CLI SOURCE_DIR OUT_DIR
# Run it under a real X server (with_xvfb.sh); it needs xdotool and scrot.
set -euo pipefail

scenario=$1
program=$2
cli=$3
source=$4
out=$5
# shellcheck source=window_lib.sh
. "$(dirname "$0")/window_lib.sh"
make_work
prefix=NET
output=NET.UP
if [ "$scenario" = nifty ]; then
  prefix=NIF
  output=NIF.PAD
fi
cp "$source/samples/${prefix}19990730.LOG" "$work"/
log=$work/${prefix}19990730.LOG
make_editor "$settings"

# The unread articles of the sample as the read-pointer file has them.
unread() {
  "$cli" --settings-dir "$settings" boards --unread "$log" 2>/dev/null |
    sed -n 's/.*\[未読 *\([0-9]*\)\].*/\1/p' | awk '{ n += $1 } END { print n + 0 }'
}
before=$(unread)
# Whether the journal of read marks holds a mark (its first two lines are its header).
marks_journaled() {
  [ -f "$settings/$prefix.JNR" ] && [ "$(wc -l <"$settings/$prefix.JNR")" -gt 2 ]
}

start_program "$settings" "$log"
wait_window "^VornExplorer" >/dev/null || fail "the main window did not appear"
wait_loaded "first start"
compose f "RUN-END-REPLY kept over the end"
key_in "^VornExplorer" Down
key_in "^VornExplorer" Down
shot 1-reply-and-reading
case $scenario in
  term)
    kill -TERM "$pid"
    status=0
    wait_until 10 ended || fail "the program did not end on SIGTERM"
    wait "$pid" || status=$?
    pid=
    [ "$status" -eq 143 ] || fail "SIGTERM ended the program with status $status, not 143"
    [ -s "$settings/NET.BRD" ] && [ -s "$settings/NET.MEM" ] || fail "the lists were not saved"
    [ -s "$settings/vornexpl.ini" ] || fail "the settings were not saved"
    after=$(unread)
    [ "$after" -lt "$before" ] || fail "the read pointers were not saved ($before, $after unread)"
    ;;
  kill | nifty)
    # The read marks reach the journal within two seconds: the kill waits until they are there.
    wait_until 20 marks_journaled || fail "the read marks did not reach the journal"
    kill -KILL "$pid"
    wait_until 10 ended || fail "kill -9 did not end the program"
    pid=
    ;;
esac
[ -e "$settings/$output" ] && fail "$output was written without the user's word"
grep -a -q RUN-END-REPLY "$settings/$prefix.JNL" || fail "the journal does not hold the reply"

# The next start: the question whether to keep the writes of the last run, answered with
# Return (keep).
start_program "$settings" "$log"
wait_window "^確認$" >/dev/null || fail "the next start did not offer the last run's writes"
shot 2-offered-back
key_in "^確認$" Return
wait_until 30 window_gone "^確認$" || fail "the offer stayed"
wait_loaded "second start"
after=$(unread)
[ "$after" -lt "$before" ] || fail "the read marks of the last run are lost ($before, $after unread)"
shot 3-reply-back
ask_to_end
window_up "^確認$" || fail "ending did not ask about the UP/PAD files"
key_in "^確認$" Return
wait_ended
count=$(grep -a -c RUN-END-REPLY "$settings/$output" || true)
[ "$count" -eq 1 ] || fail "$output holds the reply $count times"
[ -e "$settings/$prefix.JNL" ] && fail "the journal was left after a clean end"
echo "$scenario: passed; pictures in $out"
