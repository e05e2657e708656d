#!/usr/bin/env bash
# A unit is plugged in and seen: the window names the model, the dock shows
# every quantity live, the output switches, and removal is reported at once.
# MODEL=500|600 chooses the simulated model.
source "$(dirname "$0")/lib.sh"
model=${MODEL:-500}
rows=8; [ "$model" = 600 ] && rows=14

start_app AMPORA_SIM_MODEL="$model" AMPORA_SIM_OUTPUT=on
expect_probe 30 " Kelvane Power $model connected" title

# The conversation of a connection, in the unit's own trace.
wait_trace 'write text "LOGSTOP\n"'
wait_trace 'write info-request'
wait_trace 'write text "POWER\n"'
wait_trace 'write settings-request'
wait_trace 'write status-request'

expect_probe 10 "$rows" rows tableWidget
expect_probe 10 "#0: 13.8V Voltage" cell tableWidget 0 0
expect_probe 10 "13.8V" cell tableWidget 0 1
expect_probe 10 "230V" cell tableWidget 6 1
expect_probe 10 "50.0Hz" cell tableWidget 7 1
expect_probe 10 1 enabled btnStart

# The indicator is the green ball: green clearly dominates at its centre.
green() {
    local hex; hex=$(probe pixel iconPWR 16 16)
    local r=$((16#${hex:1:2})) g=$((16#${hex:3:2})) b=$((16#${hex:5:2}))
    [ "$g" -gt $((r + 40)) ] && [ "$g" -gt $((b + 40)) ]
}
wait_until 10 green || fail "the indicator is not green: $(probe pixel iconPWR 16 16)"
grab "connected-$model"

# Power: the panel asks the unit to switch, and follows the unit's next answer.
probe click btnCheckPower >/dev/null
wait_trace 'write text "PSW0\r\n"'
expect_probe 10 0 enabled btnStart
not_green() { ! green; }
wait_until 10 not_green || fail "the indicator stayed green after the output went off"
grab "output-off-$model"
probe click btnCheckPower >/dev/null
wait_trace 'write text "PSW1\r\n"'
expect_probe 10 1 enabled btnStart

# Unplugged: reported at once (within one presence check) in the error colour.
sim_control unplug
expect_probe 10 "Quenlor Ampora - no device connected" title
status=$(probe status)
case "$status" in
    "Device disconnected | color: red") ;;
    *) fail "status bar after unplugging: $status" ;;
esac
grab "unplugged-$model"

sim_control plug
expect_probe 10 " Kelvane Power $model connected" title
echo PASS
