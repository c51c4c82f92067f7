#!/bin/bash
# Installs what is missing, builds, and starts the tester under Wine.
# Arguments go to quorvin.exe: none starts the window; "scripts/run.sh -c 1 10"
# measures mouse 1 on the console for 10 s; "--pcap FILE" analyses a capture.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORVIN_BUILD:-$root/build}
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
export WINEPREFIX=$build/wineprefix WINEDEBUG=${WINEDEBUG:--all}
export LANG=${LANG:-C.UTF-8}
if [ -z "${DISPLAY:-}" ]; then
    echo "No X display: starting Xvfb (drive it with xdotool, or the jig in build/native)."
    Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$build/run-display" 2>/dev/null &
    trap 'kill $! 2>/dev/null' EXIT
    for _ in $(seq 50); do [ -s "$build/run-display" ] && break; sleep 0.1; done
    export DISPLAY=:$(cat "$build/run-display")
fi
case "${1:-}" in
-c | --console)
    # Only inside Wine's virtual desktop does the console's hidden window
    # receive Raw Input.
    wine explorer /desktop=Quorvin,1024x768 "$build/quorvin.exe" "$@" | cat ;;
*)
    wine "$build/quorvin.exe" "$@" | cat ;;
esac
