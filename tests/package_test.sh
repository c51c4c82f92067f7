#!/bin/bash
# Runs the packaging twice and checks the download: two runs that differ as
# two machines can (time zone, umask, the text files with CRLF line ends as a
# checkout that converts them has them, directories named with a trailing
# slash) give the same zip byte for byte; it holds exactly the two
# executables, README.txt and LICENSE; SHA256SUMS matches; each executable has
# its subsystem and imports nothing but Windows system DLLs.
# Each run builds a copy of the working tree at the same place below WORK_DIR,
# through ccache when there is one (its paths then relative to WORK_DIR), so
# the second run compiles only what the line ends changed.
# Usage: package_test.sh SOURCE_DIR WORK_DIR VERSION
set -u
root=$1
work=$2
version=$3
rm -rf "$work/dist" "$work/dist-again" "$work/lf" "$work/crlf" "$work/unpacked" "$work/release" \
    "$work/release-again"
mkdir -p "$work/unpacked"

# copy_tree DEST [crlf]: the working tree's files (tracked, and new ones not
# ignored) into DEST/quorvin; with crlf every text file whose line ends
# .gitattributes leaves to the checkout gets CRLF.
copy_tree() {
    git -C "$root" ls-files -co --exclude-standard -z |
        git -C "$root" check-attr --stdin -z text eol |
        python3 -c '
import os, shutil, sys
root, dest, crlf = sys.argv[1], sys.argv[2], sys.argv[3] == "crlf"
f = sys.stdin.buffer.read().split(b"\0")
attrs = {}
for i in range(0, len(f) - 2, 3):
    attrs.setdefault(f[i].decode(), {})[f[i + 1].decode()] = f[i + 2].decode()
for path, a in attrs.items():
    src, out = os.path.join(root, path), os.path.join(dest, path)
    if not os.path.isfile(src):
        continue
    os.makedirs(os.path.dirname(out), exist_ok=True)
    with open(src, "rb") as s:
        data = s.read()
    if crlf and a["text"] != "unset" and a["eol"] != "lf" and b"\0" not in data[:8000]:
        data = data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
    with open(out, "wb") as o:
        o.write(data)
    shutil.copymode(src, out)
' "$root" "$1/quorvin" "${2:-}"
}
copy_tree "$work/lf" || { echo "FAIL: cannot copy the sources"; exit 1; }
copy_tree "$work/crlf" crlf || { echo "FAIL: cannot copy the sources"; exit 1; }
grep -q $'\r$' "$work/crlf/quorvin/LICENSE" "$work/crlf/quorvin/core/runs/run.cpp" ||
    { echo "FAIL: the copy has no CRLF"; exit 1; }
if command -v ccache >/dev/null; then
    export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_BASEDIR=$work
fi
SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 315532800)
export SOURCE_DATE_EPOCH
package() {  # LOG, then the environment and the script to run
    local log=$1
    shift
    env "$@" >"$log" 2>&1 || { cat "$log"; echo "FAIL: packaging"; exit 1; }
}
(umask 022 && package "$work/package.log" TZ=UTC QUORVIN_DIST="$work/dist" \
    QUORVIN_RELEASE_BUILD="$work/lf/quorvin/build-release" "$work/lf/quorvin/scripts/package.sh") || exit 1
(umask 077 && package "$work/package-again.log" TZ=Pacific/Kiritimati QUORVIN_DIST="$work/dist-again/" \
    QUORVIN_RELEASE_BUILD="$work/crlf/quorvin/build-release/" "$work/crlf/quorvin/scripts/package.sh") || exit 1

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
name=quorvin-$version-win64
zip=$work/dist/$name.zip
[ -f "$zip" ] || { echo "FAIL: no $zip"; exit 1; }
listed=$(cmake -E tar tf "$zip" | grep -v '/$' | sort | tr '\n' ' ')
[ "$listed" = "$name/LICENSE $name/README.txt $name/quorvin-cli.exe $name/quorvin.exe " ] ||
    fail "zip holds: $listed"
(cd "$work/dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"
cmp -s "$zip" "$work/dist-again/$name.zip" || fail "the two packaging runs gave different zips"
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
