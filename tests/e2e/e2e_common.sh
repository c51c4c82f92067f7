# Shared set-up of the end-to-end tests, sourced by each: the Wine prefix, a
# private Xvfb (optional), failure counting and clean-up of what was started.
# Before sourcing: prefix and artifacts set. Afterwards: e2e_pids holds
# processes to end on exit; fail/e2e_finish count and report failures.

# The kernel shares the processor between sessions first (autogroups), so
# the test runs in a session of its own: Xvfb, Wine and the jig then get a
# session's share on a busy machine instead of part of the caller's, and, where
# allowed, a higher one. This shell waits and passes on a request to stop.
# The checks still judge only what reached the program.
if [ -z "${E2E_OWN_SESSION:-}" ] && command -v setsid >/dev/null; then
    E2E_OWN_SESSION=1 setsid bash "$0" "$@" &
    e2e_session=$!
    trap 'kill -TERM "$e2e_session" 2>/dev/null' TERM INT
    while :; do
        wait "$e2e_session"
        e2e_status=$?
        kill -0 "$e2e_session" 2>/dev/null || exit "$e2e_status"
    done
fi
[ "$(ps -o sid= -p $$ | tr -d ' ')" = "$$" ] && echo -10 >/proc/self/autogroup 2>/dev/null
trap 'exit 143' TERM INT  # through the EXIT trap, which ends what the test started

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
# DISPLAY. $1 names it (and the test, in e2e_name); $2: the screen size,
# 1024x768 unless given.
e2e_start_xvfb() {
    e2e_name=${e2e_name:-$1}
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

# Float comparison in awk: holds "EXPR" exits 0 when EXPR is true.
holds() { awk "BEGIN { exit !($1) }"; }

# Reads the jig's log line (see xmotion_jig.c) into shell variables: jig_sent,
# jig_rate_hz, jig_late_max_ms, jig_late_mean_ms, jig_late_events, jig_span_s.
read_jig_log() {
    jig_sent=0 jig_rate_hz=0 jig_late_max_ms=0 jig_late_mean_ms=0 jig_late_events=0 jig_span_s=0
    [ -s "$1" ] || return 1
    eval "$(tail -n 1 "$1" | tr ' ' '\n' | grep -E '^[a-z_]+=[0-9.]+$' | sed 's/^/jig_/')"
}

# Why the jig's run cannot judge the program, or nothing: it fell behind when
# its achieved rate missed the nominal $1 Hz by 3 %, or, with $2 = N, when
# more than 1/N of its moves went out a whole period late (they reach the
# program bunched, which a check on intervals cannot tell from its own fault).
jig_behind() {
    holds "$jig_rate_hz < $1 * 0.97 || ${2:-0} > 0 && $jig_late_events * ${2:-1} > $jig_sent" &&
        echo "jig fell behind by up to $jig_late_max_ms ms ($jig_late_events of $jig_sent moves a period late, $jig_rate_hz Hz achieved)"
}

# The machine without the program, for 2 s: the jig alone at the case's rate
# ($case_rate, 500 Hz unless set) on a display of its own, so that no
# program sees its moves, and beside it a busy loop standing in for the work
# of Wine and the program. The jig alone keeps time even where Wine, short of
# processor, merges half the moves; the loop's share tells that: under half
# a processor Wine fell behind here, with a whole one never. And a jig alone
# with over 1 % of its moves a period late is on a host that stalls threads
# for milliseconds (a shared virtual machine's neighbours): none was late on
# a quiet one, even beside the program, while on a stalling one the jig fell
# behind with Wine in every run. Leaves the figures in $alone; fails when
# the machine could not deliver the moves.
machine_free() {
    if [ -z "${alone_display:-}" ]; then
        local display=$DISPLAY
        e2e_start_xvfb "$e2e_name-alone" 320x240
        alone_display=$DISPLAY DISPLAY=$display
    fi
    local log=$artifacts/$e2e_name-$case_name-alone.jig share
    rm -f "$log" "$log.share"
    python3 -c 'import time
t, cpu = time.monotonic(), time.process_time()
while time.monotonic() < t + 2: pass
print("%.2f" % ((time.process_time() - cpu) / 2))' >"$log.share" &
    DISPLAY=$alone_display "$jig" -l "$log" "${case_rate:-500}" 2 >/dev/null
    wait $!
    share=$(cat "$log.share")
    read_jig_log "$log" || { alone="the jig alone wrote no log"; return 1; }
    local behind
    behind=$(jig_behind "${case_rate:-500}" 3)
    alone="${behind:-the jig alone at $jig_rate_hz Hz, late by up to $jig_late_max_ms ms,}"
    alone="$alone $jig_late_events of $jig_sent moves a period late; a busy loop got ${share:-no} of a processor"
    [ -z "$behind" ] && holds "${share:-0} >= 0.5 && $jig_late_events * 100 <= $jig_sent"
}

# Whether the case's own jig (its log read last) went out more than five
# periods late at some move: on a quiet host it keeps time beside Wine and
# the program (machine_free), so the host stalled during the run, whatever
# the check after it finds. That excuses one short run of a case ($excused,
# e2e_runs'), no more: a program that starves the jig itself is still judged
# on the runs after it. Leaves the figure in $alone.
excuse_stall() {
    [ -z "$excused" ] || return 1
    alone="the jig itself went out up to ${jig_late_max_ms:-0} ms late beside the program"
    holds "${jig_late_max_ms:-0} * ${case_rate:-500} > 5000" && excused=1
}

# Runs a case function again while what reached the program, not the
# program, fell short: the function sets retry_reason (and judges nothing
# else) for that. Every short run is reported. A short run says something of
# the program only if the machine could deliver the jig's moves at that
# moment, so from the third short run on the machine is checked without the
# program after each (machine_free), unless the run's own jig shows that it
# stalled (excuse_stall). A short run fails when the machine was
# free both before and after it; once is not enough, as a load from outside
# may end during the run and leave the machine idle for the check. While the
# machine is busy with something else: wait and run again, up to six runs
# and about a minute more. Still busy then, the case is NOT JUDGED, loudly,
# and counts as no failure of this test: better than a failure that blames
# the program for the machine, and a fault of the program still fails on a
# free one. The test run counts such cases, and more than one fails it.
# After that, later cases wait no more: a machine busy for so long likely
# stays so, and the test must end within its time limit.
unjudged=0
e2e_runs() {
    local run kept= busy= deadline= alone excused=
    for run in 1 2 3 4 5 6; do
        retry_reason= jig_late_max_ms=0
        "$@"
        [ -z "$retry_reason" ] && return 0
        if [ "$run" -lt 3 ]; then
            echo "[$case_name] $retry_reason; run $run of 3, repeating"
        elif ! excuse_stall && machine_free; then
            [ -n "$kept" ] && { fail "$retry_reason; run $run, although the machine was free before and after it ($alone)"; return; }
            kept=1
            echo "[$case_name] $retry_reason; run $run; the machine is free ($alone)"
        else
            kept= busy=$alone deadline=${deadline:-$((SECONDS + 60))}
            echo "[$case_name] $retry_reason; run $run; the machine is busy ($alone)"
            [ "$run" -lt 6 ] && [ "$SECONDS" -lt "$deadline" ] && [ "$unjudged" -eq 0 ] || break
            sleep 5
        fi
    done
    echo "NOT JUDGED [$case_name]: the machine was too busy to deliver the jig's moves ($busy)"
    unjudged=$((unjudged + 1))
    # The whole run's count (tests/e2e/e2e_unjudged.sh), when ctest names its file.
    [ -z "${QUORVIN_E2E_UNJUDGED:-}" ] || echo "NOT JUDGED [${e2e_name:-$(basename "$0" .sh)}" \
        "$case_name]: $busy" >>"$QUORVIN_E2E_UNJUDGED"
}

# Exits with the verdict; $1 names the test in the closing line.
e2e_finish() {
    if [ "$failures" -ne 0 ]; then
        echo "$failures check(s) failed; outputs in $artifacts"
        exit 1
    fi
    if [ "$unjudged" -ne 0 ]; then
        echo "$1 end-to-end: all checks passed, but $unjudged case(s) NOT JUDGED (the machine was too busy)"
    else
        echo "$1 end-to-end: all checks passed"
    fi
    exit 0
}
