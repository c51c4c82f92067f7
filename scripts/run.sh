#!/bin/bash
# Installs what is missing, builds, and starts the tester under Wine.
# Arguments go to quorvin.exe: none starts the window; "--pcap FILE" analyses a
# capture. Console runs ("scripts/run.sh -c 1 10": mouse 1 for 10 s) go to
# quorvin-cli.exe; Ctrl+C ends them with their summary. Exit code: the program's.
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
    # The console program, alone on the terminal: Wine's console host turns a
    # typed Ctrl+C into the program's Ctrl+C event, and the program's exit code
    # is the script's. Under "wine explorer /desktop=NAME program" the event
    # would also end start.exe and explorer, and the end of start.exe, which
    # leads the terminal's session, hangs the terminal up and kills the program
    # before its summary. So the program gets a virtual desktop of its own
    # (only in one does its hidden window receive Raw Input) from the prefix.
    wine reg add 'HKCU\Software\Wine\AppDefaults\quorvin-cli.exe\Explorer' /v Desktop /d Quorvin /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Quorvin /d 1024x768 /f >/dev/null 2>&1
    wine "$build/quorvin-cli.exe" "$@" ;;
*)
    set -o pipefail  # the program's exit code, not cat's
    wine "$build/quorvin.exe" "$@" | cat ;;
esac
