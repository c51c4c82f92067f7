#!/bin/bash
# Configures and builds the Windows programs (MinGW-w64) into build/ and
# creates that tree's Wine prefix. Arguments go to CMake's configuration.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORVIN_BUILD:-$root/build}
cmake --no-warn-unused-cli -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-posix.cmake" "$@" >/dev/null
cmake --build "$build"
"$root/scripts/wine-prefix.sh" "$build/wineprefix"
