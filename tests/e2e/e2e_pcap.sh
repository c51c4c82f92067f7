#!/bin/bash
# End-to-end test of quorvin.exe --pcap under Wine: every real capture in the
# shared folder (when present) gives a report and exit code 0 with its packet
# count; bad input gives one error line and exit code 1.
# Usage: e2e_pcap.sh QUORVIN_EXE WINEPREFIX CAPTURES_DIR ARTIFACT_DIR
set -u
exe=$1
prefix=$2
captures=$3
artifacts=$4
source "$(dirname "$0")/e2e_common.sh"
e2e_start_xvfb pcap

# name total-packets
facts="ddc2022-logitech-unifying-enum.pcap 2104
googlectf2016-for2-logitech-m90-mouse.pcapng 8504
hackit2017-usbducker-apple-kbd-binterval255.pcap 835
nullcon2022-paranoia-lenovo-mouse-enum.pcapng 3496
uactf2022-hp-mouse-binterval1-125hz.pcapng 1716
usbpcap-tour-sample-2013-isoch.pcap 555"
if [ -d "$captures" ]; then
    while read -r name packets; do
        out=$artifacts/pcap-$name.txt
        # From the captures' folder, so that the report names the file alone, as the documentation shows it.
        (cd "$captures" && wine "$exe" --lang zh --pcap "$name" --json "$out.json") >"$out" 2>/dev/null
        rc=$?
        [ "$rc" -eq 0 ] || fail "$name: exit code $rc"
        python3 "$e2e_here/json_check.py" "$out" "$out.json" || fail "$name: --json differs from the text"
        grep -q "总包数      : $packets" "$out" || fail "$name: total packets not $packets"
        grep -q "^Interrupt-IN and bulk-IN endpoints" "$out" || fail "$name: no endpoint section"
    done <<<"$facts"
    # Endpoint distributions, checked against an independent reading of the files.
    grep -qF "1.2.0x81  reports=572  avg=  115.0 Hz  lowest=   25.0 Hz  p50=8001.0us p99=24313.0us sd=3473.8us  clock none  bInterval=1" \
        "$artifacts/pcap-uactf2022-hp-mouse-binterval1-125hz.pcapng.txt" || fail "uactf endpoint 1.2.0x81 line"
    grep -qF "1.3.0x81  reports=8407  avg=   54.0 Hz  lowest=   21.4 Hz  p50=15600.0us p99=46800.0us sd=7411.9us  clock none  bInterval=10" \
        "$artifacts/pcap-googlectf2016-for2-logitech-m90-mouse.pcapng.txt" || fail "googlectf endpoint 1.3.0x81 line"
    # The report clock of the one mouse the captures hold enough of on a fine clock.
    grep -qF "sd=6751.9us  clock_us=8000.003 filled=39.6%  bInterval=10" \
        "$artifacts/pcap-nullcon2022-paranoia-lenovo-mouse-enum.pcapng.txt" || fail "lenovo endpoint 1.9.0x82 clock"
    tr -d "\r" <"$artifacts/pcap-usbpcap-tour-sample-2013-isoch.pcap.txt" | grep -q "^  2.3.0x84  reports=251 .*  bulk$" ||
        fail "tour sample: bulk endpoint not marked"
    grep -qF "Note: bInterval 1 belongs to 1.1.0x81 (1 report); the mouse endpoint 1.9.0x82 has bInterval 10: 8 ms (125 Hz) at full speed, 64 ms at high speed; its measured gaps (p50 8046 us) say full speed." \
        "$artifacts/pcap-nullcon2022-paranoia-lenovo-mouse-enum.pcapng.txt" || fail "nullcon: no bInterval note"
    grep -q "^Note: the summary counts 251 bulk or isochronous transfers" \
        "$artifacts/pcap-usbpcap-tour-sample-2013-isoch.pcap.txt" || fail "tour sample: no note on bulk traffic"
    # The documentation's --pcap example is this run's output, line for line (it
    # was written by scripts/readme-examples.sh from a real run of the same file).
    python3 "$e2e_here/readme_examples.py" check "$e2e_here/../.." pcap \
        "$artifacts/pcap-nullcon2022-paranoia-lenovo-mouse-enum.pcapng.txt" || fail "the documentation's --pcap example"
else
    echo "no shared captures at $captures: skipping the real files"
fi

# --compare on CSVs derived from the real captures, every printed figure checked
# against an independent computation (tests/e2e/compare_check.py).
if [ -d "$captures" ]; then
    for c in "uactf2022-hp-mouse-binterval1-125hz.pcapng 1.2.0x81" \
             "googlectf2016-for2-logitech-m90-mouse.pcapng 1.3.0x81" \
             "nullcon2022-paranoia-lenovo-mouse-enum.pcapng 1.9.0x82"; do
        read -r name endpoint <<<"$c"
        case_name=compare-$name
        csv=$artifacts/compare-$name.csv
        python3 "$e2e_here/compare_check.py" "$captures/$name" "$endpoint" "$csv" "$csv.expected" ||
            { fail "cannot derive the CSV"; continue; }
        for named in "$endpoint" ""; do
            wine "$exe" --compare "$captures/$name" "$csv" $named --json "$csv.json" 2>/dev/null |
                tr -d '\r' >"$csv.out"
            rc=${PIPESTATUS[0]}
            [ "$rc" -eq 0 ] || fail "exit code $rc (endpoint '${named:-chosen}')"
            python3 "$e2e_here/json_check.py" "$csv.out" "$csv.json" || fail "--json differs from the text"
            # The report clock has no independent computation here: it is
            # held apart, and judged below where the capture's clock allows.
            diff <(head -n 4 "$csv.out" | sed -E 's/ clock_us=(none|[0-9.]+)$//') "$csv.expected" >/dev/null ||
                fail "figures differ (endpoint '${named:-chosen}'): $(head -n 4 "$csv.out" | tr '\n' '|')"
            [ "$(head -n 2 "$csv.out" | grep -cE ' clock_us=(none|[0-9]+\.[0-9]{3})$')" -eq 2 ] ||
                fail "no clock_us on the layer lines (endpoint '${named:-chosen}')"
            [ "$(wc -l <"$csv.out")" -ge 5 ] || fail "no sentence reading the figures"
        done
    done
    # The Lenovo mouse was polled every 8 ms; the M90's capture stamps in
    # 15.6 ms steps, which hold no lattice; the HP mouse has under 1000 reports.
    grep -qE "^USB layer: endpoint=1.9.0x82 .* clock_us=(7999\.9[0-9]{2}|8000\.0[0-9]{2})$" \
        "$artifacts/compare-nullcon2022-paranoia-lenovo-mouse-enum.pcapng.csv.out" || fail "Lenovo: clock_us not 8 ms"
    for name in googlectf2016-for2-logitech-m90-mouse uactf2022-hp-mouse-binterval1-125hz; do
        grep -q "^USB layer: .* clock_us=none$" "$artifacts/compare-$name.pcapng.csv.out" ||
            fail "$name: a clock where there is none"
    done
    grep -q "^The capture's clock is too coarse for delays" \
        "$artifacts/compare-googlectf2016-for2-logitech-m90-mouse.pcapng.csv.out" || fail "no coarse-clock line"
    # The documentation's --compare example is the output of this derived CSV, line for line.
    case_name=readme
    python3 "$e2e_here/readme_examples.py" check "$e2e_here/../.." compare \
        "$artifacts/compare-uactf2022-hp-mouse-binterval1-125hz.pcapng.csv.out" || fail "the documentation's --compare example"
    case_name=compare-errors
    capture=$captures/uactf2022-hp-mouse-binterval1-125hz.pcapng
    printf 'a,b\n1,2\n' >"$artifacts/compare-no-utc.csv"
    out=$(wine "$exe" --compare "$capture" "$artifacts/compare-no-utc.csv" 2>/dev/null | tr -d '\r')
    [[ $out == "Error: "*"has no utc_us column"* ]] && [ "$(wc -l <<<"$out")" -eq 1 ] ||
        fail "CSV without utc_us: '$out'"
    printf 't_us,slot,interval_us,class,background,utc_us\n0,1,,first,0,100\n' >"$artifacts/compare-early.csv"
    wine "$exe" --compare "$capture" "$artifacts/compare-early.csv" 1.2.0x81 >"$artifacts/compare-early.out" 2>/dev/null
    rc=$?
    [ "$rc" -eq 1 ] || fail "no overlap: exit code $rc"
    grep -q "^Error: .* do not overlap in time" "$artifacts/compare-early.out" || fail "no overlap: no clear error"
    case_name=
fi

printf 'not a capture' >"$artifacts/bogus.pcap"
wine "$exe" --pcap "$artifacts/bogus.pcap" >"$artifacts/pcap-bogus.txt" 2>/dev/null
rc=$?
[ "$rc" -eq 1 ] || fail "bogus file: exit code $rc"
grep -q 'is not a pcap or pcapng file (it starts with 6E 6F 74 20)' "$artifacts/pcap-bogus.txt" ||
    fail "bogus file: no clear error"
wine "$exe" --pcap "$artifacts/does-not-exist.pcap" >"$artifacts/pcap-missing.txt" 2>/dev/null
rc=$?
[ "$rc" -eq 1 ] || fail "missing file: exit code $rc"
grep -q '^Error: cannot open' "$artifacts/pcap-missing.txt" || fail "missing file: no clear error"

e2e_finish pcap
