#!/usr/bin/env bash
# The unit's settings through the real dialog: it opens for the connected
# model with the unit's block and live screen pictures; Apply, Save, Restore
# Defaults and Sync. Now send exactly the block the controls describe; the
# unit's next block refreshes the dialog; export writes the JSON file and
# import restores it; on a model 600 "Vtune" trims the 12 V output.
# MODEL=500|600 chooses the simulated model.
source "$(dirname "$0")/lib.sh"
model=${MODEL:-500}
# A computer east of UTC by a fraction of an hour on the 500 (whole hours
# are written, truncated), west of it on the 600.
if [ "$model" = 500 ]; then export TZ=Asia/Kolkata; utc=05; else export TZ=America/New_York; utc=fb; fi

# set_packet BITMAP1 MINUTES TUNE12 CMD: the set packet of the unit's default
# block as the controls write it (bytes no control owns are 0).
set_packet() {
    local bitmap3=1f aux="0e0f02" zeros
    [ "$model" = 600 ] && bitmap3=9f aux="000000"
    zeros() { printf '0%.0s' $(seq 1 $(($1 * 2))); }
    echo "07400b${1}0d${bitmap3}05${2}${utc}0700160000$(zeros 8)05" \
         "0a090d030407${aux}05060c${3}$(zeros 21)${4}$(zeros 6)" | tr -d ' '
}
tune=00; [ "$model" = 600 ] && tune=80
last_set() { grep -o 'settings-set cmd=0x[0-9a-f]* [0-9a-f]*' "$AMPORA_SIM_TRACE" | tail -n 1 | cut -d' ' -f3; }
expect_set() { # expected-hex what
    wait_until 10 bash -c "grep -q 'settings-set cmd=0x$(echo "${1:114:2}") $1' '$AMPORA_SIM_TRACE'" \
        || fail "$2: the unit received $(last_set), expected $1"
}

start_app AMPORA_SIM_MODEL="$model" AMPORA_SIM_OUTPUT=on
expect_probe 30 " Kelvane Power $model connected" title
wait_trace 'write status-request'

if [ "$model" = 600 ]; then
    # Opened with no unit, the dialog has no settings page and closes without asking;
    # once the unit is back, the next opening edits its settings.
    sim_control unplug
    expect_probe 10 "Quenlor Ampora - no device connected" title
    probe click Settings >/dev/null
    expect_probe 10 Settings title dialog
    expect_probe 10 "3 Appearance|Update|About" tabs
    probe closedialog >/dev/null
    expect_probe 10 "error no dialog" title dialog
    sim_control plug
    expect_probe 10 " Kelvane Power $model connected" title
fi

probe click Settings >/dev/null
expect_probe 10 Settings title dialog
expect_probe 10 "4 Appearance|Power $model Settings|Update|About" tabs
# The unit's stored block fills the controls.
expect_probe 10 30 value spinBoxMinutes_2
expect_probe 10 0.5 value doubleSpinBoxAmpers_2
expect_probe 10 1 checked checkBoxLongtouch_2
expect_probe 10 0 checked radioButtonDigital_2
case $(probe text labelSerial) in "Serial number: 500"*) ;; *) fail "serial: $(probe text labelSerial)" ;; esac
[ "$(probe text labelVersion)" != "Version: " ] || fail "no firmware version shown"
sleep 1 # one more status packet: the screen pictures show live values
probe grabdialog "$E2E_OUT/settings-$model.png" >/dev/null
for page in 0:appearance 2:update 3:about; do
    probe tab tabWidget "${page%%:*}" >/dev/null
    probe grabdialog "$E2E_OUT/settings-$model-${page#*:}.png" >/dev/null
done
probe tab tabWidget 1 >/dev/null

# Apply with Long Touch cleared.
probe click checkBoxLongtouch_2 >/dev/null
probe click pushButtonApply_2 >/dev/null
expect_set "$(set_packet 02 1e $tune 01)" Apply

# Restore Defaults sends the block as the unit last sent it; the unit's
# defaults then come back in its next block and refresh the dialog.
wait_until 10 bash -c "grep -q 'settings-request' '$AMPORA_SIM_TRACE'"
probe click pushButtonDefaults_2 >/dev/null
wait_trace 'settings-set cmd=0x04'
expect_probe 10 1 checked checkBoxLongtouch_2

# Save with 45 minutes.
probe value spinBoxMinutes_2 45 >/dev/null
probe click pushButtonSave_2 >/dev/null
expect_set "$(set_packet 03 2d $tune 03)" Save
expect_probe 10 45 value spinBoxMinutes_2

# Sync. Now: the block as shown, and the computer's time in bytes 58-61.
probe click pushButtonSync_2 >/dev/null
wait_trace 'settings-set cmd=0x08'
sync_hex=$(grep -o 'settings-set cmd=0x08 [0-9a-f]*' "$AMPORA_SIM_TRACE" | tail -n 1 | cut -d' ' -f3)
expected=$(set_packet 03 2d $tune 08)
[ "${sync_hex:0:116}" = "${expected:0:116}" ] || fail "Sync sent $sync_hex"
sent=$((16#${sync_hex:116:8})); now=$(date +%s)
[ $((now - sent)) -ge 0 ] && [ $((now - sent)) -le 30 ] || fail "Sync sent the time $sent, now is $now"

# Export: the proposed name and the JSON of the block.
probe click pushButtonExport_2 >/dev/null
sleep 1
probe filedialog "$E2E_OUT/exported.json" >/dev/null
wait_until 10 test -s "$E2E_OUT/exported.json" || fail "nothing exported"
python3 - "$E2E_OUT/exported.json" "$model" <<'PY' || fail "exported JSON: $(cat "$E2E_OUT/exported.json")"
import json, sys
o = json.load(open(sys.argv[1]))
assert o["command"] == 10, o
assert o["bitmap1"] == "00000011" and o["bitmap2"] == "00001101", o
assert o["auto_off_after"] == 45 and o["auto_off_ampers"] == 5, o
assert o["total"] == [10, 9, 13] and o["site"] == [5, 6, 12], o
assert sys.argv[2] == "500" or o["v12Value"] == 13.8, o
PY

# Import a changed copy: the controls follow it; nothing is sent until Apply.
python3 -c "import json,sys; o=json.load(open(sys.argv[1])); o['auto_off_after']=12; o.pop('v12Value',None); json.dump(o,open(sys.argv[2],'w'))" \
    "$E2E_OUT/exported.json" "$E2E_OUT/changed.json"
sets_before=$(grep -c 'settings-set' "$AMPORA_SIM_TRACE")
probe click pushButtonImport_2 >/dev/null
sleep 1
probe filedialog "$E2E_OUT/changed.json" >/dev/null
expect_probe 10 12 value spinBoxMinutes_2
sleep 2.5 # a poll later the unit's unchanged block has not undone the import
expect_probe 1 12 value spinBoxMinutes_2
[ "$(grep -c 'settings-set' "$AMPORA_SIM_TRACE")" = "$sets_before" ] || fail "import sent something"
probe click pushButtonApply_2 >/dev/null
expect_set "$(set_packet 03 0c $tune 01)" "Apply after import"

if [ "$model" = 600 ]; then
    # The import had no target voltage: 12.0 V.
    expect_probe 10 12 value doubleSpinBoxTune12_3
    expect_probe 10 "Tune/Trim 12V (13.8V)" text groupBoxTune12
    # Vtune sends the target and waits for the unit's block with the new trim.
    probe value doubleSpinBoxTune12_3 13.8 >/dev/null
    probe click pushButtonVtune >/dev/null
    wait_trace 'write text "VTUNE138\n"'
    expect_probe 10 1 enabled pushButtonApply_2
    expect_probe 10 1 enabled pushButtonVtune
    # Raw digipot: the unit's position, and a chosen one goes out in byte 35.
    probe click radioButtonDigipot >/dev/null
    expect_probe 10 128 value doubleSpinBoxTune12_3
    expect_probe 10 0 enabled pushButtonVtune
    probe value doubleSpinBoxTune12_3 200 >/dev/null
    probe click pushButtonApply_2 >/dev/null
    expect_set "$(set_packet 03 0c c8 01)" "Apply with a raw trim"
    probe click radioButtonVoltage >/dev/null
    expect_probe 10 13.8 value doubleSpinBoxTune12_3
    probe grabdialog "$E2E_OUT/settings-600-trim.png" >/dev/null
fi

# A status screen field picked from its menu goes out with the next Apply:
# the SITE screen's first field becomes the fan speed (code 2).
probe menu labelShowUser_2 0 -11 2 >/dev/null
sleep 1
probe click pushButtonApply_2 >/dev/null
wait_until 10 bash -c "[ \"\$(grep -o 'settings-set cmd=0x01 [0-9a-f]*' '$AMPORA_SIM_TRACE' | tail -n 1 | cut -d' ' -f3 | cut -c 65-70)\" = 02060c ]" \
    || fail "the picked field was not sent: $(last_set)"

# Closing with changes the unit has not stored asks first.
probe value spinBoxMinutes_2 20 >/dev/null
probe closedialog >/dev/null
sleep 1
answer=$(probe answer No)
[ "$answer" = "Ampora Settings are not saved. Save now?" ] || fail "close prompt: $answer"
expect_probe 10 "error no dialog" title dialog

# Opened again, the language list is not repeated.
probe click Settings >/dev/null
expect_probe 10 Settings title dialog
expect_probe 10 "2 English|Українська" items comboBoxLanguages
probe closedialog >/dev/null
sleep 1
probe answer No >/dev/null || true
echo PASS
