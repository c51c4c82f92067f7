# Shared set-up of the end-to-end tests, sourced by each: the Wine prefix, a
# private Xvfb (optional), failure counting and clean-up of what was started.
# Before sourcing: prefix and artifacts set. Afterwards: e2e_pids holds
# processes to end on exit; fail/e2e_finish count and report failures.

e2e_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
mkdir -p "$artifacts"
"$e2e_here/../../scripts/wine-prefix.sh" "$prefix" || { echo "cannot create Wine prefix"; exit 1; }
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= LANG=C.UTF-8
# The prefix's desktop process is bound to one X display: start and end clean.
wineserver -k 2>/dev/null

e2e_pids=()
e2e_restore=true  # a command that undoes what a test changed in the prefix
e2e_cleanup() {
    wineserver -k 2>/dev/null
    eval "$e2e_restore"
    local pid
    for pid in "${e2e_pids[@]}"; do kill "$pid" 2>/dev/null; done
}
trap e2e_cleanup EXIT

# Starts a private Xvfb (-displayfd, so parallel runs never clash) and exports
# DISPLAY. $2: the screen size, 1024x768 unless given.
e2e_start_xvfb() {
    local display_file=$artifacts/$1-display
    rm -f "$display_file"
    Xvfb -displayfd 5 -screen 0 "${2:-1024x768}x24" -nolisten tcp 5>"$display_file" 2>/dev/null &
    e2e_pids+=($!)
    for _ in $(seq 50); do [ -s "$display_file" ] && break; sleep 0.1; done
    [ -s "$display_file" ] || { echo "Xvfb did not start"; exit 1; }
    export DISPLAY=:$(cat "$display_file")
}

failures=0
fail() {
    echo "FAIL${case_name:+ [$case_name]}: $*"
    failures=$((failures + 1))
}

# Exits with the verdict; $1 names the test in the closing line.
e2e_finish() {
    if [ "$failures" -ne 0 ]; then
        echo "$failures check(s) failed; outputs in $artifacts"
        exit 1
    fi
    echo "$1 end-to-end: all checks passed"
    exit 0
}
