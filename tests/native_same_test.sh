#!/bin/bash
# The native quorvin-cli prints what quorvin-cli.exe prints under Wine, byte
# for byte: --pcap (text, JSON, Chinese) on every shared capture, --compare,
# --analyze and --ab on run CSVs derived from them, the help, the version, the
# refusals and errors, with the same exit codes; and the native program refuses
# the live modes in one line. quorvin-cli.exe's standard output and error are
# text streams of Windows' C library, which writes each line break as CRLF:
# those are made LF before comparing. The --json and --csv files are written
# as bytes by both and compared as they are.
# Usage: native_same_test.sh NATIVE_CLI WINDOWS_CLI_EXE WINEPREFIX CAPTURES_DIR ARTIFACT_DIR
set -u
native=$1
exe=$2
prefix=$3
captures=$4
artifacts=$5/native-same
here=$(cd "$(dirname "$0")" && pwd)
if [ ! -x "$native" ]; then
    echo "SKIP: no native program at $native (scripts/build-native.sh builds it)"
    exit 77
fi
mkdir -p "$artifacts"
"$here/../scripts/wine-prefix.sh" "$prefix" || { echo "cannot create Wine prefix"; exit 1; }
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= LANG=C.UTF-8
unset LC_ALL LC_MESSAGES
wineserver -k 2>/dev/null
trap 'wineserver -k 2>/dev/null' EXIT

failures=0
cases=0
# Runs both programs with the arguments; {JSON} and {CSV} in them stand for
# files of each program's own. Standard output, standard error (without Wine's
# own messages), the exit code and the files must be the same.
same() {
    local name=$1
    shift
    local base=$artifacts/$name args_n=() args_w=() a
    for a in "$@"; do
        a=${a//\{JSON\}/$base.@WHICH@.json}
        a=${a//\{CSV\}/$base.@WHICH@.csv}
        args_n+=("${a//@WHICH@/native}")
        args_w+=("${a//@WHICH@/windows}")
    done
    rm -f "$base".*
    cases=$((cases + 1))
    timeout 60 "$native" "${args_n[@]}" >"$base.native.out" 2>"$base.native.err"
    local rc_n=$?
    timeout 60 wine "$exe" "${args_w[@]}" >"$base.windows.crlf" 2>"$base.windows.err.crlf"
    local rc_w=$?
    sed 's/\r$//' "$base.windows.crlf" >"$base.windows.out"
    sed 's/\r$//' "$base.windows.err.crlf" |
        grep -v -e '^[0-9a-f]*:\(fixme\|err\|warn\):' -e '^wine: ' -e '^X connection' >"$base.windows.err"
    local bad=
    [ "$rc_n" = "$rc_w" ] || bad+=" exit code $rc_n, not $rc_w;"
    cmp -s "$base.native.out" "$base.windows.out" || bad+=" standard output;"
    cmp -s "$base.native.err" "$base.windows.err" || bad+=" standard error;"
    for a in json csv; do
        if [ -e "$base.native.$a" ] || [ -e "$base.windows.$a" ]; then
            cmp -s "$base.native.$a" "$base.windows.$a" || bad+=" the $a file;"
        fi
    done
    if [ -n "$bad" ]; then
        echo "FAIL [$name]:$bad see $base.*"
        diff "$base.windows.out" "$base.native.out" | head -n 10
        diff "$base.windows.err" "$base.native.err" | head -n 5
        failures=$((failures + 1))
    fi
}

same help --help
same help-zh --lang zh --help
same no-argument
same version --version
same unknown --frobnicate
same refused --pcap
same missing --pcap "$artifacts/no-such.pcap"
same json-folder --pcap "$artifacts/no-such.pcap" --json "$artifacts"
same json-no-folder --analyze "$artifacts/no-such.csv" --json "$artifacts/no-folder/r.json"
# Two spellings of one name, judged before anything is opened.
same json-is-capture --pcap "$artifacts/a.pcap" --json "$artifacts/x/./../a.pcap"
same json-is-csv --pcap "$artifacts/a.pcap" --csv r.csv --json "$PWD/x/../r.csv"

# Without --lang the locale chooses: the first of LC_ALL, LC_MESSAGES and LANG
# that is set, Chinese for zh*.
cases=$((cases + 1))
LC_ALL=zh_CN.UTF-8 "$native" --help 2>&1 | cmp -s - "$artifacts/help-zh.native.out" &&
    LANG=zh_TW.UTF-8 LC_MESSAGES=en_US.UTF-8 "$native" --help 2>&1 | cmp -s - "$artifacts/help.native.out" ||
    { echo "FAIL [locale]: the help is not in the locale's language"; failures=$((failures + 1)); }

# A file name that is not UTF-8 opens as the bytes it is, and an output file
# beside it keeps its name's bytes too.
odd=$(printf 'odd\377name')
if [ -f "$captures/uactf2022-hp-mouse-binterval1-125hz.pcapng" ]; then
    cases=$((cases + 1))
    cp "$captures/uactf2022-hp-mouse-binterval1-125hz.pcapng" "$artifacts/$odd.pcapng"
    rm -f "$artifacts/$odd.json"
    if ! "$native" --pcap "$artifacts/$odd.pcapng" --json "$artifacts/$odd.json" >/dev/null 2>&1 ||
        [ ! -f "$artifacts/$odd.json" ]; then
        echo "FAIL [odd name]: a name that is not UTF-8 was not opened or written"
        failures=$((failures + 1))
    fi
    rm -f "$artifacts/$odd.pcapng"
fi

# The live modes: one line on standard error saying they need Windows, exit 1.
for live in "-c 0 1" "--list" "-c --usb" "--lang zh -c"; do
    # shellcheck disable=SC2086 # the words are the arguments
    err=$("$native" $live 2>&1 >/dev/null)
    rc=$?
    out=$("$native" $live 2>/dev/null)
    cases=$((cases + 1))
    if [ "$rc" -ne 1 ] || [ -n "$out" ] || [ "$(wc -l <<<"$err")" -ne 1 ] ||
        ! grep -q '^Error: .*Windows' <<<"$err"; then
        echo "FAIL [live '$live']: exit code $rc, output '$out', error '$err'"
        failures=$((failures + 1))
    fi
done

if [ -d "$captures" ]; then
    found=0
    for capture in "$captures"/*.pcap "$captures"/*.pcapng; do
        [ -f "$capture" ] || continue
        found=1
        name=$(basename "$capture")
        same "pcap-$name" --pcap "$capture"
        same "pcap-json-$name" --pcap "$capture" --json {JSON} --csv {CSV}
        same "pcap-zh-$name" --lang zh --pcap "$capture"
    done
    [ "$found" = 1 ] || echo "no captures in $captures"
    # Run CSVs derived from two mice's captures (tests/e2e/compare_check.py):
    # the layers compared, each run's summary again, the two runs compared.
    for c in "uactf2022-hp-mouse-binterval1-125hz.pcapng 1.2.0x81 a" \
             "googlectf2016-for2-logitech-m90-mouse.pcapng 1.3.0x81 b"; do
        read -r name endpoint run <<<"$c"
        [ -f "$captures/$name" ] || continue
        python3 "$here/e2e/compare_check.py" "$captures/$name" "$endpoint" "$artifacts/run-$run.csv" \
            "$artifacts/run-$run.expected" || { echo "FAIL: cannot derive a CSV from $name"; failures=$((failures + 1)); }
        same "compare-$run" --compare "$captures/$name" "$artifacts/run-$run.csv" --json {JSON}
        same "compare-zh-$run" --lang zh --compare "$captures/$name" "$artifacts/run-$run.csv"
        same "analyze-$run" --analyze "$artifacts/run-$run.csv" --json {JSON}
        same "analyze-zh-$run" --lang zh --analyze "$artifacts/run-$run.csv"
    done
    if [ -f "$artifacts/run-a.csv" ] && [ -f "$artifacts/run-b.csv" ]; then
        same ab --ab "$artifacts/run-a.csv" "$artifacts/run-b.csv" --json {JSON}
        same ab-zh --lang zh --ab "$artifacts/run-a.csv" "$artifacts/run-b.csv"
    fi
else
    echo "no shared captures at $captures: only the help, version and refusals compared"
fi

echo "$cases cases, $failures differ"
[ "$failures" -eq 0 ]
