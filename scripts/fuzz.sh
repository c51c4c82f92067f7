#!/bin/bash
# Builds the capture fuzzer with clang (libFuzzer, ASan, UBSan) and runs it
# for the given number of seconds (default 600) on a working copy of the
# corpus in fuzz/corpus. Findings are written to build-fuzz/findings/.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
build=$root/build-fuzz
"$root/scripts/install-deps.sh"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DQUORVIN_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target capture_fuzz
mkdir -p "$build/corpus" "$build/findings"
cp -n "$root"/fuzz/corpus/* "$build/corpus/" 2>/dev/null || true
"$build/capture_fuzz" -max_total_time="$seconds" -max_len=8192 -print_final_stats=1 \
    -artifact_prefix="$build/findings/" "$build/corpus"
