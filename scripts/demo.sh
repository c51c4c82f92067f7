#!/bin/bash
# Shows the real program measuring a known rate on a machine without a display
# or a mouse: builds if needed, starts a private Xvfb, moves its pointer at RATE
# reports a second (default 1000) through XTest, and runs the console mode for
# SECONDS (default 5) inside Wine's virtual desktop, printing what it prints.
# Usage: scripts/demo.sh [RATE] [SECONDS]
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORVIN_BUILD:-$root/build}
rate=${1:-1000}
seconds=${2:-5}
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" >/dev/null
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all LANG=${LANG:-C.UTF-8}

display_file=$(mktemp)
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$display_file" 2>/dev/null &
xvfb=$!
jig=
cleanup() {
    [ -n "$jig" ] && kill "$jig" 2>/dev/null
    wineserver -k 2>/dev/null || true
    kill "$xvfb" 2>/dev/null
    rm -f "$display_file"
}
trap cleanup EXIT
for _ in $(seq 50); do [ -s "$display_file" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$display_file")

echo "Moving the pointer of a private X display at $rate reports a second for $seconds s;"
echo "quorvin-cli.exe -c 0 $seconds measures it under Wine:"
echo
"$build/native/xmotion_jig" "$rate" $((seconds + 15)) >/dev/null &
jig=$!
# Only inside Wine's virtual desktop does the console's hidden window receive Raw Input.
wine explorer /desktop=QuorvinDemo,1024x768 "$build/quorvin-cli.exe" -c 0 "$seconds" | cat
