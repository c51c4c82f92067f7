#!/bin/bash
# Rewrites the examples of README.md and docs/*.md from real runs of the built
# programs: the jig's lines of "scripts/demo.sh 1000 5"; quorvin-cli.exe's
# --help; the console's status line and summary from a run of SECONDS (default
# 10) on a private Xvfb whose pointer the jig moves at 1000 reports a second,
# as the demo does; --pcap and --compare on the shared captures, the CSV
# derived as the end-to-end test derives it. Each block is found by its name
# in whichever of those files holds it. The end-to-end tests check the
# program's blocks against their own runs (tests/e2e/readme_examples.py).
# Usage: scripts/readme-examples.sh [SECONDS]
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORVIN_BUILD:-$root/build}
captures=$(cd "$root/../shared/captures" 2>/dev/null && pwd) ||
    { echo "No captures in ../shared/captures beside the source tree." >&2; exit 1; }
seconds=${1:-10}
examples="python3 $root/tests/e2e/readme_examples.py write $root"
"$root/scripts/build.sh" >/dev/null
work=$(mktemp -d)
"$root/scripts/demo.sh" 1000 5 </dev/null >"$work/demo"
$examples demo "$work/demo"
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all LANG=${LANG:-C.UTF-8}
xvfb=
desktop='HKCU\Software\Wine\AppDefaults\quorvin-cli.exe\Explorer'
cleanup() {
    wine reg delete "$desktop" /f >/dev/null 2>&1 || true
    wineserver -k 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")
wine "$build/quorvin-cli.exe" --help >"$work/help" 2>/dev/null
$examples help "$work/help"

# The console into a file (so its lines come without a terminal's escapes),
# in a virtual desktop of its own as scripts/run.sh runs it; the jig moves the
# pointer from the device line to the end.
wine reg add "$desktop" /v Desktop /d QuorvinExamples /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v QuorvinExamples /d 1024x768 /f >/dev/null 2>&1
wine "$build/quorvin-cli.exe" -c 0 "$seconds" >"$work/console" 2>/dev/null &
app=$!
until grep -qs '^Device: ' "$work/console"; do
    kill -0 "$app" 2>/dev/null || { echo "The console run ended before measuring." >&2; exit 1; }
    sleep 0.05
done
"$build/native/xmotion_jig" 1000 $((seconds + 60)) 2>/dev/null &
jig=$!
wait "$app"
kill "$jig"
wait "$jig" || true
wine reg delete "$desktop" /f >/dev/null 2>&1
$examples console-status "$work/console"
$examples console-summary "$work/console"

# Run from the captures' folder, so that the report names the file alone.
(cd "$captures" && wine "$build/quorvin-cli.exe" --pcap nullcon2022-paranoia-lenovo-mouse-enum.pcapng) >"$work/pcap"
$examples pcap "$work/pcap"
hp=$captures/uactf2022-hp-mouse-binterval1-125hz.pcapng
python3 "$root/tests/e2e/compare_check.py" "$hp" 1.2.0x81 "$work/hp.csv" "$work/hp.expected"
wine "$build/quorvin-cli.exe" --compare "$hp" "$work/hp.csv" >"$work/compare"
$examples compare "$work/compare"
echo "README.md, docs/: examples rewritten from the runs; git diff shows what changed."
