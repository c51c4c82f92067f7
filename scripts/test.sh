#!/bin/bash
# Installs what is missing, builds everything and runs every test: the portable
# code and the native quorvin-cli under AddressSanitizer and
# UndefinedBehaviorSanitizer, then the Windows programs under Wine (unit tests
# with fakes, end-to-end under Xvfb, the native quorvin-cli beside
# quorvin-cli.exe).
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORVIN_BUILD:-$root/build}
native=${QUORVIN_NATIVE_BUILD:-$root/build-native}
"$root/scripts/install-deps.sh" || exit 1

status=0
echo "== native build (sanitizers) =="
cmake -S "$root" -B "$native" -G Ninja -DQUORVIN_SANITIZE=ON >/dev/null &&
    cmake --build "$native" &&
    ctest --test-dir "$native" --output-on-failure || status=1

echo "== Windows build, tests under Wine =="
"$root/scripts/build.sh" -DQUORVIN_NATIVE_CLI="$native/quorvin-cli" || exit 1
ctest --test-dir "$build" -j2 --output-on-failure || status=1
# ctest's e2e_unjudged judged the count already; shown here whatever it found.
echo "== end-to-end cases not judged =="
bash "$root/tests/e2e/e2e_unjudged.sh" judge "$build/e2e-unjudged.txt" || status=1
exit $status
