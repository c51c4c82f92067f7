#!/bin/bash
# End-to-end test of console mode: the real quorvin.exe runs in Wine's virtual
# desktop on a private Xvfb while the native jig moves the pointer at a known
# rate; the last status line must report that rate.
# Usage: e2e_console.sh QUORVIN_EXE JIG WINEPREFIX ARTIFACT_DIR
set -u
exe=$1
jig=$2
prefix=$3
artifacts=$4
source "$(dirname "$0")/e2e_common.sh"
e2e_start_xvfb console

# Float comparison in awk: check "EXPR" VALUES... (exits 0 when true).
holds() { awk "BEGIN { exit !($1) }"; }

run_case() {
    case_name=$1
    local rate=$2 index=$3 seconds=$4 expect_device=$5
    local out=$artifacts/console-$case_name.txt
    "$jig" "$rate" $((seconds + 10)) >/dev/null &
    local jig_pid=$!
    e2e_pids+=("$jig_pid")
    timeout 90 wine explorer /desktop="qe2e$case_name,1024x768" "$exe" -c "$index" "$seconds" \
        >"$out" 2>/dev/null
    local rc=$?
    kill "$jig_pid" 2>/dev/null
    wait "$jig_pid" 2>/dev/null

    [ "$rc" -eq 0 ] || fail "exit code $rc"
    grep -q "^Device: $expect_device" "$out" || fail "no 'Device: $expect_device' line"
    local last
    last=$(tr '\r' '\n' <"$out" | grep '^Avg=' | tail -n 1)
    [ -n "$last" ] || { fail "no status line"; return; }
    # Avg=  500.0 Hz  MinInst=  238.6 Hz  MaxInst= 1761.2 Hz  CurMin= 329.3 Hz  Count=1999  Time=4.0s
    local avg min max count
    avg=$(sed -E 's/.*Avg= *([0-9.]+).*/\1/' <<<"$last")
    min=$(sed -E 's/.*MinInst= *([0-9.]+).*/\1/' <<<"$last")
    max=$(sed -E 's/.*MaxInst= *([0-9.]+).*/\1/' <<<"$last")
    count=$(sed -E 's/.*Count=([0-9]+).*/\1/' <<<"$last")
    echo "[$case_name] rate $rate Hz for $seconds s: $last"
    holds "$avg >= $rate * 0.95 && $avg <= $rate * 1.05" || fail "Avg $avg not within 5 % of $rate"
    holds "$count >= $rate * $seconds * 0.9 && $count <= $rate * $seconds * 1.1" ||
        fail "Count $count not within 10 % of $((rate * seconds))"
    holds "$min <= $avg && $avg <= $max" || fail "MinInst $min / MaxInst $max do not bracket Avg $avg"
    # The run ends like Ctrl+C: the last status line is closed by a line break,
    # and its reports all came in the background (the hidden window never has
    # the focus).
    local reports
    reports=$(tr -d '\r' <"$out" | sed -n -E 's/^Background reports: ([0-9]+) of ([0-9]+)$/\1 \2/p')
    read -r background total <<<"$reports"
    [ -n "$reports" ] && [ "$total" -gt 0 ] && [ "$background" -eq "$total" ] ||
        fail "not every report in the background: '$reports'"
    holds "$total >= $count" || fail "fewer reports ($total) than intervals ($count)"
    tail -c 2 "$out" | od -An -c | grep -q '\\n' || fail "last line not closed by a line break"
}

run_case all-250 250 0 4 "全部鼠标"
run_case all-500 500 0 4 "全部鼠标"
run_case mouse1-500 500 1 3 "鼠标 VID_845E PID_0001"

# --csv: every report written, and the summary's figures recomputed from it.
case_name=csv
"$jig" 1000 12 >/dev/null &
jig_pid=$!
e2e_pids+=("$jig_pid")
rm -f "$artifacts/console-run.csv"
timeout 90 wine explorer /desktop=qe2ecsv,1024x768 "$exe" -c 0 3 --csv "$artifacts/console-run.csv" \
    >"$artifacts/console-csv.txt" 2>/dev/null || fail "exit code $?"
kill "$jig_pid" 2>/dev/null
wait "$jig_pid" 2>/dev/null
grep -q '^Summary: 全部鼠标' "$artifacts/console-csv.txt" || fail "no summary"
python3 "$e2e_here/csv_check.py" "$artifacts/console-csv.txt" "$artifacts/console-run.csv" ||
    fail "summary and CSV disagree"

# The throttle warning follows RawMouseThrottleEnabled in the prefix (Wine says
# Windows 7, so without the value there is no throttle and no warning).
mouse_key='HKCU\Control Panel\Mouse'
e2e_restore="wine reg delete '$mouse_key' /v RawMouseThrottleEnabled /f >/dev/null 2>&1; wineserver -k 2>/dev/null"
warning='Warning: Windows limits background mouse input to about 125 Hz (RawMouseThrottleEnabled=1, 8 ms), and console mode always listens in the background.'
for enabled in 1 0; do
    case_name=throttle-$enabled
    wine reg add "$mouse_key" /v RawMouseThrottleEnabled /t REG_DWORD /d "$enabled" /f >/dev/null 2>&1 ||
        fail "cannot set RawMouseThrottleEnabled"
    out=$artifacts/console-throttle-$enabled.txt
    timeout 60 wine "$exe" -c 0 1 >"$out" 2>/dev/null || fail "exit code $?"
    if [ "$enabled" -eq 1 ]; then
        tr -d '\r' <"$out" | grep -qF "$warning" || fail "no throttle warning"
    else
        grep -q '^Warning' "$out" && fail "a warning although the throttle is off"
    fi
done

e2e_finish console
