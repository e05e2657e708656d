# Shared steps of the end-to-end tests: the real ampora binary on an X server
# (xvfb-run), with the simulated unit preloaded in place of hidapi.
# Expects: AMPORA_BIN, AMPORA_SIM_LIB, E2E_OUT (a fresh folder for this test).
set -euo pipefail

export HOME="$E2E_OUT/home"
export TMPDIR="$E2E_OUT/tmp"
export AMPORA_SIM_TRACE="$E2E_OUT/sim-trace.log"
export AMPORA_SIM_CONTROL="$E2E_OUT/sim-control"
mkdir -p "$HOME" "$TMPDIR"
: > "$AMPORA_SIM_TRACE"

fail() { echo "FAIL: $*" >&2; exit 1; }

# start_app [VAR=value...]: starts ampora in the background, sets APP_PID.
start_app() {
    env "$@" LD_PRELOAD="$AMPORA_SIM_LIB" "$AMPORA_BIN" >>"$E2E_OUT/app.log" 2>&1 &
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

window_with_name() { xdotool search --name "$1" >/dev/null 2>&1; }
wait_window() { wait_until "${2:-20}" window_with_name "$1" || fail "no window named: $1"; }
window_title() { xdotool getwindowname "$(xdotool search --pid "$1" --name . 2>/dev/null | tail -n 1)" 2>/dev/null; }

# sim_control COMMAND: tells the running simulator something (see sim/README.md).
sim_control() { echo "$*" > "$AMPORA_SIM_CONTROL"; }

# screenshot NAME: the whole screen as NAME.png in the output folder.
screenshot() { import -window root "$E2E_OUT/$1.png"; }

stop_app() {
    [ -n "${APP_PID:-}" ] || return 0
    kill "$APP_PID" 2>/dev/null || true
    wait "$APP_PID" 2>/dev/null || true
    APP_PID=
}
trap stop_app EXIT
