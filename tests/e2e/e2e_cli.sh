#!/bin/bash
# End-to-end test of quorvin-cli.exe as a terminal user meets it under Wine:
# help, version, the list of mice, an unknown option, arguments refused, errors on standard
# error, --pcap into a pipe, standard output on a full disk and into a pipe
# whose reader quit, a timed console run, exit codes, and Ctrl+C typed
# into a pseudo-terminal during a measurement.
# Usage: e2e_cli.sh QUORVIN_CLI_EXE WINEPREFIX CAPTURES_DIR ARTIFACT_DIR VERSION
set -u
exe=$1
prefix=$2
captures=$3
artifacts=$4
version=$5
source "$(dirname "$0")/e2e_common.sh"
e2e_start_xvfb cli

cli() { timeout 60 wine "$exe" "$@" 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }
# Standard error alone, with Wine's own messages left out.
cli_err() {
    timeout 60 wine "$exe" "$@" 2>&1 >/dev/null | tr -d '\r' | grep -v -e '^[0-9a-f]*:\(fixme\|err\|warn\):' -e '^X connection'
    return "${PIPESTATUS[0]}"
}

case_name=help
help=$(cli --help)
rc=$?
[ "$rc" -eq 0 ] || fail "exit code $rc"
[ "$(head -n 1 <<<"$help")" = "Quorvin $version - mouse polling-rate tester" ] || fail "first line"
for line in "Usage: quorvin-cli.exe [OPTION]" "  -c, --console [INDEX [SECONDS]]" "  --pcap FILE" \
            "  --help, -h, /?" "  --version" "  --usb, --usb-save FILE" "  --compare CAPTURE CSV [ENDPOINT]" \
            "  --ab A.csv B.csv" "  --json FILE" "  --list" "  --lang en|zh" \
            "Example: quorvin-cli.exe -c 0 10"; do
    grep -qF -- "$line" <<<"$help" || fail "no line '$line'"
done
for alias in -h /? "-c --help" "--pcap F --usb -h"; do
    # shellcheck disable=SC2086 # the alias's words are the arguments
    [ "$(cli $alias)" = "$help" ] || fail "'$alias' differs from --help"
done
[ "$(cli)" = "$help" ] || fail "no argument does not print the usage"
# docs/command-line.md quotes this help (written by scripts/readme-examples.sh);
# held to it by shape, as its first line carries the version.
printf '%s\n' "$help" >"$artifacts/cli-help.txt"
python3 "$e2e_here/readme_examples.py" check "$e2e_here/../.." help "$artifacts/cli-help.txt" ||
    fail "the documentation's --help example"

case_name=version
[ "$(cli --version)" = "Quorvin $version" ] || fail "version line"

case_name=list
# Every mouse with the INDEX that -c takes, all mice first; the same in Chinese.
list=$(cli --list)
rc=$?
printf '%s\n' "$list" >"$artifacts/cli-list.txt"
[ "$rc" -eq 0 ] || fail "exit code $rc"
grep -qE '^0   All mice \([1-9][0-9]*\)$' <<<"$list" || fail "no line for all mice"
# Wine's mouse tells a product string: the name is it, with the ids after it.
grep -qE '^1   [^ ].* \(VID_845E PID_0001\)$' <<<"$list" || fail "no line for mouse 1"
grep -qvE '^[0-9]+ +[^ ]' <<<"$list" && fail "a line without its index"
zh=$(cli --list --lang zh)
grep -qE '^0   全部鼠标 \([1-9][0-9]* 只\)$' <<<"$zh" || fail "no Chinese line for all mice"
[ "$(wc -l <<<"$zh")" -eq "$(wc -l <<<"$list")" ] || fail "the Chinese list has other lines"

case_name=unknown
out=$(cli_err --xyz)
rc=$?
[ "$rc" -eq 1 ] || fail "exit code $rc"
[ "$(head -n 1 <<<"$out")" = "Error: unknown option --xyz; the options are:" ] || fail "error line"
grep -qF "Usage: quorvin-cli.exe" <<<"$out" || fail "no usage after the error"
[ -z "$(cli --xyz)" ] || fail "the error reached standard output"

# Arguments that cannot run end at once with one line on standard error.
case_name=refused
mkdir -p "$artifacts/adir"
while IFS='|' read -r args line; do
    # shellcheck disable=SC2086 # the case's words are the arguments
    out=$(cli_err $args)
    rc=$?
    [ "$rc" -eq 1 ] || fail "'$args': exit code $rc"
    [[ $out == "Error: $line"* ]] && [ "$(wc -l <<<"$out")" -eq 1 ] || fail "'$args': '$out'"
done <<EOF_CASES
-c 1 abc|SECONDS must be a positive number (like 10 or 2.5), not 'abc'
-c abc|INDEX must be a whole number (0 = all mice, 1 and up one mouse; --list shows them), not 'abc'
-c 1 x|SECONDS must be a positive number (like 10 or 2.5), not 'x'
--lang zh -c abc|INDEX 必须是整数(0 = 全部鼠标，1 起为单只鼠标；--list 可列出)，不是 'abc'。
-c 0 -5|SECONDS must be a positive number (like 10 or 2.5), not '-5'
--pcap F --usb|--usb does not combine with --pcap
--compare c.pcap r.csv --csv F|--csv does not combine with --compare
-c 0 1 --csv $artifacts/adir|cannot create $artifacts/adir for --csv: it is a directory
--analyze r.csv --json $artifacts/adir|cannot create $artifacts/adir for --json: it is a directory
-c 0 1 --csv r.csv --json ./R.CSV|--json and --csv name the same file
--ab a.csv|--ab needs the CSVs of two -c runs
--ab $artifacts/no-a.csv $artifacts/no-b.csv --slot 1|cannot open $artifacts/no-a.csv
EOF_CASES
out=$(cli_err -c 0 1 --csv '')
[[ $out == "Error: --csv needs the name of the file to write"* ]] || fail "--csv '': '$out'"

case_name=pcap-pipe
capture=$captures/ddc2022-logitech-unifying-enum.pcap
if [ -f "$capture" ]; then
    timeout 60 wine "$exe" --pcap "$capture" 2>/dev/null | head -n 3 | tr -d '\r' >"$artifacts/cli-head.txt"
    [ "$(wc -l <"$artifacts/cli-head.txt")" -eq 3 ] || fail "head did not get three lines"
    [ "$(head -n 1 "$artifacts/cli-head.txt")" = "File: $capture" ] || fail "first line through the pipe"
else
    echo "no shared captures at $captures: skipping the pipe"
fi

# Standard output that cannot be written: a full disk is an error, a reader
# that quit before the text came (as `| head` may) is not.
case_name=stdout-full
out=$(timeout 60 wine "$exe" --version 2>&1 >/dev/full | tr -d '\r' |
      grep -v -e '^[0-9a-f]*:\(fixme\|err\|warn\):' -e '^X connection'; exit "${PIPESTATUS[0]}")
rc=$?
[ "$rc" -eq 1 ] || fail "exit code $rc"
[[ $out == "Error: writing standard output failed (No space left on device)"* ]] || fail "'$out'"
case_name=stdout-reader-quit
timeout 60 wine "$exe" --help 2>"$artifacts/cli-quit.err" | true
rc=${PIPESTATUS[0]}
[ "$rc" -eq 0 ] || fail "exit code $rc"
grep -q '^Error: ' "$artifacts/cli-quit.err" && fail "an error for a reader that quit"

case_name=timed
timeout 60 wine "$exe" -c 0 2 --json "$artifacts/cli-timed.json" >"$artifacts/cli-timed.txt" 2>/dev/null
rc=$?
[ "$rc" -eq 0 ] || fail "exit code $rc"
# A run without intervals: its rates are no numbers, and the JSON says null.
python3 "$e2e_here/json_check.py" "$artifacts/cli-timed.txt" "$artifacts/cli-timed.json" ||
    fail "--json differs from the text"
grep -q '^Device: All mice' "$artifacts/cli-timed.txt" || fail "no device line"
tail -c 2 "$artifacts/cli-timed.txt" | od -An -c | grep -q '\\n' || fail "last line not closed"
tr '\r' '\n' <"$artifacts/cli-timed.txt" | grep -q '^Avg=.*Time=[0-9.]*s$' || fail "no status line"
# Nothing moves the pointer here: the run says so after its summary.
[ "$(tail -n 1 "$artifacts/cli-timed.txt" | tr -d '\r')" = \
  "No reports received: move the mouse during the measurement." ] || fail "no line saying it was empty"

case_name=index
# An index that names no mouse is noted on standard error; all mice are measured.
timeout 60 wine "$exe" -c 9 1 >"$artifacts/cli-index.txt" 2>"$artifacts/cli-index.err"
rc=$?
[ "$rc" -eq 0 ] || fail "exit code $rc"
grep -q '^Device: All mice' "$artifacts/cli-index.txt" || fail "not all mice"
grep -q '^Note: INDEX 9 names no mouse (.*); measuring all mice.' "$artifacts/cli-index.err" ||
    fail "no note"

case_name=usb
# No USBPcap driver under Wine: the run stops before measuring with one line,
# naming the option given.
for option in "--usb" "--usb-save $artifacts/cli-usb.pcap"; do
    # shellcheck disable=SC2086 # the option's words are arguments
    timeout 60 wine "$exe" -c 0 2 $option >"$artifacts/cli-usb.out" 2>"$artifacts/cli-usb.err"
    rc=$?
    [ "$rc" -eq 1 ] || fail "$option: exit code $rc"
    last=$(grep '^Error: ' "$artifacts/cli-usb.err" | tail -n 1 | tr -d '\r')
    [[ $last == "Error: ${option%% *} needs the USBPcap capture driver, which is not installed"* ]] ||
        fail "$option: last line '$last'"
    grep -q 'Avg=' "$artifacts/cli-usb.out" && fail "$option: it measured"
done
# An existing CSV that a run which cannot start was to write is as it was.
keep=$artifacts/cli-keep.csv
printf 't_us,slot\n1,2\n' >"$keep"
rm -f "$keep".*partial
timeout 60 wine "$exe" -c 0 2 --usb --csv "$keep" >"$artifacts/cli-keep.out" 2>"$artifacts/cli-keep.err"
rc=$?
[ "$rc" -eq 1 ] || fail "--usb --csv: exit code $rc"
grep -q 'Avg=' "$artifacts/cli-keep.out" && fail "--usb --csv: it measured"
[ "$(cat "$keep")" = "$(printf 't_us,slot\n1,2')" ] || fail "the existing CSV was changed"
ls "$keep".*partial >/dev/null 2>&1 && fail "a partial file was left"

case_name=ctrl-c
start=$(date +%s)
python3 "$e2e_here/pty_ctrl_c.py" 3 "$artifacts/cli-ctrl-c.txt" wine "$exe" -c 0
rc=$?
took=$(($(date +%s) - start))
[ "$rc" -eq 0 ] || fail "exit code $rc after Ctrl+C"
[ "$took" -lt 20 ] || fail "took $took s to end after Ctrl+C"
# The last status line (after the last carriage return) is closed by a line
# break; the background count and the summary follow it.
last=$(grep -B1 '^Background reports: ' "$artifacts/cli-ctrl-c.txt" | head -n 1 | tr '\r' '\n' | tail -n 1)
[[ $last == Avg=*Count=0\ \ Time=*s ]] || fail "last status line '$last'"
grep -q '^Summary: All mice' "$artifacts/cli-ctrl-c.txt" || fail "no summary after Ctrl+C"

e2e_finish cli
