#!/bin/bash
# Runs the packaging twice, in two fresh build trees, and checks the download:
# both runs give the same zip byte for byte; it holds exactly the two
# executables, README.txt and LICENSE; SHA256SUMS matches; each executable has
# its subsystem and imports nothing but Windows system DLLs.
# Usage: package_test.sh SOURCE_DIR WORK_DIR VERSION
set -u
root=$1
work=$2
version=$3
rm -rf "$work/dist" "$work/dist-again" "$work/release" "$work/release-again" "$work/unpacked"
mkdir -p "$work/unpacked"
for run in "" -again; do
    QUORVIN_DIST=$work/dist$run QUORVIN_RELEASE_BUILD=$work/release$run "$root/scripts/package.sh" \
        >"$work/package$run.log" 2>&1 || { cat "$work/package$run.log"; echo "FAIL: packaging"; exit 1; }
done

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
name=quorvin-$version-win64
zip=$work/dist/$name.zip
[ -f "$zip" ] || { echo "FAIL: no $zip"; exit 1; }
listed=$(cmake -E tar tf "$zip" | grep -v '/$' | sort | tr '\n' ' ')
[ "$listed" = "$name/LICENSE $name/README.txt $name/quorvin-cli.exe $name/quorvin.exe " ] ||
    fail "zip holds: $listed"
(cd "$work/dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"
cmp -s "$zip" "$work/dist-again/$name.zip" || fail "two packaging runs gave different zips"
(cd "$work/unpacked" && cmake -E tar xf "$zip") || fail "cannot unpack"
grep -q "^Quorvin $version - mouse polling-rate tester" "$work/unpacked/$name/README.txt" || fail "README.txt version"
grep -q "The Quorvin authors" "$work/unpacked/$name/LICENSE" || fail "LICENSE"

system_dlls='^(KERNEL32|USER32|GDI32|SHELL32|ADVAPI32|COMDLG32|msvcrt|VERSION|COMCTL32|ole32|HID)\.dll$'
for exe in quorvin:2 quorvin-cli:3; do
    file=$work/unpacked/$name/${exe%%:*}.exe
    dump=$(x86_64-w64-mingw32-objdump -p "$file") || { fail "$file unreadable"; continue; }
    grep -q "^Subsystem[[:space:]]*0000000${exe##*:}" <<<"$dump" || fail "${exe%%:*}.exe subsystem"
    others=$(sed -n -E 's/^[[:space:]]*DLL Name: (.*)$/\1/p' <<<"$dump" | grep -viE "$system_dlls")
    [ -z "$others" ] || fail "${exe%%:*}.exe imports $others"
done
[ "$failures" -eq 0 ] || exit 1
echo "package: $name.zip checked"
