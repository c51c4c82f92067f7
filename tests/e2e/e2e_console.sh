#!/bin/bash
# End-to-end test of console mode: the real quorvin.exe runs in Wine's virtual
# desktop on a private Xvfb while the native jig moves the pointer at a known
# rate; the last status line must report the rate and count the jig really
# sent, and the summary what its --csv file holds; with the jig's +3/-3
# pattern, the CSV's dx column that pattern. A killed run keeps its rows
# in the partial file; Ctrl+C in a terminal ends every run with its summary.
# At 1000 Hz no hint blames the hand, and --analyze --lang zh speaks Chinese.
# The jig's clicks and scroll give the Button and Wheel lines it sent.
# Usage: e2e_console.sh QUORVIN_EXE JIG WINEPREFIX ARTIFACT_DIR
set -u
exe=$1
jig=$2
prefix=$3
artifacts=$4
source "$(dirname "$0")/e2e_common.sh"
e2e_start_xvfb console

# Runs the console for $4 s on record $3 into $5 (more arguments go to the
# program) while the jig moves at rate $2, logging to $1; leaves the exit code
# in rc. The jig starts at the first status line (the program prints the
# prompt to move before it measures) and stops at
# its summary, so its log covers the program's run and not Wine's start-up.
# With $case_step the jig moves +step, -step alternately (xmotion_jig -p).
run_with_jig() {
    local log=$1 rate=$2 index=$3 seconds=$4 out=$5
    shift 5
    rm -f "$log" "$out"
    timeout 90 wine explorer /desktop="qe2e$case_name,1024x768" "$exe" -c "$index" "$seconds" "$@" \
        >"$out" 2>/dev/null &
    local app_pid=$!
    for _ in $(seq 600); do grep -q 'Avg=' "$out" 2>/dev/null && break; sleep 0.05; done
    "$jig" -l "$log" ${case_step:+-p "$case_step"} "$rate" $((seconds + 60)) >/dev/null &
    local jig_pid=$!
    e2e_pids+=("$jig_pid")
    while kill -0 "$app_pid" 2>/dev/null && ! grep -q '^Summary: ' "$out"; do sleep 0.05; done
    kill "$jig_pid" 2>/dev/null
    wait "$app_pid"
    rc=$?
    wait "$jig_pid" 2>/dev/null
    read_jig_log "$log" || fail "the jig wrote no log"
}

# Moves the jig sent while the program measured: its achieved rate over the
# span of the program's CSV (first to last report), plus the first report.
sent_during() { awk "BEGIN { printf \"%d\", $jig_rate_hz * $1 + 1 }"; }

# The run's CSV read back with --analyze prints the block the run printed,
# from its Summary line to the end, byte for byte but for that first line,
# which names the file instead of the mouse.
analyze_matches() {
    local index=$1 out=$2 csv=$3 again=$artifacts/console-$case_name.analyze
    timeout 60 wine "$exe" --analyze "$csv" --slot "$index" --json "$again.json" >"$again" 2>&1 ||
        { fail "--analyze $csv: exit code $?"; return; }
    python3 "$e2e_here/json_check.py" "$again" "$again.json" || fail "--analyze's --json differs from its text"
    local elapsed
    elapsed=$(tr -d '\r' <"$out" | sed -n -E 's/^Summary: .*, ([0-9.]+ s)$/\1/p')
    [ "$(head -n 1 "$again" | tr -d '\r')" = "Summary: $csv, $elapsed" ] ||
        fail "--analyze's first line: $(head -n 1 "$again")"
    cmp -s <(sed -n '/^Summary: /,$p' "$out" | tail -n +2) <(tail -n +2 "$again") ||
        fail "--analyze $csv does not print the run's block ($again)"
}

# One console run at $case_rate Hz with --csv: the last status line must match what
# the jig really sent, and the summary what the CSV holds. A run where the jig
# fell behind, or where moves were lost or merged on their way (Wine merges
# queued motion on a loaded machine), is repeated (e2e_runs).
console_case() {
    local rate=$case_rate index=$1 seconds=$2 expect_device=$3
    local out=$artifacts/console-$case_name.txt csv=$artifacts/console-$case_name.csv
    rm -f "$csv"
    run_with_jig "$artifacts/console-$case_name.jig" "$rate" "$index" "$seconds" "$out" --csv "$csv" \
        --json "$out.json"
    retry_reason=$(jig_behind "$rate" 3) && return
    [ "$rc" -eq 0 ] || fail "exit code $rc"
    grep -q "^Device: $expect_device" "$out" || fail "no 'Device: $expect_device' line"
    local last
    last=$(tr '\r' '\n' <"$out" | grep '^Avg=' | tail -n 1)
    [ -n "$last" ] || { fail "no status line"; return; }
    [ -s "$csv" ] || { fail "no CSV"; return; }
    # Avg=  500.0 Hz  MinInst=  238.6 Hz  MaxInst= 1761.2 Hz  CurMin= 329.3 Hz  Count=1999  Time=4.0s
    local avg min max count background total rows span sent
    avg=$(sed -E 's/.*Avg= *([0-9.]+).*/\1/' <<<"$last")
    min=$(sed -E 's/.*MinInst= *([0-9.]+).*/\1/' <<<"$last")
    max=$(sed -E 's/.*MaxInst= *([0-9.]+).*/\1/' <<<"$last")
    count=$(sed -E 's/.*Count=([0-9]+).*/\1/' <<<"$last")
    read -r background total < <(tr -d '\r' <"$out" |
        sed -n -E 's/^Background reports: ([0-9]+) of ([0-9]+)$/\1 \2/p')
    read -r rows span < <(awk -F, 'NR > 1 { n++; if (n == 1) t0 = $1; t1 = $1 }
        END { printf "%d %.6f\n", n, (t1 - t0) / 1e6 }' "$csv")
    sent=$(sent_during "$span")
    echo "[$case_name] jig: $jig_rate_hz Hz, $sent moves in the program's $span s," \
        "late by up to $jig_late_max_ms ms (mean $jig_late_mean_ms ms); program: $last; ${total:-no} reports"
    [ -n "$total" ] || { fail "no 'Background reports' line"; return; }
    [ "$rows" -eq "$total" ] || fail "$rows CSV rows for $total reports"
    # A tenth of the moves lost (Wine merges queued motion on a loaded machine)
    # or arriving bunched (under 100 us apart, so not intervals) says more of
    # the machine than of the program: run again. Less than that is judged.
    holds "$total >= $sent * 0.9" ||
        { retry_reason="only $total of about $sent moves reached the program"; return; }
    holds "$count >= ($sent - 1) * 0.9" ||
        { retry_reason="$count intervals from $total reports: they came bunched"; return; }
    holds "$total <= $sent * 1.02 + 1" || fail "$total reports, more than the $sent moves sent"
    holds "$count < $total" || fail "Count $count not below the $total reports"
    # The jig's rate, thinned by the moves that did not become intervals.
    local expect
    expect=$(awk "BEGIN { printf \"%.1f\", $jig_rate_hz * $count / ($sent - 1) }")
    holds "$avg >= $expect * 0.95 && $avg <= $expect * 1.05" ||
        fail "Avg $avg not within 5 % of $expect Hz ($jig_rate_hz Hz sent, $count of $((sent - 1)) intervals)"
    holds "$min <= $avg && $avg <= $max" || fail "MinInst $min / MaxInst $max do not bracket Avg $avg"
    # The run ends like Ctrl+C: the last status line is closed by a line break,
    # and its reports all came in the background (the hidden window never has
    # the focus).
    [ "$background" -eq "$total" ] || fail "$background of $total reports in the background"
    tail -c 2 "$out" | od -An -c | grep -q '\\n' || fail "last line not closed by a line break"
    grep -q "^Summary: $expect_device" "$out" || fail "no summary"
    python3 "$e2e_here/csv_check.py" "$out" "$csv" || fail "summary and CSV disagree"
    python3 "$e2e_here/json_check.py" "$out" "$out.json" || fail "--json differs from the text"
    analyze_matches "$index" "$out" "$csv"
    [ -n "${case_step:-}" ] || return
    python3 "$e2e_here/motion_check.py" "$out" "$csv" "$case_step"
    case $? in
    0) ;;
    3) retry_reason="Wine merged more than 2 % of the moves" ;;
    *) fail "the CSV's dx is not the jig's pattern, or the Motion lines disagree with it" ;;
    esac
}

case_name=all-250 case_rate=250 e2e_runs console_case 0 4 "All mice"
case_name=all-500 case_rate=500 e2e_runs console_case 0 4 "All mice"
# The jig's highest rate, which Wine at times reads a report or two late:
# --analyze of its CSV prints the run's block, the report clock's line too.
case_name=all-1000 case_rate=1000 e2e_runs console_case 0 4 "All mice"

# At 1000 Hz the jig gives every poll of the report clock a count, while the
# delivery's jitter puts the intervals' fast end at several times the rate:
# no hint may say that the hand held the rate back. The run's CSV read back
# with --lang zh says its sentences in Chinese after the same English keys
# and figures as the run's own (English) block.
hint_case() {
    local out=$artifacts/console-$case_name.txt csv=$artifacts/console-$case_name.csv
    local zh=$artifacts/console-$case_name.analyze-zh
    rm -f "$csv"
    run_with_jig "$artifacts/console-$case_name.jig" "$case_rate" 0 4 "$out" --csv "$csv"
    retry_reason=$(jig_behind "$case_rate" 3) && return
    [ "$rc" -eq 0 ] || { fail "exit code $rc"; return; }
    local clock moving
    clock=$(tr -d '\r' <"$out" | grep '^Report clock: ')
    moving=$(tr -d '\r' <"$out" | grep '^While moving: ')
    echo "[$case_name] $clock; $moving"
    tr -d '\r' <"$out" | grep '^Hint: the hand limited' && fail "a hand-limit hint on the jig's full stream"
    [ -s "$csv" ] || { fail "no CSV"; return; }
    timeout 60 wine "$exe" --analyze "$csv" --lang zh >"$zh" 2>&1 ||
        { fail "--analyze --lang zh: exit code $?"; return; }
    local keys='^(Intervals \(us\)|Percentiles \(us\)|Rates \(Hz\)|Coalesced|Reading|Motion): '
    cmp -s <(tr -d '\r' <"$out" | grep -E "$keys") <(tr -d '\r' <"$zh" | grep -E "$keys") ||
        fail "--analyze --lang zh changed a line of figures ($zh)"
    grep -q "^Summary: $csv, " "$zh" || fail "--analyze --lang zh: no Summary line"
    tr -d '\r' <"$zh" | grep -qE '^Stability: [0-9.]+% 的间隔与中位数相差不超过 10%$' ||
        fail "--analyze --lang zh: no Chinese Stability sentence ($zh)"
    tr -d '\r' <"$zh" | grep -qE '^While moving: n=[0-9]+ .* p99_hz=[0-9.]+ （连续两个移动回报之间的间隔）$' ||
        fail "--analyze --lang zh: no Chinese note on the While moving line ($zh)"
    tr -d '\r' <"$out" | grep -qE '^Stability: [0-9.]+% of intervals within 10% of the median$' ||
        fail "the run's Stability line is no longer English"
}
case_name=all-1000 case_rate=1000 e2e_runs hint_case

# The two runs' CSVs compared with --ab: each run's line, B - A with its
# intervals (the faster jig's median rate higher), and, for runs of 4 s, no
# verdict but the reason.
ab_case() {
    local a=$artifacts/console-all-250.csv b=$artifacts/console-all-500.csv
    local out=$artifacts/console-ab.txt figures lines
    [ -s "$a" ] && [ -s "$b" ] || { fail "no CSVs of the runs above"; return; }
    timeout 60 wine "$exe" --ab "$a" "$b" --json "$out.json" >"$out" 2>&1 || { fail "exit code $?"; return; }
    python3 "$e2e_here/json_check.py" "$out" "$out.json" || fail "--ab's --json differs from its text"
    figures=' n=[0-9]+ median_hz=[0-9.]+ p1_hz=[0-9.]+ p99_us=[0-9.]+ sd_us=[0-9.]+ stability=[0-9.]+% clock_us=([0-9]+\.[0-9]{3}|none)$'
    local run_a="^A: file=$a$figures" run_b="^B: file=$b$figures"
    local diff='^B-A \(95% CI, 1 s blocks\): median_hz=\+[0-9]+\.[0-9] \[\+[0-9.]+,\+[0-9.]+\] p1_hz='
    local verdict='^Verdict: none: run A has [0-9] blocks of 1 s; a verdict needs at least 10 in each run\.$'
    mapfile -t lines < <(tr -d '\r' <"$out")
    [ "${#lines[@]}" -eq 4 ] && [[ ${lines[0]} =~ $run_a ]] && [[ ${lines[1]} =~ $run_b ]] &&
        [[ ${lines[2]} =~ $diff ]] && [[ ${lines[3]} =~ $verdict ]] ||
        fail "--ab's lines are not as expected ($out)"
}
case_name=ab ab_case
# The documentation's status line and summary (README.md, docs/) come from a
# real run (written by scripts/readme-examples.sh); a live run's figures
# differ from run to run, so they are held to this run's shape: the same
# lines, words and spacing, with numbers of the same form in the same places.
for example in console-status console-summary; do
    python3 "$e2e_here/readme_examples.py" check "$e2e_here/../.." "$example" \
        "$artifacts/console-all-500.txt" || fail "the documentation's $example example"
done
# This one moves +3, -3 pixels alternately: the CSV's dx column must be that
# pattern report for report (see motion_check.py for what Wine does to it).
case_name=mouse1-500 case_rate=500 case_step=3 e2e_runs console_case 1 3 "Wine HID mouse (VID_845E PID_0001)"

# The jig's button script (xmotion_jig -b): clicks, three of them bouncing 4
# ms after their release, right and back clicks, a fast scroll down with two
# lone notches up. The summary's Button and Wheel lines must be what the jig
# really sent (button_check.py), --analyze of the CSV must print the same
# block, and --chatter-ms 2 must find no chatter in it.
buttons_case() {
    local out=$artifacts/console-buttons.txt csv=$artifacts/console-buttons.csv
    local log=$artifacts/console-buttons.jig again=$artifacts/console-buttons.analyze-2ms
    rm -f "$csv" "$log"
    timeout 90 wine explorer /desktop=qe2ebuttons,1024x768 "$exe" -c 0 6 --csv "$csv" --json "$out.json" \
        >"$out" 2>/dev/null &
    local app_pid=$!
    for _ in $(seq 600); do grep -q 'Avg=' "$out" 2>/dev/null && break; sleep 0.05; done
    "$jig" -l "$log" -b
    wait "$app_pid"
    rc=$?
    [ "$rc" -eq 0 ] || { fail "exit code $rc"; return; }
    tr -d '\r' <"$out" | grep -E '^(Button|Wheel|Hint)'
    python3 "$e2e_here/button_check.py" "$out" "$log"
    case $? in
    0) ;;
    3) retry_reason="Wine delivered the buttons later than $log says they were sent"; return ;;
    *) fail "the Button and Wheel lines are not the jig's script ($log)"; return ;;
    esac
    python3 "$e2e_here/json_check.py" "$out" "$out.json" || fail "--json differs from the text"
    analyze_matches 0 "$out" "$csv"
    timeout 60 wine "$exe" --analyze "$csv" --chatter-ms 2 >"$again" 2>&1 ||
        { fail "--analyze --chatter-ms 2: exit code $?"; return; }
    python3 "$e2e_here/button_check.py" "$again" "$log" --chatter-ms 2
    case $? in
    0) ;;
    3) retry_reason="a bounce reached Wine about 2 ms after its release"; return ;;
    *) fail "--analyze --chatter-ms 2 does not count the script's chatter by 2 ms ($again)"; return ;;
    esac
    grep -q 'chatter=[1-9]' "$again" && retry_reason="the jig sent a bounce under 2 ms after its release"
}
case_name=buttons e2e_runs buttons_case

# A run killed with kill -9 while the jig moves: the user's file is as it
# was, and the partial file beside it holds every report counted by the last
# status line (rows go to disk before the line that counts them).
killed_case() {
    local out=$artifacts/console-killed.txt csv=$artifacts/console-killed.csv
    printf 'old\n' >"$csv"
    rm -f "$csv".*partial
    "$jig" 500 60 >/dev/null 2>&1 &
    local jig_pid=$!
    e2e_pids+=("$jig_pid")
    timeout 60 wine explorer /desktop=qe2ekill,1024x768 "$exe" -c 0 --csv "$csv" >"$out" 2>/dev/null &
    local app_pid=$! pid=
    for _ in $(seq 600); do tr '\r' '\n' <"$out" | grep -q 'Time=2\.5s' && break; sleep 0.05; done
    pid=$(pgrep -s 0 -f "^$exe -c 0")
    [ -n "$pid" ] && kill -9 $pid
    kill "$jig_pid" 2>/dev/null
    wineserver -k 2>/dev/null
    wait "$app_pid" 2>/dev/null
    [ -n "$pid" ] || { fail "no program to kill"; return; }
    local last count rows
    last=$(tr '\r' '\n' <"$out" | grep '^Avg=' | tail -n 1)
    count=$(sed -E 's/.*Count=([0-9]+).*/\1/' <<<"$last")
    [ "$(cat "$csv")" = old ] || fail "the existing CSV was changed"
    [ -f "$csv.partial" ] || { fail "no $csv.partial"; return; }
    [ "$(head -n 1 "$csv.partial")" = "t_us,slot,interval_us,class,background,utc_us,dx,dy,buttons,wheel,flags" ] || fail "partial header"
    rows=$(($(wc -l <"$csv.partial") - 1))
    echo "[$case_name] killed after: $last; $rows rows kept"
    [ "${count:-0}" -gt 100 ] || { retry_reason="only ${count:-no} intervals before the kill"; return; }
    [ "$rows" -ge $((count + 1)) ] || fail "$rows rows kept, the last status line counted $count intervals"
}
case_name=killed e2e_runs killed_case

# Ctrl+C typed into the terminal of quorvin-cli.exe in a virtual desktop of its
# own while the jig moves (see scripts/run.sh for why not explorer /desktop):
# every run ends with the last status line, the summary and the whole CSV.
cli_exe=${exe%/*}/quorvin-cli.exe
apps='HKCU\Software\Wine\AppDefaults\quorvin-cli.exe\Explorer'
wine reg add "$apps" /v Desktop /d qe2ecli /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v qe2ecli /d 1024x768 /f >/dev/null 2>&1
ctrl_c_case() {
    local out=$artifacts/console-$case_name.txt csv=$artifacts/console-$case_name.csv
    rm -f "$csv" "$csv".*partial
    "$jig" 500 60 >/dev/null 2>&1 &
    local jig_pid=$!
    e2e_pids+=("$jig_pid")
    python3 "$e2e_here/pty_ctrl_c.py" 4 "$out" wine "$cli_exe" -c 0 --csv "$csv"
    rc=$?
    kill "$jig_pid" 2>/dev/null
    local total rows
    total=$(tr -d '\r' <"$out" | sed -n -E 's/^Background reports: [0-9]+ of ([0-9]+)$/\1/p')
    [ "$rc" -eq 0 ] || fail "exit code $rc"
    [ -n "$total" ] || { fail "no 'Background reports' line after Ctrl+C"; return; }
    [ "$total" -ge 100 ] || { retry_reason="only $total reports reached the program"; return; }
    grep -B1 '^Background reports: ' "$out" | head -n 1 | tr '\r' '\n' | tail -n 1 | grep -q '^Avg=.*Time=[0-9.]*s$' ||
        fail "no status line before the background count"
    [ -f "$csv" ] || { fail "no CSV after Ctrl+C"; return; }
    ls "$csv".*partial >/dev/null 2>&1 && fail "a partial file was left"
    rows=$(($(wc -l <"$csv") - 1))
    [ "$rows" -eq "$total" ] || fail "$rows CSV rows for $total reports"
    python3 "$e2e_here/csv_check.py" "$out" "$csv" || fail "summary and CSV disagree"
}
for run in 1 2 3 4 5; do
    case_name=ctrl-c-$run e2e_runs ctrl_c_case
done
wine reg delete "$apps" /f >/dev/null 2>&1

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
