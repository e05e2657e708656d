#!/usr/bin/env bash
# A recording end to end: three channels at 100 Hz, watched live, stopped,
# browsed, saved, closed and opened again with the simulated values in it.
source "$(dirname "$0")/lib.sh"

start_app AMPORA_SIM_OUTPUT=on
expect_probe 30 " Kelvane Power 500 connected" title
expect_probe 20 1 enabled btnStart

for row in 0 1 6; do [ "$(probe tick tableWidget $row 1)" = 1 ] || fail "row $row not ticked"; done
[ "$(probe combo comboBoxSampleRate 3)" = " 100 Hz" ] || fail "no 100 Hz item"
probe click btnStart >/dev/null
wait_trace 'write text "LOG100C016\n"'
expect_probe 10 "1 *Capture 1" tabs
started=$SECONDS

swap="$TMPDIR/Capture 1.tmp"
sleep 5
grab live-5s
wait_until 30 test $((SECONDS - started)) -ge 14 || true
[ -f "$swap" ] || fail "no swap file in the temporary folder"
size1=$(stat -c %s "$swap")
sleep 2
size2=$(stat -c %s "$swap")
[ "$size2" -gt "$size1" ] && [ "$size1" -gt 512 ] || fail "the swap file does not grow ($size1, $size2)"

# Memory holds about the last ten seconds.
read -r count first last <<<"$(probe graph 0)"
[ "$count" -ge 900 ] && [ "$count" -le 1100 ] || fail "points in memory: $count"
awk -v f="$first" -v l="$last" 'BEGIN { exit !(f > 3 && l - f > 9 && l - f < 11) }' || fail "memory holds $first..$last"
grab live

probe click btnStop >/dev/null
wait_trace 'write text "LOGSTOP\n"'
expect_probe 20 1 enabled btnStart            # the unit confirmed the end of its log
read -r count first last <<<"$(probe graph 0)"
awk -v f="$first" -v l="$last" 'BEGIN { exit !(l > 14 && l - f > 9.5 && l - f < 10.5) }' || fail "after the stop: $first..$last"
grab stopped

# Dragging back past the slice in memory reads the earlier one from the file.
probe dragtime 400 >/dev/null
wait_until 10 awk -v f="$first" -v g="$(probe graph 0 | cut -d' ' -f2)" 'BEGIN { exit !(g < f - 1) }' ||
    fail "no earlier slice after dragging: $(probe graph 0)"
grab dragged

# Save under a name: the swap file becomes the recording.
probe click Save >/dev/null
sleep 1
[ "$(probe filedialog "$HOME/bench run.ampora")" = ok ] || fail "no save dialog"
expect_probe 10 "1 bench run" tabs
[ -f "$HOME/bench run.ampora" ] || fail "the recording was not saved"
[ ! -e "$swap" ] || fail "the swap file is still in the temporary folder"

# Close it (a question first), then open it again.
probe closetab 0 >/dev/null
sleep 1
question=$(probe answer Yes)
[ "$question" = "Close bench run?" ] || fail "closing asked: $question"
expect_probe 10 "1 Capture 1" tabs
probe click Open >/dev/null
sleep 1
[ "$(probe filedialog "$HOME/bench run.ampora")" = ok ] || fail "no open dialog"
expect_probe 10 "2 Capture 1|bench run" tabs
read -r count first last <<<"$(probe graph 0)"
[ "$first" = 0.0000 ] && awk -v l="$last" 'BEGIN { exit !(l > 9.9 && l <= 10.0) }' ||
    fail "the first ten seconds are not shown: $(probe graph 0)"
grab loaded

# The values are the simulated waveforms, sample for sample.
graph=0
for channel in 0 1 6; do
    expected=$("$AMPORA_WAVEFORM" 500 100 "$channel" 0 50)
    got=$(probe points $graph 50 | tr ' ' '\n' | cut -d: -f2 | tr '\n' ' ' | sed 's/ $//')
    [ "$got" = "$expected" ] || fail "channel $channel: got '$got', expected '$expected'"
    graph=$((graph + 1))
done
echo PASS
