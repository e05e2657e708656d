#!/usr/bin/env bash
# Sets up a Debian 12 machine for Quenlor Ampora, builds it, and then either
# starts the application or runs every test.
#
#   tools/setup.sh run     install what is missing, build, start ampora
#   tools/setup.sh test    install what is missing, build, run all tests
#                          (plain build and AddressSanitizer/UBSan build)
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)

packages=(
    build-essential cmake pkg-config
    qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools libgl-dev
    libqcustomplot-dev libqcustomplot2.1-qt6
    libhidapi-dev libhidapi-libusb0 libusb-1.0-0-dev
)
test_packages=(xvfb xauth xdotool x11-utils imagemagick openssl appstream desktop-file-utils)

install_missing() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing Debian packages: ${missing[*]}; run this as root to install them." >&2
        exit 1
    fi
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() { # build-dir [cmake options...]
    local dir=$1; shift
    cmake -S "$here" -B "$dir" "$@"
    cmake --build "$dir" -j"$jobs"
}

run_tests() { # build-dir
    ctest --test-dir "$1" --output-on-failure -j"$jobs" --timeout 600
}

case "${1:-}" in
    run)
        install_missing "${packages[@]}"
        build "$here/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
        exec "$here/build/ampora"
        ;;
    test)
        install_missing "${packages[@]}" "${test_packages[@]}"
        build "$here/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
        run_tests "$here/build"
        build "$here/build-asan" -DCMAKE_BUILD_TYPE=Debug -DAMPORA_SANITIZE=ON
        ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
            run_tests "$here/build-asan"
        ;;
    *)
        sed -n '2,8p' "$0" | sed 's/^# \{0,1\}//'
        exit 2
        ;;
esac
