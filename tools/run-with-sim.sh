#!/usr/bin/env bash
# Runs a program with the simulated power unit in place of the HID library.
#
#   tools/run-with-sim.sh [program [arguments...]]
#
# The program defaults to the build's ampora. The AMPORA_SIM_* variables
# (see sim/README.md) pass through to it, for example:
#
#   AMPORA_SIM_MODEL=600 AMPORA_SIM_CONTROL=/tmp/unit tools/run-with-sim.sh &
#   echo unplug > /tmp/unit
#
# AMPORA_BUILD_DIR names the build folder (default: build/ in the source
# tree); AMPORA_SIM_LIB the library (default: sim/libampora-sim.so in it).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${AMPORA_BUILD_DIR:-$here/build}
lib=${AMPORA_SIM_LIB:-$build/sim/libampora-sim.so}
if [ ! -f "$lib" ]; then
    echo "run-with-sim: no simulated unit at $lib (build the ampora_sim target)" >&2
    exit 2
fi
[ $# -gt 0 ] || set -- "$build/ampora"

# In a sanitizer build the runtime has to come first of all libraries.
preload=$lib
asan=$(ldd "$lib" | awk '/libasan/ { print $3 }')
[ -z "$asan" ] || preload="$asan:$preload"
export LD_PRELOAD="$preload${LD_PRELOAD:+:$LD_PRELOAD}"
exec "$@"
