#!/usr/bin/env bash
# Runs the stacking tests (stacking_test.cpp) on a private X server with a window manager:
# Xvfb on a free display, openbox on it, the tests with Qt's X11 platform. Exits 77 (skipped)
# when any of the programs is missing.
#   tests/ui/stacking.sh path/to/ui_stacking_tests
set -u
tests=$1
for program in Xvfb openbox xprop xdotool; do
    command -v "$program" >/dev/null || { echo "skipped: $program is not installed"; exit 77; }
done
work=$(mktemp -d)
cleanup() {
    [ -n "${wm:-}" ] && kill "$wm" 2>/dev/null
    [ -n "${server:-}" ] && kill "$server" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
# The server picks a free display and writes its number when it is ready for clients.
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
server=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start:"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
HOME="$work" openbox >"$work/openbox.log" 2>&1 &
wm=$!
# Ready once it has claimed the screen.
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
export QT_QPA_PLATFORM=xcb
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work"
"$tests"
