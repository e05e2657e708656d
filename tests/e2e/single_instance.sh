#!/usr/bin/env bash
# The real binary opens the simulated unit; a second start says so and leaves with 0.
source "$(dirname "$0")/lib.sh"

start_app
wait_trace "event open 0483:a1de"
wait_window " Kelvane Power 500 connected"

"$AMPORA_BIN" >>"$E2E_OUT/second.log" 2>&1 &
second=$!
wait_window "Can't launch"
screenshot cant-launch
xdotool search --name "Can't launch" windowactivate --sync key --clearmodifiers Return || \
    xdotool search --name "Can't launch" key Return
status=0
wait "$second" || status=$?
[ "$status" -eq 0 ] || fail "second instance exited with $status"
kill -0 "$APP_PID" || fail "the first instance did not survive"
echo "PASS"
