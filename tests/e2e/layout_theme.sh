#!/usr/bin/env bash
# Without a settings file the window opens at 700 x 889, light, dock visible;
# layout, dock area and language survive a restart; the dark theme switches
# the whole window.
source "$(dirname "$0")/lib.sh"
ini="$HOME/Quenlor/Quenlor Ampora/Quenlor Ampora.ini"

close_app() {
    probe close >/dev/null
    wait "$APP_PID" || fail "ampora exited with $?"
    APP_PID=
}
open_app() {
    start_app
    expect_probe 30 " Kelvane Power 500 connected" title
}
restart() { close_app; open_app; }

start_app
expect_probe 30 " Kelvane Power 500 connected" title
[ "$(probe size)" = 700x889 ] || fail "first size $(probe size)"
[ "$(probe visible dockControl)" = 1 ] || fail "dock hidden"
[ "$(probe dockarea)" = 1 ] || fail "dock not on the left"
light=$(probe palette)
grab light

# The user moves the dock to the right; the language was chosen as Ukrainian.
[ "$(probe dock right)" = 2 ] || fail "dock did not move"
restart
[ "$(probe dockarea)" = 2 ] || fail "dock area not restored: $(probe dockarea)"
[ "$(probe size)" = 700x889 ] || fail "size not restored"
grep -q '^dock-area=2' "$ini" || fail "dock area not stored"
grep -q '^language=0' "$ini" || fail "language not stored"

# What the settings dialog stores for Ukrainian and the dark theme.
close_app
sed -i 's/^language=0/language=1\ndark-color=true/' "$ini"
open_app
restart
grep -q '^language=1' "$ini" || fail "language did not survive a restart"
dark=$(probe palette)
[ "$dark" = "#353535" ] || fail "dark palette window colour is $dark"
[ "$light" != "$dark" ] || fail "the theme did not change"
grab dark
echo PASS
