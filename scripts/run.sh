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
xvfb=
end_display() {
    # Wine's processes first: each one still connected when Xvfb goes would
    # print "X connection to :N broken".
    wineserver -k 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
}
if [ -z "${DISPLAY:-}" ]; then
    # In a session of its own: an X server ends at once on the SIGINT that a
    # Ctrl+C in this terminal sends, before Wine could be ended.
    setsid Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$build/run-display" 2>/dev/null &
    xvfb=$!
    trap end_display EXIT
    for _ in $(seq 50); do [ -s "$build/run-display" ] && break; sleep 0.1; done
    export DISPLAY=:$(cat "$build/run-display")
    cat >&2 <<EOF
No X display: this run has its own Xvfb on display $DISPLAY, where nothing moves
the pointer until you do, from another terminal:
    DISPLAY=$DISPLAY xdotool mousemove_relative -- 5 0        (one move)
    DISPLAY=$DISPLAY $build/native/xmotion_jig 1000 10    (1000 moves a second for 10 s)
EOF
fi
# Both programs run in a virtual desktop named Quorvin, as large as the
# display: only there does the hidden window of the reader (the window's, as
# the console's) receive Raw Input. Set in the prefix for each program
# (HKCU\Software\Wine\AppDefaults\<exe>\Explorer, value Desktop).
size=$(xdotool getdisplaygeometry 2>/dev/null | tr ' ' x)
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Quorvin /d "${size:-1024x768}" /f >/dev/null 2>&1
for program in quorvin.exe quorvin-cli.exe; do
    wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$program\\Explorer" /v Desktop /d Quorvin /f >/dev/null 2>&1
done
case "${1:-}" in
-c | --console)
    # The console program, alone on the terminal: Wine's console host turns a
    # typed Ctrl+C into the program's Ctrl+C event, and the program's exit code
    # is the script's. Under "wine explorer /desktop=NAME program" the event
    # would also end start.exe and explorer, and the end of start.exe, which
    # leads the terminal's session, hangs the terminal up and kills the program
    # before its summary. So the program gets its virtual desktop from the
    # prefix (above).
    wine "$build/quorvin-cli.exe" "$@" ;;
*)
    # The program's exit code, not cat's.
    window() { set -o pipefail; wine "$build/quorvin.exe" "$@" | cat; }
    if [ -z "$xvfb" ]; then
        window "$@"
    else
        # A window nobody sees: Ctrl+C ends it. The shell takes the signal
        # only while it waits for a background job.
        trap 'exit 130' INT
        window "$@" &
        wait $!
    fi ;;
esac
