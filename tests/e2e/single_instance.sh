#!/usr/bin/env bash
# The real binary opens the simulated unit; a second start says so and leaves with 0.
source "$(dirname "$0")/lib.sh"

start_app
wait_trace "event open 0483:a1de"
expect_probe 30 " Kelvane Power 500 connected" title

"$AMPORA_BIN" >>"$E2E_OUT/second.log" 2>&1 &
second=$!
wait_window "Can't launch"
screenshot cant-launch
# No window manager here: send the key straight to the box's window.
for id in $(xdotool search --onlyvisible --name "Can't launch"); do
    xdotool key --window "$id" Return 2>/dev/null || true
done
status=0
wait "$second" || status=$?
[ "$status" -eq 0 ] || fail "second instance exited with $status"
kill -0 "$APP_PID" || fail "the first instance did not survive"
echo "PASS"
