#!/bin/bash
# Builds quorvin.exe and quorvin-cli.exe in Release and writes the download:
# dist/quorvin-<version>-win64.zip (both executables, README.txt, LICENSE)
# and dist/SHA256SUMS. QUORVIN_DIST and QUORVIN_RELEASE_BUILD move the output
# and the build tree.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORVIN_RELEASE_BUILD:-$root/build-release}
dist=${QUORVIN_DIST:-$root/dist}
"$root/scripts/install-deps.sh"
cmake --no-warn-unused-cli -S "$root" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-posix.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target quorvin quorvin-cli

version=$(sed -n -E 's/^#define QUORVIN_VERSION_TEXT "(.*)"$/\1/p' "$build/generated/core/version.h")
name=quorvin-$version-win64
stage=$build/package/$name
rm -rf "$build/package"
mkdir -p "$stage" "$dist"
for exe in quorvin quorvin-cli; do
    x86_64-w64-mingw32-strip -o "$stage/$exe.exe" "$build/$exe.exe"
done
# Windows users open these in Notepad: CRLF line ends.
sed -e "s/@VERSION@/$version/" -e 's/$/\r/' "$root/package/README.txt" >"$stage/README.txt"
sed -e 's/$/\r/' "$root/LICENSE" >"$stage/LICENSE"
rm -f "$dist/$name.zip"
(cd "$build/package" && cmake -E tar cf "$dist/$name.zip" --format=zip "$name")
(cd "$dist" && sha256sum "$name.zip" >SHA256SUMS)
echo "$dist/$name.zip"
