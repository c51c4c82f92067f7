#!/bin/bash
# Installs what is missing, builds, and starts the tester under Wine.
# Arguments go to quorvin.exe; without any, console mode runs on all mice
# until Ctrl+C (e.g. "scripts/run.sh -c 1 10" measures mouse 1 for 10 s).
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORVIN_BUILD:-$root/build}
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
args=("$@")
[ ${#args[@]} -eq 0 ] && args=(-c)
export WINEPREFIX=$build/wineprefix WINEDEBUG=${WINEDEBUG:--all}
if [ -z "${DISPLAY:-}" ]; then
    echo "No X display: starting Xvfb (move the pointer with xdotool or the jig in build/native)."
    Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$build/run-display" 2>/dev/null &
    trap 'kill $! 2>/dev/null' EXIT
    for _ in $(seq 50); do [ -s "$build/run-display" ] && break; sleep 0.1; done
    export DISPLAY=:$(cat "$build/run-display")
fi
# Wine's virtual desktop lets the console's hidden window receive Raw Input.
wine explorer /desktop=Quorvin,1024x768 "$build/quorvin.exe" "${args[@]}" | cat
