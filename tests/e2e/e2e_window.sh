#!/bin/bash
# End-to-end test of the window: the real quorvin.exe under Wine on a private
# Xvfb, driven with xdotool and the native motion jig, checked from screenshots
# (kept in the artifact folder): measuring status, the 2000 us bucket as the
# tallest bar at its computed place, the plot's dots against the log it
# exports and the moves the jig sent (repeated when the jig fell behind or
# the moves did not reach the program), clearing, the about box, the capture
# diagnostic's failure box (no driver under Wine), and exit code 0 on close.
# With DPI (LogPixels in the prefix while the test runs) every position and
# size is checked at DPI/96 times its 96-DPI value.
# Usage: e2e_window.sh QUORVIN_EXE JIG WINEPREFIX ARTIFACT_DIR [DPI]
set -u
exe=$1
jig=$2
prefix=$3
artifacts=$4
dpi=${5:-96}
source "$(dirname "$0")/e2e_common.sh"
tag=window
[ "$dpi" -eq 96 ] || tag=window$dpi
e2e_start_xvfb "$tag" 1600x1200
# Set every time, 96 included: a run that was killed cannot leave its DPI behind.
desktop_key='HKCU\Control Panel\Desktop'
wine reg add "$desktop_key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 ||
    { echo "FAIL: cannot set LogPixels"; exit 1; }
[ "$dpi" -eq 96 ] ||
    e2e_restore="wine reg add '$desktop_key' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1; wineserver -k 2>/dev/null"

# A 96-DPI length in pixels at this DPI, rounded as the program's MulDiv rounds.
s() { echo $((($1 * dpi + 48) / 96)); }

# Waits up to 20 s for a window whose title matches; prints its id.
find_window() {
    for _ in $(seq 200); do
        local id
        id=$(xdotool search --name "$1" 2>/dev/null | head -n 1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

# Clicks at 96-DPI client coordinates of the main window.
click() { xdotool mousemove $((client_x + $(s $1))) $((client_y + $(s $2))) click 1; }

shot() { import -window root "$artifacts/$tag-$1.png"; }

# Pixel colour at client coordinates of a screenshot, as "R,G,B".
pixel() {
    convert "$artifacts/$tag-$1.png" -crop "1x1+$((client_x + $2))+$((client_y + $3))" \
        -depth 8 txt:- | sed -n 's/.*(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1,\2,\3/p' | head -n 1
}

# True when the given client band (96-DPI rows) of a screenshot contains the colour "R,G,B".
band_has() {
    local name=$1 top=$(s $2) bottom=$(s $3) rgb=$4
    convert "$artifacts/$tag-$name.png" \
        -crop "$client_w"x$((bottom - top))+"$client_x"+$((client_y + top)) \
        -depth 8 -unique-colors txt:- | grep -q "($rgb)"
}

# Presses Return in a message box until it is gone (a large box may still
# cover the controls a moment after the first press).
close_box() {
    for _ in 1 2 3; do
        xdotool windowfocus "$1" 2>/dev/null
        sleep 0.2
        xdotool key Return
        for _ in $(seq 20); do
            xdotool getwindowname "$1" >/dev/null 2>&1 || return 0
            sleep 0.1
        done
    done
    fail "a message box did not close"
}

wine "$exe" >"$artifacts/window-stdout.txt" 2>&1 &
app_pid=$!
e2e_pids+=("$app_pid")
main=$(find_window '^Quorvin v9 \(Raw Input\)$') || { echo "FAIL: no main window"; exit 1; }
[ "$(xdotool getwindowname "$main")" = "Quorvin v9 (Raw Input)" ] || fail "window title"
eval "$(xdotool getwindowgeometry --shell "$main")"
client_x=$X client_y=$Y client_w=$WIDTH
sleep 0.5
shot opened
band_has opened 46 62 "150,150,150" || fail "stopped status not grey"
# The controls' row: buttons 26 high from y 8, the last one ending at x 769.
[ "$(pixel opened "$(s 405)" "$(s 32)")" != "0,0,0" ] || fail "start button shorter than $(s 26) px"
[ "$(pixel opened "$(s 405)" "$(s 37)")" = "0,0,0" ] || fail "start button taller than $(s 26) px"
[ "$(pixel opened "$(s 766)" "$(s 21)")" != "0,0,0" ] || fail "about button narrower"
[ "$client_w" -gt "$(s 769)" ] || fail "client width $client_w clips the about button"

# Histogram geometry of the panel, laid out for the client width at 96 DPI.
w=$(((client_w * 96 + dpi / 2) / dpi))
if [ "$w" -le 465 ]; then bar=50; total=442
elif [ "$w" -le 953 ]; then bar=$(((w - 66) >> 3)); total=$((((w - 66) & ~7) + 42))
else bar=110; total=922; fi
pitch=$((bar + 6))
x0=$(((w - total) / 2))
bar_x() { echo $(($(s $((x0 + $1 * pitch))) + $(s $bar) / 2)); }
orange="240,145,50"

# The plot window's export: the log as the program holds it, one row a report.
export_plot_csv() {
    local csv=$1
    rm -f "$csv"
    xdotool mousemove $((plot_X + $(s 845))) $((plot_Y + $(s 18))) click 1
    local dialog
    dialog=$(find_window '^Save As$') || { fail "no Save As dialog"; return 1; }
    sleep 0.3
    xdotool windowfocus "$dialog" 2>/dev/null
    xdotool type --delay 5 "$(winepath -w "$csv")"
    xdotool key Return
    for _ in $(seq 100); do [ -s "$csv" ] && break; sleep 0.1; done
    sleep 0.2
    [ -s "$csv" ] || { fail "the plot's export wrote no CSV"; return 1; }
}

# What reached the program, from the exported log: leaves retry_reason set
# when a tenth of the moves the jig sent did not arrive, or 40 % of the
# intervals lie off the 2.0 ms row (a loaded machine; the median line would
# not mark it).
judge_delivery() {
    local rows accepted near
    read -r rows accepted near < <(awk -F, 'NR > 1 { n++ }
        NR > 1 && $4 == "accepted" { a++; if ($3 >= 1800 && $3 <= 2200) near++ }
        END { printf "%d %d %d\n", n, a, near }' "$1")
    echo "[measure] jig: $jig_sent moves at $jig_rate_hz Hz, late by up to $jig_late_max_ms ms;" \
        "program: $rows reports, $near of $accepted intervals within 0.2 ms of 2.0 ms"
    near_share=$((near * 100 / (accepted > 0 ? accepted : 1)))
    if [ "$rows" -lt $((jig_sent * 9 / 10)) ]; then
        retry_reason="only $rows of the $jig_sent moves reached the program"
    elif [ "$near_share" -lt 60 ]; then
        retry_reason="reports reached the program unevenly: $near of $accepted intervals near 2.0 ms"
    fi
    # Clicks add a few reports; more than that were never sent.
    [ "$rows" -le $((jig_sent + 10)) ] || fail "$rows reports, more than the $jig_sent moves sent"
}

# Bucket 5 (2000 us, where 500 Hz falls) is the tallest bar, at its place.
check_bars() {
    band_has measuring 46 62 "80,220,120" || fail "measuring status not green"
    # In the foreground every report comes as RIM_INPUT: no background status.
    band_has measuring 46 62 "255,165,0" && fail "background status while in the foreground"
    local baseline=417
    band_has measuring 230 246 "190,165,120" && baseline=441  # the coalesced line is shown
    local base=$(s $baseline) tallest=$(s 130)
    [ "$(pixel measuring "$(bar_x 5)" $((base - 1)))" = "$orange" ] || fail "bucket 5 bar missing"
    [ "$(pixel measuring "$(bar_x 5)" $((base - tallest)))" = "$orange" ] || fail "bucket 5 is not the tallest ($tallest px)"
    [ "$(pixel measuring "$(bar_x 5)" $((base - tallest - 1)))" = "0,0,0" ] || fail "bucket 5 taller than $tallest px"
    for i in 0 1 2 3 4 6 7; do
        [ "$(pixel measuring "$(bar_x $i)" $((base - tallest)))" = "0,0,0" ] || fail "bucket $i as tall as bucket 5"
    done
}

# The 2000 us reports as orange dots on the 2.0 ms row, where the median line
# runs (the row most covered by its light grey): of all bands a fifth of a
# millisecond high, the one with the most orange pixels lies within 0.2 ms of
# it. (Columns of many reports are drawn as strokes from the shortest to the
# longest, so the pixels' share near the line is no measure of the intervals'.)
# The axis starts at 0 here: the jig's intervals under Wine reach down below
# half their 99.9th percentile.
check_plot_dots() {
    convert "$artifacts/$tag-plot.png" -crop "$(($(s 730) - $(s 60)))x$(($(s 444) - $(s 48)))+$((plot_X + $(s 60)))+$((plot_Y + $(s 48)))" \
        -depth 8 txt:- >"$artifacts/$tag-plot.txt"
    local verdict median_row densest near total
    verdict=$(awk -F'[,: ]+' -v height="$(($(s 444) - $(s 48)))" '
        /#E0E0E0/ { line[$2]++ }
        /#F09132/ { orange[$2]++; total++ }
        END {
            best = -1; for (r in line) if (best < 0 || line[r] > line[best]) best = r
            band = int((height - best) / 10)
            most = -1
            for (c = 0; c < height; c++) {
                sum = 0; for (r = c - band; r <= c + band; r++) sum += orange[r]
                if (sum > most) { most = sum; densest = c }
                if (c == best) near = sum
            }
            printf "%d %d %d %d\n", best, densest, near, total
        }' "$artifacts/$tag-plot.txt")
    read -r median_row densest near total <<<"$verdict"
    echo "[measure] median line at row $median_row of the area, densest orange band at row $densest;" \
        "$near of $total orange pixels within 0.2 ms of the line"
    [ "$total" -gt 100 ] || fail "too few orange dots ($total)"
    local off=$((densest - median_row))
    [ "${off#-}" -le "$((($(s 444) - $(s 48) - median_row) / 10))" ] ||
        fail "orange dots not on the median's row (densest at row $densest, line at $median_row)"
}

close_plot() {
    # A click in its empty right margin gives it the keyboard, then Alt+F4.
    xdotool mousemove $((plot_X + $(s 880))) $((plot_Y + $(s 460))) click 1
    sleep 0.3
    xdotool key alt+F4
    for _ in $(seq 20); do xdotool getwindowname "$plot" >/dev/null 2>&1 || break; sleep 0.1; done
    xdotool getwindowname "$plot" >/dev/null 2>&1 && fail "plot window did not close"
}

# Clears, moves the pointer at 500 Hz for 3 s, then judges the panel and the
# interval plot against what the jig sent and what reached the program.
measure_case() {
    click 518 21  # 清除数据: a repeated run starts afresh
    sleep 0.3
    local log=$artifacts/$tag-measure.jig
    rm -f "$log"
    "$jig" -l "$log" 500 3 >/dev/null
    read_jig_log "$log" || { fail "the jig wrote no log"; return; }
    retry_reason=$(jig_behind 500 3) && return
    sleep 0.5
    shot measuring
    click 825 21  # 间隔图
    plot=$(find_window '^间隔图 — Quorvin v9$') || { fail "no plot window"; return; }
    sleep 0.5
    eval "$(xdotool getwindowgeometry --shell "$plot" | sed 's/^/plot_/')"
    [ "$plot_WIDTH" -eq "$(s 900)" ] && [ "$plot_HEIGHT" -eq "$(s 480)" ] ||
        fail "plot client ${plot_WIDTH}x$plot_HEIGHT, not $(s 900)x$(s 480)"
    shot plot
    export_plot_csv "$artifacts/$tag-plot.csv" && judge_delivery "$artifacts/$tag-plot.csv"
    sleep 0.3
    shot plot-exported  # the status line at its foot names the file and the rows
    if [ -z "$retry_reason" ]; then
        check_bars
        check_plot_dots
    fi
    close_plot
}

click 405 21  # 开始测量
sleep 0.3
case_name=measure e2e_runs measure_case

click 518 21  # 清除数据
sleep 0.5
shot cleared
for i in 0 1 2 3 4 5 6 7; do
    [ "$(pixel cleared "$(bar_x $i)" $(($(s 417) - 1)))" = "0,0,0" ] || fail "bar $i still shown after clearing"
done

click 724 21  # 关于
about=$(find_window '^关于 — Quorvin v9$') || fail "no about box"
sleep 0.3
shot about
[ -n "$about" ] && close_box "$about"

click 623 21  # USBPcap 诊断
diag=$(find_window '^USBPcap 诊断 — 步骤[12] 失败$') || fail "no diagnostic failure box"
sleep 0.3
shot diagnostic
[ -n "$diag" ] && close_box "$diag"

xdotool windowfocus "$main" 2>/dev/null
sleep 0.2
xdotool key alt+F4
for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
wait "$app_pid"
rc=$?
[ "$rc" -eq 0 ] || fail "exit code $rc after closing"

e2e_finish "$tag"
