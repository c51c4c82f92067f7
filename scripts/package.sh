#!/bin/bash
# Builds quorvin.exe and quorvin-cli.exe in Release and writes the download:
# dist/quorvin-<version>-win64.zip (both executables, README.txt, LICENSE)
# and dist/SHA256SUMS. QUORVIN_DIST and QUORVIN_RELEASE_BUILD move the output
# and the build tree. Every run of one commit, on any machine, writes the same
# zip byte for byte: the executables carry no link time, the text files get
# CRLF whatever the checkout's line ends, and the zip's entries are stored
# (no compressor's version in them), sorted, and stamped with the commit's
# time (SOURCE_DATE_EPOCH, when set, wins).
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORVIN_RELEASE_BUILD:-$root/build-release}
dist=${QUORVIN_DIST:-$root/dist}
"$root/scripts/install-deps.sh"
cmake --no-warn-unused-cli -S "$root" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-posix.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_EXE_LINKER_FLAGS_RELEASE=-s >/dev/null
cmake --build "$build" --target quorvin quorvin-cli

version=$(sed -n -E 's/^#define QUORVIN_VERSION_TEXT "([^"]*)".*$/\1/p' "$build/generated/core/version.h")
name=quorvin-$version-win64
stage=$build/package/$name
rm -rf "$build/package"
mkdir -p "$stage" "$dist"
# Stripped by the linker: strip would stamp the header with the current time.
for exe in quorvin quorvin-cli; do
    cp "$build/$exe.exe" "$stage/$exe.exe"
done
# Windows users open these in Notepad: CRLF line ends, from LF or CRLF.
sed -e 's/\r$//' -e "s/@VERSION@/$version/" -e 's/$/\r/' "$root/package/README.txt" >"$stage/README.txt"
sed -e 's/\r$//' -e 's/$/\r/' "$root/LICENSE" >"$stage/LICENSE"
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 315532800)
fi
export SOURCE_DATE_EPOCH
rm -f "$dist/$name.zip"
python3 "$root/scripts/zip-reproducible.py" "$dist/$name.zip" "$stage"
(cd "$dist" && sha256sum "$name.zip" >SHA256SUMS)
echo "$dist/$name.zip"
