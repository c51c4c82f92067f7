#!/bin/bash
# End-to-end test of the window: the real quorvin.exe in Wine's virtual desktop
# (under Wine only there does its reader's hidden window receive input) on a private
# Xvfb, driven with xdotool and the native motion jig, checked from screenshots
# (kept in the artifact folder): measuring status, the rate line, the 2000 us
# bucket as the tallest bar at its computed place, the plot's dots against the log it
# exports and the moves the jig sent (repeated when the jig fell behind or
# the moves did not reach the program), the jig's +3/-3 pattern at its rows
# in the counts view (and a screenshot of the speed view), clearing, the about box, the capture
# diagnostic's failure box (no driver under Wine), the plot in a window as
# narrow as a 1024-pixel screen and its saved picture, the jig's button
# script on the panel's line of presses and in the plot's "按键" view, and
# exit code 0 on close.
# While the jig moves, the window's thread is stopped for a second from
# outside, with the plot window open and zoomed too: no interval of the
# record around that second may exceed 10 ms, and none may be a pause.
# With DPI (LogPixels in the prefix while the test runs) every position and
# size is checked at DPI/96 times its 96-DPI value. Last, on a 1024 x 768
# desktop in either language, the window opens whole on it with its rate
# line, and Enter starts and stops measuring.
# Usage: e2e_window.sh QUORVIN_EXE JIG E2E_WIN_EXE WINEPREFIX ARTIFACT_DIR [DPI]
set -u
exe=$1
jig=$2
helper=$3
prefix=$4
artifacts=$5
dpi=${6:-96}
source "$(dirname "$0")/e2e_common.sh"
tag=window
[ "$dpi" -eq 96 ] || tag=window$dpi
# The virtual desktop as large as the screen, so it lies at 0,0 and leaves
# bare desktop below the windows at 144 DPI too (see park), and wide enough
# for the plot's 1080 pixels at 144 DPI.
screen=1800x1200
e2e_start_xvfb "$tag" "$screen"
# Set every time, 96 included: a run that was killed cannot leave its DPI behind.
desktop_key='HKCU\Control Panel\Desktop'
wine reg add "$desktop_key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 ||
    { echo "FAIL: cannot set LogPixels"; exit 1; }
# The program and the helper in one virtual desktop of the prefix, named for
# this test (as scripts/run.sh does for the user, under another name).
desktop=qe2e$tag
apps='HKCU\Software\Wine\AppDefaults'
for program in "${exe##*/}" "${helper##*/}"; do
    wine reg add "$apps\\$program\\Explorer" /v Desktop /d "$desktop" /f >/dev/null 2>&1 ||
        { echo "FAIL: cannot set the virtual desktop of $program"; exit 1; }
done
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v "$desktop" /d "$screen" /f >/dev/null 2>&1
e2e_restore="wine reg delete '$apps\\${exe##*/}' /f >/dev/null 2>&1; wine reg delete '$apps\\${helper##*/}' /f >/dev/null 2>&1"
[ "$dpi" -eq 96 ] ||
    e2e_restore="$e2e_restore; wine reg add '$desktop_key' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1"
e2e_restore="$e2e_restore; wineserver -k 2>/dev/null"

main_title='Quorvin v9 (Raw Input)'
plot_title='间隔图 — Quorvin v9'

# A 96-DPI length in pixels at this DPI, rounded as the program's MulDiv rounds.
s() { echo $((($1 * dpi + 48) / 96)); }

# The Windows helper (e2e_win.c) in the program's desktop; its complaints go
# to a log in the artifact folder.
win() {
    wine "$helper" "$@" 2>>"$artifacts/$tag-helper.log" | tr -d '\r'
    return "${PIPESTATUS[0]}"
}

# Waits up to 20 s for a window with one of the titles; sets ${1}_x and
# ${1}_y (its client area's origin on the X screen), ${1}_w and ${1}_h.
desk_x=0 desk_y=0
locate() {
    local name=$1 geometry x y w h
    shift
    geometry=$(win wait 20000 "$@")
    read -r x y w h <<<"$geometry"
    [ -n "${h:-}" ] || return 1
    printf -v "${name}_x" %d $((desk_x + x))
    printf -v "${name}_y" %d $((desk_y + y))
    printf -v "${name}_w" %d "$w"
    printf -v "${name}_h" %d "$h"
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

# Presses Return in a box (titled any of the arguments) until it is gone (a
# large box may still cover the controls a moment after the first press).
close_box() {
    for _ in 1 2 3; do
        win front "$@"
        sleep 0.2
        xdotool key Return
        win gone 2000 "$@" && return 0
    done
    fail "a box did not close ($1)"
}

wine "$exe" --lang zh >"$artifacts/window-stdout.txt" 2>&1 &
app_pid=$!
e2e_pids+=("$app_pid")
locate client "$main_title" || { echo "FAIL: no main window titled $main_title"; exit 1; }
# Where the desktop lies on the X screen (0,0 as it fills the screen).
eval "$(xdotool search --name "^$desktop - Wine desktop\$" getwindowgeometry --shell 2>/dev/null)"
desk_x=${X:-0} desk_y=${Y:-0}
client_x=$((client_x + desk_x)) client_y=$((client_y + desk_y))
sleep 0.5
shot opened
band_has opened 46 62 "150,150,150" || fail "stopped status not grey"
# The controls in one row: buttons 26 high from y 8, the last one ending at x 826.
[ "$(pixel opened "$(s 348)" "$(s 32)")" != "0,0,0" ] || fail "start button shorter than $(s 26) px"
[ "$(pixel opened "$(s 348)" "$(s 37)")" = "0,0,0" ] || fail "start button taller than $(s 26) px"
[ "$(pixel opened "$(s 823)" "$(s 21)")" != "0,0,0" ] || fail "plot button narrower"
[ "$client_w" -gt "$(s 826)" ] || fail "client width $client_w clips the plot button"
# The rate line (light gold, large) under the status.
rate_gold="255,230,150"
band_has opened 64 92 "$rate_gold" || fail "no rate line under the status"

# Histogram geometry of the panel, laid out for the client width at 96 DPI.
w=$(((client_w * 96 + dpi / 2) / dpi))
if [ "$w" -le 465 ]; then bar=50; total=442
elif [ "$w" -le 953 ]; then bar=$(((w - 66) >> 3)); total=$((((w - 66) & ~7) + 42))
else bar=110; total=922; fi
pitch=$((bar + 6))
x0=$(((w - total) / 2))
bar_x() { echo $(($(s $((x0 + $1 * pitch))) + $(s $bar) / 2)); }
orange="240,145,50"
# The bars' baseline and their full height at 96 DPI for one row of controls,
# with the coalesced line ($1: 0 or 1) and $2 lines of motion hints
# (core/views/panel_layout's panel_rows).
panel_bars() {
    local h=$(((client_h * 96 + dpi / 2) / dpi)) y=$((46 + 70 + 105 + 22 * $1 + 18 * $2)) bars
    bars=$((h - y - 40 - 31))
    [ "$bars" -gt 130 ] && bars=130
    [ "$bars" -lt 24 ] && bars=24
    echo $((y + 40 + bars)) "$bars"
}

# The plot window's export: the log as the program holds it, one row a report.
export_plot_csv() {
    local csv=$1
    rm -f "$csv"
    xdotool mousemove $((plot_x + plot_w - $(s 55))) $((plot_y + $(s 18))) click 1
    locate dialog 'Save As' || { fail "no Save As dialog"; return 1; }
    win name "$(winepath -w "$csv")" 'Save As' || { fail "the Save As dialog took no name"; return 1; }
    # The file appears whole (written beside and renamed), maybe a while
    # after the dialog has gone.
    for _ in $(seq 300); do [ -s "$csv" ] && break; sleep 0.1; done
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
    echo "[$case_name] jig: $jig_sent moves at $jig_rate_hz Hz, late by up to $jig_late_max_ms ms;" \
        "program: $rows reports, $near of $accepted intervals within 0.2 ms of 2.0 ms"
    near_share=$((near * 100 / (accepted > 0 ? accepted : 1)))
    if [ "$rows" -lt $((jig_sent * 9 / 10)) ]; then
        retry_reason="only $rows of the $jig_sent moves reached the program"
    elif [ "$near_share" -lt 60 ]; then
        retry_reason="reports reached the program unevenly: $near of $accepted intervals near 2.0 ms"
    fi
    # Clicks, the moves to them and wheel notches add a few reports; more than
    # that were never sent.
    [ "$rows" -le $((jig_sent + ${extra_reports:-12})) ] || fail "$rows reports, more than the $jig_sent moves sent"
}

# Bucket 5 (2000 us, where 500 Hz falls: the "500" bar) is the tallest bar,
# at its place; the rate line is shown.
check_bars() {
    band_has measuring 46 62 "80,220,120" || fail "measuring status not green"
    # In the virtual desktop every report comes as RIM_INPUTSINK; the window
    # in front counts none as background.
    band_has measuring 46 62 "255,165,0" && fail "background status while in the foreground"
    band_has measuring 64 92 "$rate_gold" || fail "no rate line while measuring"
    # The bars stand lower with the coalesced line and each line of hints:
    # the baseline is where the bar meets the black above its label.
    local coalesced=0 lines baseline= full
    band_has measuring 221 237 "190,165,120" && coalesced=1
    for lines in 0 1 2 3; do
        read -r baseline full < <(panel_bars $coalesced $lines)
        [ "$(pixel measuring "$(bar_x 5)" $(($(s $baseline) - 1)))" = "$orange" ] &&
            [ "$(pixel measuring "$(bar_x 5)" "$(s $baseline)")" = "0,0,0" ] && break
        baseline=
    done
    [ -n "$baseline" ] || { fail "bucket 5 bar missing"; return; }
    echo "[measure] bars stand at $baseline, $full px tall at most ($coalesced coalesced line, $lines hint lines)"
    local base=$(s $baseline) tallest=$(s $full)
    [ "$(pixel measuring "$(bar_x 5)" $((base - 1)))" = "$orange" ] || fail "bucket 5 bar missing"
    [ "$(pixel measuring "$(bar_x 5)" $((base - tallest)))" = "$orange" ] || fail "bucket 5 is not the tallest ($tallest px)"
    [ "$(pixel measuring "$(bar_x 5)" $((base - tallest - 1)))" = "0,0,0" ] || fail "bucket 5 taller than $tallest px"
    for i in 0 1 2 3 4 6 7; do
        [ "$(pixel measuring "$(bar_x $i)" $((base - tallest)))" = "0,0,0" ] || fail "bucket $i as tall as bucket 5"
    done
}

# The plot area's rows in a picture ($1; the client's origin in it $2 $3, its
# height $4): the y axis is the longest run of its grey down the column left
# of the area (client x 59 at 96 DPI), passing over the few rows an arrow at
# either end may cover; the area's top and bottom (the time axis) end it.
# The header and the foot take as many lines as their words need, so the
# rows follow the width. Sets area_top and area_bottom.
find_area() {
    read -r area_top area_bottom < <(convert "$1" -crop "1x$4+$(($2 + $(s 60) - 1))+$3" -depth 8 txt:- |
        awk -F'[,: ]+' -v gap="$(s 4)" '/#C8C8C8/ { if (n && $2 - last <= gap) n = $2 - from + 1; else { from = $2; n = 1 }
                                                   last = $2; if (n > best) { best = n; top = from } }
                                        END { printf "%d %d\n", top, top + best - 1 }')
    [ "${area_bottom:-0}" -gt "${area_top:-0}" ] || { fail "no plot area in ${1##*/}"; return 1; }
}

# The 2000 us reports as orange dots on the 2.0 ms row, where the median line
# runs (the row most covered by its light grey): of all bands a fifth of a
# millisecond high, the one with the most orange pixels lies within 0.2 ms of
# it. (Columns of many reports are drawn as strokes from the shortest to the
# longest, so the pixels' share near the line is no measure of the intervals'.)
# The axis starts at 0 here: the jig's intervals under Wine reach down below
# half their 99.9th percentile.
check_plot_dots() {
    find_area "$artifacts/$tag-plot.png" "$plot_x" "$plot_y" "$plot_h" || return
    convert "$artifacts/$tag-plot.png" -crop "$((plot_w - $(s 210) - $(s 60)))x$((area_bottom - area_top))+$((plot_x + $(s 60)))+$((plot_y + area_top))" \
        -depth 8 txt:- >"$artifacts/$tag-plot.txt"
    local verdict median_row densest near total
    verdict=$(awk -F'[,: ]+' -v height="$((area_bottom - area_top))" '
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
    [ "${off#-}" -le "$(((area_bottom - area_top - median_row) / 10))" ] ||
        fail "orange dots not on the median's row (densest at row $densest, line at $median_row)"
}

close_plot() {
    # A click in its empty right margin gives it the keyboard, then Alt+F4.
    # On a busy machine the window can take the click after the key went by:
    # once more then, while it is still there.
    local try
    for try in 1 2; do
        xdotool mousemove $((plot_x + plot_w - $(s 20))) $((plot_y + $(s 460))) click 1
        sleep 0.3
        xdotool key alt+F4
        win gone 2000 "$plot_title" && return 0
        echo "[$case_name] the plot window is still open after Alt+F4 ($try)"
    done
    fail "plot window did not close"
}

# Opens the plot window and checks its client size.
open_plot() {
    click 776 21  # 间隔图
    locate plot "$plot_title" || { fail "no plot window"; return 1; }
    sleep 0.5
    [ "$plot_w" -eq "$(s 1080)" ] && [ "$plot_h" -eq "$(s 480)" ] ||
        fail "plot client ${plot_w}x$plot_h, not $(s 1080)x$(s 480)"
}

# Under Wine a window's thread makes the input of pointer events over that
# window (each thread reads its windows' X events), where Windows makes it
# apart from every program. So the jig moves the pointer over the bare
# desktop, below the windows, whose events the desktop process turns into
# input: the window's thread then has no part in it, as on Windows.
park_at() { echo $((client_x + $(s 400))) $((${screen#*x} - 40)); }
park() { xdotool mousemove $(park_at); }

# Three wheel notches ($1: 4 in, 5 out) over the plot, the pointer back
# below the windows after each.
wheel() {
    local over="$((plot_x + $(s 400))) $((plot_y + $(s 250)))" back
    back=$(park_at)
    for _ in 1 2 3; do
        xdotool mousemove $over click "$1" mousemove $back
        sleep 0.1
    done
}

# Runs the jig at 500 Hz for 3 s and meanwhile stops the main window's thread
# for 1 s from outside (the helper suspends it and proves a message to the
# window goes unanswered meanwhile); with zoom set, the wheel zooms the plot
# before and after; with $jig_step the jig moves +step, -step alternately.
# Sets hold_from/hold_to (UTC us) and calm_from/calm_to
# around them, the span where nothing but the jig moves the pointer; leaves
# retry_reason set when the jig fell behind.
jig_with_hold() {
    local log=$artifacts/$tag-$case_name.jig fifo=$artifacts/$tag-hold.fifo
    local out=$artifacts/$tag-$case_name.hold go jig_from held_hold_start_utc_us= held_hold_end_utc_us=
    rm -f "$log" "$fifo" "$out"
    mkfifo "$fifo"
    win hold 1000 "$main_title" <"$fifo" >"$out" &
    local hold_pid=$!
    exec {go}>"$fifo"
    park
    sleep 0.5  # the helper has started: its start keeps Wine busy
    jig_from=$(date +%s%6N)
    "$jig" -l "$log" ${jig_step:+-p "$jig_step"} 500 3 >/dev/null &
    local jig_pid=$!
    sleep 0.3
    [ -n "${zoom:-}" ] && wheel 4
    calm_from=$(date +%s%6N)
    # Under Wine the thread of the window the pointer last entered receives
    # the raw motion; the move back below the windows hands it to the
    # desktop's thread, which a loaded machine may finish late.
    sleep 0.3
    [ -n "${zoom:-}" ] && sleep 0.3
    (echo go >&"$go") 2>/dev/null  # a helper that ended early must not end the test
    exec {go}>&-
    rm -f "$fifo"
    wait "$hold_pid" || fail "the window's thread did not stop: $(tail -n 1 "$artifacts/$tag-helper.log")"
    if [ -n "${zoom:-}" ]; then
        sleep 0.3
        calm_to=$(date +%s%6N)
        wheel 5
    fi
    wait "$jig_pid"
    [ -n "${zoom:-}" ] || calm_to=$(date +%s%6N)
    eval "$(tr ' ' '\n' <"$out" | grep -E '^[a-z_]+=[0-9]+$' | sed 's/^/held_/')"
    hold_from=${held_hold_start_utc_us:-0} hold_to=${held_hold_end_utc_us:-0}
    echo "calm_from_utc_us=$calm_from calm_to_utc_us=$calm_to" >>"$out"
    echo "[$case_name] the window's thread held from $(((hold_from - jig_from) / 1000)) to" \
        "$(((hold_to - jig_from) / 1000)) ms of the jig's run;" \
        "a message to it went unanswered for ${held_probe_ms:-?} ms"
    unset held_probe_ms
    read_jig_log "$log" || { fail "the jig wrote no log"; return; }
    retry_reason=$(jig_behind 500 3)
}

# The record around the hold, from the exported log: no interval over 10 ms
# and no pause from its start to 250 ms after its end (the first report read
# after the hold carries the gap). A gap half as long as the hold or longer
# is the hold's, and fails at once; a shorter one, or moves lost, a busy
# machine makes too: run again (e2e_runs fails it on a free machine). A
# reader kept waiting finds the jig's moves of its wait queued and reads
# them together (coalesced after the gap); a gap over 10 ms after which
# fewer than half of them waited is motion Wine never delivered, not the
# reader's: it is reported, and the reader is judged by its other gaps.
# Called after judge_delivery, whose reason to run again stands.
judge_hold() {
    [ "$hold_to" -gt 0 ] || return  # no hold: failed already
    local rows worst pauses elsewhere reader wine period_us=2000  # the jig's 500 Hz
    read -r rows worst pauses elsewhere reader wine < <(awk -F, -v a="$hold_from" -v b=$((hold_to + 250000)) \
        -v from="$calm_from" -v to="$calm_to" -v period="$period_us" '
        function settle() {
            if (gap > 10000 && held * 2 * period < gap) { if (gap > wine) wine = gap }
            else if (gap > reader) reader = gap
            gap = 0
        }
        NR == 1 || $6 < from || $6 > to { next }
        gap && $4 == "coalesced" { held++ }
        gap && $4 != "coalesced" { settle() }
        $6 >= a && $6 <= b {
            n++; if ($4 == "pause") p++; if ($3 > w) w = $3
            if ($4 != "coalesced") { gap = $3; held = 0 }
            next
        }
        $4 != "first" && $3 > e { e = $3 }
        END { settle(); printf "%d %d %d %d %d %d\n", n, w, p, e, reader, wine }' "$1")
    echo "[$case_name] during the hold and 250 ms after: $rows reports, largest interval $worst us," \
        "$pauses pause(s); elsewhere in the jig's run: largest interval $elsewhere us" \
        "($(((calm_to - calm_from) / 1000)) ms around the hold)"
    if [ $((worst * 2)) -ge $((hold_to - hold_from)) ] && [ -n "${zoom:-}" ] && [ -z "${stalled_once:-}" ]; then
        # The reading did stop, but in the zoom case Wine can still have the
        # raw motion on the window's thread after the wheel's visits (above):
        # a design that reads on that thread stops in every run, so only a
        # stall that comes again fails.
        stalled_once=1
        retry_reason="an interval of $worst us during the hold, after the wheel's visits to the plot"
        return
    elif [ $((worst * 2)) -ge $((hold_to - hold_from)) ]; then
        fail "the record stopped with the window's thread: an interval of $worst us, $pauses pause(s)"
        return
    fi
    [ -n "$retry_reason" ] && return
    [ "$wine" -gt 0 ] &&
        echo "[$case_name] a $wine us interval is Wine's: the jig's moves of that span never reached the reader's queue"
    if [ "$reader" -gt 10000 ] || [ "$pauses" -gt 0 ]; then
        retry_reason="an interval of $reader us ($pauses pause(s)) during the hold, $elsewhere us outside it"
    elif [ "$rows" -lt 500 ]; then
        retry_reason="only $rows reports in the 1.25 s around the hold"
    fi
}

# The counts view of the jig's +3, -3 pattern: the two densest bands of the
# dx colour lie at +3 and -3 on the axis the view draws (-4 to 4: the
# columns' 99th percentile is 3, the next nice top 4; the three columns of
# the test's own pointer moves are arrows), symmetric about the 0 line, where the
# dy dots (all 0) lie. Each band is a row of dots (or a merged report's
# 0 between them). Rows from the area's top at this DPI; within a pixel.
check_counts() {
    find_area "$artifacts/$tag-plot-counts.png" "$plot_x" "$plot_y" "$plot_h" || return
    local top=$area_top bottom=$area_bottom left=$(s 60) verdict
    convert "$artifacts/$tag-plot-counts.png" -crop "$((plot_w - $(s 210) - left))x$((bottom - top + 1))+$((plot_x + left))+$((plot_y + top))" \
        -depth 8 txt:- >"$artifacts/$tag-plot-counts.txt"
    verdict=$(awk -F'[,: ]+' -v h=$((bottom - top)) -v dot="$(s 2)" '
        /#5AAAFF/ { dx[$2]++ } /#FF6E6E/ { dy[$2]++ }
        function want(v) { return int(h - (v + 4) / 8 * h + 0.5) - int(dot / 2) + (dot - 1) / 2 }
        function bands(a, out,   r, most, n, from) {
            from = -1
            for (r = 0; r <= h; r++) if (a[r] > most) most = a[r]
            for (r = 0; r <= h + 1; r++) {
                if (a[r] * 5 >= most && most > 0) { if (from < 0) from = r }
                else if (from >= 0) { out[++n] = (from + r - 1) / 2; from = -1 }
            }
            return n
        }
        END {
            n = bands(dx, up); m = bands(dy, zero)
            printf "%d %.1f %.1f %d %.1f %.1f %.1f %.1f\n", n, up[1], up[2], m, zero[1], want(3), want(-3), want(0)
        }' "$artifacts/$tag-plot-counts.txt")
    local n hi lo m zero want_hi want_lo want_zero
    read -r n hi lo m zero want_hi want_lo want_zero <<<"$verdict"
    echo "[measure] counts view: $n dx band(s) at rows $hi and $lo (+3 and -3 at $want_hi and $want_lo)," \
        "dy at $zero (0 at $want_zero)"
    [ "$n" -eq 2 ] && [ "$m" -eq 1 ] || { fail "counts view: $n dx levels and $m dy levels, not 2 and 1"; return; }
    holds "($hi - $want_hi)^2 <= 1 && ($lo - $want_lo)^2 <= 1 && ($zero - $want_zero)^2 <= 1" ||
        fail "counts view: dx at rows $hi and $lo, dy at $zero; +3, -3 and 0 lie at $want_hi, $want_lo, $want_zero"
    holds "(($hi + $lo) / 2 - $zero)^2 <= 1" || fail "counts view: dx rows $hi and $lo not symmetric about $zero"
}

# The views "计数" and "速度" of the same record, each a screenshot, at once
# after the plot opened: the record then holds few reports of the test's own
# pointer moves besides the jig's, under 1 % of the counts view's columns.
show_views() {
    xdotool mousemove $((plot_x + $(s 80))) $((plot_y + $(s 15))) click 1  # 计数
    sleep 0.6
    shot plot-counts
    xdotool mousemove $((plot_x + $(s 126))) $((plot_y + $(s 15))) click 1  # 速度
    sleep 0.6
    shot plot-speed
    # Back to the intervals: the view outlives the plot window, and the
    # cases after this one judge the interval plot as they always did.
    xdotool mousemove $((plot_x + $(s 34))) $((plot_y + $(s 15))) click 1  # 间隔
    sleep 0.3
}

# Clears, moves the pointer at 500 Hz for 3 s (+3, -3 pixels alternately)
# while the window's thread is held, then judges the panel, the interval plot
# and the record around the hold against what the jig sent and what reached
# the program, and shows the motion views.
measure_case() {
    click 452 21  # 清除数据: a repeated run starts afresh
    sleep 0.3
    jig_step=3 jig_with_hold
    [ -n "$retry_reason" ] && return
    sleep 0.5
    shot measuring
    open_plot || return
    shot plot
    show_views
    local csv=$artifacts/$tag-plot.csv
    # The moves to the plot and its buttons (three views, then back to the
    # intervals) and their clicks are reports too.
    export_plot_csv "$csv" && extra_reports=30 judge_delivery "$csv" && judge_hold "$csv"
    sleep 0.5
    shot plot-exported  # the status line at its foot names the file and the rows
    if [ -z "$retry_reason" ]; then
        check_bars
        check_plot_dots
        check_counts
    fi
    close_plot
}

# The same hold with the plot window open and zoomed by the wheel over it:
# three notches in before the hold, three out after it, each a quick visit
# of the pointer to the plot (the wheel goes to the window under it).
zoom_case() {
    click 452 21  # 清除数据
    sleep 0.3
    open_plot || return
    zoom=1 jig_with_hold
    if [ -z "$retry_reason" ]; then
        sleep 0.5
        shot zoomed
        local csv=$artifacts/$tag-zoom.csv
        # Six visits to the plot (a move there, a notch's press and release,
        # a move back: Wine may split a move in two) and the export's click.
        export_plot_csv "$csv" && extra_reports=50 judge_delivery "$csv" && judge_hold "$csv"
    fi
    close_plot
}

click 348 21  # 开始测量
sleep 0.3
case_name=measure e2e_runs measure_case
# The hold is the same at every DPI: with the plot, once.
[ "$dpi" -eq 96 ] && case_name=zoom e2e_runs zoom_case

# The measured run's export opened again ("打开 CSV" in the live plot) in a
# window of its own, and that window's picture saved as PNG ("保存图片"): the
# PNG is the client's size and its plot area the one on the screen.
# The file dialog TITLE, once it shows, answered with PATH.
answer_dialog() {
    locate dialog "$1" || return 1
    win name "$(winepath -w "$2")" "$1"
}

saved_case() {
    local csv=$artifacts/$tag-plot.csv png=$artifacts/$tag-saved-saved.png
    [ -s "$csv" ] || { fail "no CSV of the measured run to open"; return; }
    open_plot || return
    xdotool mousemove $((plot_x + plot_w - $(s 237))) $((plot_y + $(s 18))) click 1
    answer_dialog 'Open' "$csv" || { fail "no Open dialog"; return; }
    locate saved "间隔图 — $tag-plot.csv — Quorvin v9" || { fail "no window of the saved run"; return; }
    [ "$saved_w" -eq "$(s 1080)" ] || fail "saved run's client width $saved_w, not $(s 1080)"
    sleep 1.5
    shot saved
    rm -f "$png"
    xdotool mousemove $((saved_x + saved_w - $(s 57))) $((saved_y + $(s 18))) click 1
    answer_dialog 'Save As' "$png" || { fail "no Save As dialog for the picture"; return; }
    for _ in $(seq 100); do [ -s "$png" ] && break; sleep 0.1; done
    [ "$(identify -format '%wx%h' "$png" 2>/dev/null)" = "${saved_w}x$saved_h" ] ||
        fail "saved picture is $(identify -format '%wx%h' "$png" 2>/dev/null), not ${saved_w}x$saved_h"
    # The picture's foot has its info where the screen has the status: the
    # plot lies where the screen has it when both take as many lines.
    find_area "$png" 0 0 "$saved_h" || return
    local png_top=$area_top png_bottom=$area_bottom differ
    find_area "$artifacts/$tag-saved.png" "$saved_x" "$saved_y" "$saved_h" || return
    [ "$png_top $png_bottom" = "$area_top $area_bottom" ] ||
        fail "saved picture's plot area at rows $png_top..$png_bottom, the screen's at $area_top..$area_bottom"
    local area="$((saved_w - $(s 230)))x$((area_bottom - area_top))"
    differ=$(compare -metric AE "$png[$area+$(s 60)+$area_top]" \
        "$artifacts/$tag-saved.png[$area+$((saved_x + $(s 60)))+$((saved_y + area_top))]" null: 2>&1)
    [ "$differ" = 0 ] || fail "saved picture's plot area differs from the screen's in $differ pixels"
    convert "$png" -depth 8 -unique-colors txt:- | grep -q "(224,224,224)" || fail "no median line in the picture"
    win front "间隔图 — $tag-plot.csv — Quorvin v9"
    sleep 0.3
    xdotool key alt+F4
    win gone 2000 "间隔图 — $tag-plot.csv — Quorvin v9" || fail "saved run's window did not close"
    close_plot
}
saved_case

# The live plot in a window as wide as a 1024x768 screen (its frame
# included): the summary and the legend take more lines, whole, and the plot
# fewer rows. Its picture ("保存图片") lays its header out the same (the run
# goes on meanwhile: its figures may differ by a report or two), and has at
# its foot the device, date and version instead of the status. Both kept to
# be looked at.
narrow_case() {
    local png=$artifacts/$tag-narrow-saved.png geometry
    open_plot || return
    geometry=$(win size 1024 0 "$plot_title")
    read -r plot_x plot_y plot_w plot_h <<<"$geometry"
    plot_x=$((desk_x + plot_x)) plot_y=$((desk_y + plot_y))
    [ "${plot_w:-0}" -le 1024 ] && [ "$plot_w" -ge 1000 ] || { fail "the plot is $plot_w wide, not about 1010"; return; }
    sleep 1
    shot plot-narrow
    find_area "$artifacts/$tag-plot-narrow.png" "$plot_x" "$plot_y" "$plot_h" || return
    echo "[narrow] client ${plot_w}x$plot_h: the plot's rows $area_top..$area_bottom (at full width $(s 48)..$((plot_h - $(s 36))))"
    local top=$area_top bottom=$area_bottom
    rm -f "$png"
    xdotool mousemove $((plot_x + plot_w - $(s 147))) $((plot_y + $(s 15))) click 1  # 保存图片
    answer_dialog 'Save As' "$png" || { fail "no Save As dialog for the narrow picture"; return; }
    for _ in $(seq 100); do [ -s "$png" ] && break; sleep 0.1; done
    [ "$(identify -format '%wx%h' "$png" 2>/dev/null)" = "${plot_w}x$plot_h" ] ||
        fail "narrow picture is $(identify -format '%wx%h' "$png" 2>/dev/null), not ${plot_w}x$plot_h"
    # Its foot holds the info line where the screen's status is empty: the
    # hints may need a line of their own there.
    find_area "$png" 0 0 "$plot_h" || return
    echo "[narrow] the picture's plot at rows $area_top..$area_bottom"
    [ "$area_top" = "$top" ] && [ "$area_bottom" -le "$bottom" ] ||
        fail "the narrow picture's plot at rows $area_top..$area_bottom, the screen's at $top..$bottom"
    sleep 0.5
    shot plot-narrow-saved  # the status names the picture
    close_plot
}
narrow_case

# True when the plot area of a screenshot ($1) holds the colour "R,G,B".
area_has() {
    convert "$artifacts/$tag-$1.png" -crop "$((plot_w - $(s 210) - $(s 60)))x$((area_bottom - area_top))+$((plot_x + $(s 60)))+$((plot_y + area_top))" \
        -depth 8 -unique-colors txt:- | grep -q "($2)"
}

# The jig's button script (xmotion_jig -b: left clicks, three of them
# bouncing 4 ms after their release, right and back clicks, a scroll down
# with two lone notches up), played over the bare desktop while the window
# measures afresh. The panel shows the presses on a line under the readings,
# in the warning colour (the left button chattered); the plot's "按键" view a
# row per button and one for the wheel, the bounced presses in the warning
# colour. Both screenshots are kept to be looked at.
buttons_case() {
    click 452 21  # 清除数据
    sleep 0.3
    park
    "$jig" -l "$artifacts/$tag-buttons.jig" -b >/dev/null
    sleep 0.5
    shot buttons
    band_has buttons 221 265 "255,165,0" ||
        retry_reason="no line of presses in the warning colour under the readings (did a bounce reach Wine late?)"
    open_plot || return
    xdotool mousemove $((plot_x + $(s 172))) $((plot_y + $(s 15))) click 1  # 按键
    sleep 0.8
    shot plot-buttons
    if find_area "$artifacts/$tag-plot-buttons.png" "$plot_x" "$plot_y" "$plot_h"; then
        area_has plot-buttons "100,160,210" || fail "no press drawn in the buttons view"
        area_has plot-buttons "210,210,210" || fail "no wheel notch drawn in the buttons view"
        area_has plot-buttons "255,165,0" || retry_reason=${retry_reason:-"no chattering press in the buttons view"}
    fi
    xdotool mousemove $((plot_x + $(s 34))) $((plot_y + $(s 15))) click 1  # 间隔
    sleep 0.3
    close_plot
}
case_name=buttons e2e_runs buttons_case

click 452 21  # 清除数据
sleep 0.5
shot cleared
read -r baseline _ < <(panel_bars 0 0)
for i in 0 1 2 3 4 5 6 7; do
    [ "$(pixel cleared "$(bar_x $i)" $(($(s $baseline) - 1)))" = "0,0,0" ] || fail "bar $i still shown after clearing"
done

click 682 21  # 关于
about_title='关于 — Quorvin v9'
locate about "$about_title" || fail "no about box"
sleep 0.3
shot about
close_box "$about_title"

click 573 21  # USBPcap 诊断
diag_titles=('USBPcap 诊断 — 步骤1 失败' 'USBPcap 诊断 — 步骤2 失败')
locate diag "${diag_titles[@]}" || fail "no diagnostic failure box"
sleep 0.3
shot diagnostic
close_box "${diag_titles[@]}"

win front "$main_title"
sleep 0.2
xdotool key alt+F4
for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
wait "$app_pid"
rc=$?
[ "$rc" -eq 0 ] || fail "exit code $rc after closing"

# A 1024 x 768 desktop of its own, in Chinese and in English: the main window
# opens whole on it (title bar and every edge) with the rate line under the
# status; Enter starts measuring (the status turns green), the jig moves the
# pointer for 3 s, and Enter stops it: from then on the panel stays as it was.
small_case() {
    local lang=$1 small=qe2e${tag}small name=small-$1
    wineserver -k 2>/dev/null  # the large desktop goes with its processes
    for program in "${exe##*/}" "${helper##*/}"; do
        wine reg add "$apps\\$program\\Explorer" /v Desktop /d "$small" /f >/dev/null 2>&1
    done
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v "$small" /d 1024x768 /f >/dev/null 2>&1
    wine "$exe" --lang "$lang" >"$artifacts/$tag-$name-stdout.txt" 2>&1 &
    local pid=$!
    e2e_pids+=("$pid")
    locate client "$main_title" || { fail "no main window on the 1024 x 768 desktop ($lang)"; return; }
    eval "$(xdotool search --name "^$small - Wine desktop\$" getwindowgeometry --shell 2>/dev/null)"
    desk_x=${X:-0} desk_y=${Y:-0}
    client_x=$((client_x + desk_x)) client_y=$((client_y + desk_y))
    local x=$((client_x - desk_x)) y=$((client_y - desk_y))
    echo "[$name] client ${client_w}x$client_h at $x,$y of the 1024 x 768 desktop"
    # The title bar lies above the client: at least a caption's height of room.
    [ "$x" -ge 0 ] && [ "$y" -ge "$(s 18)" ] && [ $((x + client_w)) -le 1024 ] && [ $((y + client_h)) -le 768 ] ||
        fail "[$name] the window is not whole on the screen"
    local status=46
    [ "$client_w" -le "$(s 837)" ] && status=78  # two rows of controls
    win front "$main_title"
    sleep 0.5
    shot "$name-opened"
    band_has "$name-opened" $((status + 18)) $((status + 46)) "$rate_gold" || fail "[$name] no rate line"
    band_has "$name-opened" "$status" $((status + 16)) "150,150,150" || fail "[$name] stopped status not grey"
    xdotool mousemove $((client_x + client_w / 2)) $((client_y + client_h - $(s 60)))
    xdotool key Return
    sleep 0.3
    "$jig" -l "$artifacts/$tag-$name.jig" -p 3 500 3 >/dev/null
    sleep 0.5
    shot "$name-measuring"
    band_has "$name-measuring" "$status" $((status + 16)) "80,220,120" || fail "[$name] Enter did not start measuring"
    band_has "$name-measuring" $((status + 18)) $((status + 46)) "$rate_gold" || fail "[$name] no rate line while measuring"
    xdotool key Return
    sleep 0.5
    shot "$name"
    band_has "$name" "$status" $((status + 16)) "150,150,150" || fail "[$name] Enter did not stop measuring"
    sleep 2
    shot "$name-later"
    local client="${client_w}x$client_h+$client_x+$client_y" differ
    differ=$(compare -metric AE "$artifacts/$tag-$name.png[$client]" "$artifacts/$tag-$name-later.png[$client]" null: 2>&1)
    [ "$differ" = 0 ] || fail "[$name] the panel changed after Stop ($differ pixels)"
    convert "$artifacts/$tag-$name.png" -crop "1024x768+$desk_x+$desk_y" +repage "$artifacts/$tag-$name-desktop.png"
    xdotool key alt+F4
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    wait "$pid" || fail "[$name] exit code $? after closing"
}
small_case zh
small_case en

e2e_finish "$tag"
