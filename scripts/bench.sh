#!/bin/bash
# Builds the Release programs (build-native-release/, build-release/) and
# prints one table: every benchmark program's figures, then --pcap's time and
# peak memory on a generated 1 GB capture beside capinfos -c on the same file,
# and the peak on a 4 GB capture. Run by hand; not part of scripts/test.sh.
# Usage: bench.sh [--skip-4g]
# Peak memory is the largest resident set of the Wine process that runs
# quorvin-cli.exe (GNU time's "Maximum resident set size"): Wine's own
# libraries count in it, so the Windows process' working set is smaller.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
native=$root/build-native-release
windows=$root/build-release
skip_4g=${1:-}
export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}

build() {
    cmake -S "$root" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$native" --target bench_distribution bench_capture_file make_capture >/dev/null
    cmake --no-warn-unused-cli -S "$root" -B "$windows" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-posix.cmake" >/dev/null
    cmake --build "$windows" --target quorvin-cli bench_report_path bench_plot >/dev/null
    "$root/scripts/wine-prefix.sh" "$windows/wineprefix"
}

row() { printf '%-22s | %s\n' "$1" "$2"; }

# Every line a benchmark prints becomes one row under its name.
rows_of() {
    local name=$1
    shift
    "$@" 2>/dev/null | tr -d '\r' | while IFS= read -r line; do row "$name" "$line"; done
}

# Seconds and peak resident kB of one run, as "SECONDS KB".
measure() { /usr/bin/time -f '%e %M' -o "$native/measure.txt" "$@" >/dev/null 2>&1; cat "$native/measure.txt"; }

pcap_rows() {
    local size=$1 file=$native/bench-$1.pcap
    "$native/make_capture" "$((size * 1000))" "$file"
    read -r pcap_s pcap_kb < <(measure wine "$windows/quorvin-cli.exe" --pcap "$file")
    if [ "$size" = 1 ]; then
        if command -v capinfos >/dev/null; then
            read -r cap_s _ < <(measure capinfos -c "$file")
            row "--pcap 1 GB" "$pcap_s s, capinfos -c $cap_s s: $(echo "scale=2; $pcap_s / $cap_s" | bc) of its time"
        else
            row "--pcap 1 GB" "$pcap_s s (capinfos not installed: package wireshark-common)"
        fi
    fi
    row "--pcap $size GB peak" "$((pcap_kb / 1024)) MB resident (Wine process)"
    rm -f "$file"
}

# A running server and prefix processes, so the measured runs start neither.
warm_wine() {
    wineserver -p
    wine "$windows/quorvin-cli.exe" --version >/dev/null 2>&1
}

build
export WINEPREFIX=$windows/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
row "benchmark" "figures"
row "----------------------" "-------"
rows_of bench_distribution "$native/bench_distribution"
rows_of bench_capture_file "$native/bench_capture_file" 200 "$native/bench-capture.pcap"
rows_of bench_report_path "$root/scripts/wine-run.sh" "$WINEPREFIX" "$windows/bench_report_path.exe"
rows_of bench_plot "$root/scripts/wine-run.sh" "$WINEPREFIX" "$windows/bench_plot.exe"
warm_wine
pcap_rows 1
free_gb=$(df -BG --output=avail "$native" | tail -1 | tr -dc 0-9)
if [ "$skip_4g" = --skip-4g ] || [ "$free_gb" -lt 6 ]; then
    row "--pcap 4 GB peak" "skipped (--skip-4g, or under 6 GB free: $free_gb GB)"
else
    pcap_rows 4
fi
wineserver -k 2>/dev/null || true
