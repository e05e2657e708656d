# Shared steps of the end-to-end tests: the real ampora binary on an X server
# (xvfb-run), with the simulated unit preloaded in place of hidapi.
# Expects: AMPORA_BIN, AMPORA_SIM_LIB, AMPORA_PROBE_LIB, E2E_OUT (a fresh
# folder for this test; screenshots and logs land there).
set -euo pipefail

export HOME="$E2E_OUT/home"
export TMPDIR="$E2E_OUT/tmp"
export AMPORA_SIM_TRACE="$E2E_OUT/sim-trace.log"
export AMPORA_SIM_CONTROL="$E2E_OUT/sim-control"
export AMPORA_PROBE_IN="$E2E_OUT/probe-in"
export AMPORA_PROBE_OUT="$E2E_OUT/probe-out"
mkdir -p "$HOME" "$TMPDIR"
# In the sanitizer build the preloaded libraries come before the ASan runtime.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0"
: > "$AMPORA_SIM_TRACE"
: > "$AMPORA_PROBE_IN"
: > "$AMPORA_PROBE_OUT"
echo 0 > "$E2E_OUT/probe-id"

fail() { echo "FAIL: $*" >&2; exit 1; }

# start_app [VAR=value...]: starts ampora in the background, sets APP_PID.
# Update checks go to a closed port on this machine, never outside.
ini_dir="$HOME/Quenlor/Quenlor Ampora"
mkdir -p "$ini_dir"
printf '[Update]\nserver=https://127.0.0.1:9\n' > "$ini_dir/Quenlor Ampora.ini"

start_app() {
    : > "$AMPORA_PROBE_IN"   # a restarted app must not replay old commands
    : > "$AMPORA_PROBE_OUT"
    env "$@" LD_PRELOAD="$AMPORA_SIM_LIB:$AMPORA_PROBE_LIB" "$AMPORA_BIN" >>"$E2E_OUT/app.log" 2>&1 &
    APP_PID=$!
}

# wait_until SECONDS COMMAND...: polls COMMAND until it succeeds.
wait_until() {
    local deadline=$((SECONDS + $1)); shift
    until "$@"; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.2
    done
}

trace_has() { grep -qF -- "$1" "$AMPORA_SIM_TRACE"; }
wait_trace() { wait_until "${2:-20}" trace_has "$1" || fail "the unit never saw: $1"; }

window_with_name() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
wait_window() { wait_until "${2:-20}" window_with_name "$1" || fail "no window named: $1"; }
window_title() { xdotool getwindowname "$(xdotool search --pid "$1" --name . 2>/dev/null | tail -n 1)" 2>/dev/null; }

# sim_control COMMAND: tells the running simulator something (see sim/README.md).
sim_control() { echo "$*" > "$AMPORA_SIM_CONTROL"; }

# probe COMMAND...: asks the probe inside the running app (tests/e2e/probe.cpp)
# and prints its answer.
probe() {
    # Callers often run this in a subshell: the id counter lives in a file.
    local id=$(( $(cat "$E2E_OUT/probe-id") + 1 ))
    echo "$id" > "$E2E_OUT/probe-id"
    echo "$id $*" >> "$AMPORA_PROBE_IN"
    local deadline=$((SECONDS + 20))
    until grep -q "^$id " "$AMPORA_PROBE_OUT"; do
        if [ $SECONDS -ge $deadline ]; then
            import -window root "$E2E_OUT/no-answer.png" 2>/dev/null || true
            fail "the probe did not answer: $* (screen in no-answer.png)"
        fi
        sleep 0.05
    done
    grep -m1 "^$id " "$AMPORA_PROBE_OUT" | cut -d' ' -f2-
}

# expect_probe SECONDS EXPECTED COMMAND...: polls until the answer is EXPECTED.
expect_probe() {
    local seconds=$1 expected=$2; shift 2
    local deadline=$((SECONDS + seconds)) got
    while :; do
        got=$(probe "$@")
        [ "$got" = "$expected" ] && return 0
        [ $SECONDS -lt $deadline ] || fail "$* answered '$got', expected '$expected'"
        sleep 0.2
    done
}

# grab NAME: the main window as NAME.png in the output folder.
grab() { [ "$(probe grab "$E2E_OUT/$1.png")" = ok ] || fail "could not grab $1"; }

# screenshot NAME: the whole screen as NAME.png in the output folder.
screenshot() { import -window root "$E2E_OUT/$1.png"; }

stop_app() {
    [ -n "${APP_PID:-}" ] || return 0
    kill "$APP_PID" 2>/dev/null || true
    wait "$APP_PID" 2>/dev/null || true
    APP_PID=
}
trap stop_app EXIT
