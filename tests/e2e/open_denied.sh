#!/usr/bin/env bash
# A unit that is attached but may not be opened (no udev rule) is not shown as
# "no device": the window says so and names the fix.
source "$(dirname "$0")/lib.sh"

start_app AMPORA_SIM_OPEN_DENIED=1
expect_probe 30 "Quenlor Ampora - unit found but cannot be opened" title
status=$(probe status)
case "$status" in
    *"500200000001"*"60-kelvane-power.rules"*"udevadm"*"color: red") ;;
    *) fail "status bar: $status" ;;
esac
grab open-denied
screenshot open-denied-screen   # the box with the fix is a window of its own
echo PASS
