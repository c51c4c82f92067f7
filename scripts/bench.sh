#!/bin/bash
# Builds the Release programs (build-native-release/, build-release/) and
# prints one table: every benchmark program's figures, then --pcap's time and
# peak memory on a generated 1 GB capture beside capinfos -c on the same file,
# the same for a 1 GB usbmon (Linux) capture, and the peak on a 4 GB capture. Run by hand; not part of scripts/test.sh.
# Usage: bench.sh [--skip-4g]; BENCH_RUNS (default 5) runs of each timed
# command, whose minimum and median are shown: the median is the figure to quote.
# Peak memory is the largest resident set of the Wine process that runs
# quorvin-cli.exe (GNU time's "Maximum resident set size"): Wine's own
# libraries count in it, so the Windows process' working set is smaller.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
native=$root/build-native-release
windows=$root/build-release
skip_4g=${1:-}
runs=${BENCH_RUNS:-5}
# ccache speeds the Release builds up where it is installed; not needed.
if [ -z "${CMAKE_CXX_COMPILER_LAUNCHER:-}" ] && command -v ccache >/dev/null; then
    export CMAKE_CXX_COMPILER_LAUNCHER=ccache
fi

build() {
    cmake -S "$root" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$native" --target bench_ab bench_distribution bench_lock_hold bench_report_clock bench_capture_file \
        make_capture >/dev/null
    cmake --no-warn-unused-cli -S "$root" -B "$windows" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-posix.cmake" >/dev/null
    cmake --build "$windows" --target quorvin-cli bench_report_path bench_plot bench_plot_window >/dev/null
    "$root/scripts/wine-prefix.sh" "$windows/wineprefix"
}

row() { printf '%-24s | %s\n' "$1" "$2"; }

# Every line a benchmark prints becomes one row under its name.
rows_of() {
    local name=$1
    shift
    "$@" 2>/dev/null | tr -d '\r' | while IFS= read -r line; do row "$name" "$line"; done
}

# Wall seconds, CPU seconds (user and system) and peak resident kB of one
# run, as "WALL CPU KB".
measure() {
    /usr/bin/time -f '%e %U %S %M' -o "$native/measure.txt" "$@" >/dev/null 2>&1
    awk '{ printf "%.2f %.2f %d\n", $1, $2 + $3, $4 }' "$native/measure.txt"
}

# RUNS runs of a command, one "WALL CPU KB" line each, into the file $1.
runs_into() {
    local out=$1
    shift
    : >"$out"
    for _ in $(seq "$runs"); do measure "$@" >>"$out"; done
}

# "min M median D" of column $2 of the file $1.
min_median() {
    sort -n -k"$2" "$1" | awk -v k="$2" '{ v[NR] = $k }
        END { printf "min %.2f median %.2f", v[1], v[int((NR + 1) / 2)] }'
}
median_of() { sort -n -k"$2" "$1" | awk -v k="$2" '{ v[NR] = $k } END { print v[int((NR + 1) / 2)] }'; }
largest_of() { sort -n -k"$2" "$1" | tail -1 | awk -v k="$2" '{ print $k }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# --pcap against capinfos -c on the same 1 GB file, RUNS runs each, in turn,
# so that a change in the machine's load falls on both.
compare_with_capinfos() {
    local file=$1 kind=$2 ours=$native/runs-pcap.txt theirs=$native/runs-capinfos.txt
    local have_capinfos=
    command -v capinfos >/dev/null && have_capinfos=1
    : >"$ours"
    : >"$theirs"
    for _ in $(seq "$runs"); do
        measure wine "$windows/quorvin-cli.exe" --pcap "$file" >>"$ours"
        [ -z "$have_capinfos" ] || measure capinfos -c "$file" >>"$theirs"
    done
    row "--pcap 1 GB$kind wall s" "$(min_median "$ours" 1) (Wine process, $runs runs)"
    row "--pcap 1 GB$kind CPU s" "$(min_median "$ours" 2) (user + system)"
    if [ -z "$have_capinfos" ]; then
        row "capinfos -c" "not installed (package wireshark-common)"
        return
    fi
    row "capinfos -c 1 GB$kind wall s" "$(min_median "$theirs" 1)"
    row "capinfos -c 1 GB$kind CPU s" "$(min_median "$theirs" 2)"
    row "--pcap / capinfos$kind" "wall $(ratio "$(median_of "$ours" 1)" "$(median_of "$theirs" 1)"), CPU $(ratio "$(median_of "$ours" 2)" "$(median_of "$theirs" 2)") (medians; target 0.2 or less)"
}

# SIZE in GB; a second argument "usbmon" makes the capture a Linux one.
pcap_rows() {
    local size=$1 file=$native/bench-$1.pcap kind=
    if [ "${2:-}" = usbmon ]; then
        kind=" usbmon"
        "$native/make_capture" --usbmon "$((size * 1000))" "$file"
    else
        "$native/make_capture" "$((size * 1000))" "$file"
    fi
    if [ "$size" = 1 ]; then
        compare_with_capinfos "$file" "$kind"
    else
        runs_into "$native/runs-pcap.txt" wine "$windows/quorvin-cli.exe" --pcap "$file"
    fi
    row "--pcap $size GB$kind peak" "$(($(largest_of "$native/runs-pcap.txt" 3) / 1024)) MB resident (Wine process)"
    rm -f "$file"
}

# A running server and prefix processes, so the measured runs start neither;
# then what starting the program alone costs under Wine, to tell it from the
# program's own time.
warm_wine() {
    wineserver -p
    wine "$windows/quorvin-cli.exe" --version >/dev/null 2>&1
    runs_into "$native/runs-version.txt" wine "$windows/quorvin-cli.exe" --version
    row "Wine start-up wall s" "$(min_median "$native/runs-version.txt" 1) (--version)"
    row "Wine start-up CPU s" "$(min_median "$native/runs-version.txt" 2)"
}

build
export WINEPREFIX=$windows/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
row "benchmark" "figures"
row "------------------------" "-------"
rows_of bench_ab "$native/bench_ab"
rows_of bench_distribution "$native/bench_distribution"
rows_of bench_lock_hold "$native/bench_lock_hold"
rows_of bench_report_clock "$native/bench_report_clock"
rows_of bench_capture_file "$native/bench_capture_file" 200 "$native/bench-capture.pcap"
rows_of bench_report_path "$root/scripts/wine-run.sh" "$WINEPREFIX" "$windows/bench_report_path.exe"
rows_of bench_plot "$root/scripts/wine-run.sh" "$WINEPREFIX" "$windows/bench_plot.exe"
rows_of bench_plot_window "$root/scripts/wine-run.sh" "$WINEPREFIX" "$windows/bench_plot_window.exe"
warm_wine
pcap_rows 1
pcap_rows 1 usbmon
free_gb=$(df -BG --output=avail "$native" | tail -1 | tr -dc 0-9)
if [ "$skip_4g" = --skip-4g ] || [ "$free_gb" -lt 6 ]; then
    row "--pcap 4 GB peak" "skipped (--skip-4g, or under 6 GB free: $free_gb GB)"
else
    pcap_rows 4
fi
wineserver -k 2>/dev/null || true
