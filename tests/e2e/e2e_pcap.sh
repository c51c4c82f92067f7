#!/bin/bash
# End-to-end test of quorvin.exe --pcap under Wine: every real capture in the
# shared folder (when present) gives a report in each language and exit code
# 0 with its packet count, and the HP, Lenovo and M90 headlines judge their
# mouse; the Linux (usbmon) capture gives tshark's counts under a headline
# that names usbmon, and --compare sets it beside a run of another time
# without pairing; bad input gives one error line and exit code 1.
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
usbpcap-tour-sample-2013-isoch.pcap 555
bkp2015-riverside-mouse-usbmon.pcapng 15316"
if [ -d "$captures" ]; then
    while read -r name packets; do
        for lang in zh en; do
            out=$artifacts/pcap-$name.$lang.txt
            # From the captures' folder, so that the report names the file alone, as the documentation shows it.
            (cd "$captures" && wine "$exe" --lang $lang --pcap "$name" --json "$out.json") >"$out" 2>/dev/null
            rc=$?
            [ "$rc" -eq 0 ] || fail "$name ($lang): exit code $rc"
            python3 "$e2e_here/json_check.py" "$out" "$out.json" || fail "$name ($lang): --json differs from the text"
        done
        grep -q "总包数      : $packets" "$artifacts/pcap-$name.zh.txt" || fail "$name: total packets not $packets"
        grep -q "Total packets     : $packets" "$artifacts/pcap-$name.en.txt" || fail "$name (en): total packets not $packets"
        grep -q "^中断IN和批量IN端点" "$artifacts/pcap-$name.zh.txt" || fail "$name: no endpoint section"
        grep -q "^Interrupt-IN and bulk-IN endpoints" "$artifacts/pcap-$name.en.txt" || fail "$name (en): no endpoint section"
        # Every word of the English report is English.
        ! grep -qP "[\x{4e00}-\x{9fff}]" "$artifacts/pcap-$name.en.txt" || fail "$name (en): Chinese in the English report"
    done <<<"$facts"
    hp=$artifacts/pcap-uactf2022-hp-mouse-binterval1-125hz.pcapng
    m90=$artifacts/pcap-googlectf2016-for2-logitech-m90-mouse.pcapng
    lenovo=$artifacts/pcap-nullcon2022-paranoia-lenovo-mouse-enum.pcapng
    tour=$artifacts/pcap-usbpcap-tour-sample-2013-isoch.pcap
    # Endpoint distributions, checked against an independent reading of the files (the same in both languages).
    for lang in zh en; do
        grep -qF "1.2.0x81  reports=572  avg=  115.0 Hz  lowest=   25.0 Hz  p50=8001.0us p99=24313.0us sd=3473.8us  clock none  bInterval=1" \
            "$hp.$lang.txt" || fail "uactf endpoint 1.2.0x81 line ($lang)"
        grep -qF "1.3.0x81  reports=8407  avg=   54.0 Hz  lowest=   21.4 Hz  p50=15600.0us p99=46800.0us sd=7411.9us  clock none  bInterval=10" \
            "$m90.$lang.txt" || fail "googlectf endpoint 1.3.0x81 line ($lang)"
        # The report clock of the one mouse the captures hold enough of on a fine clock.
        grep -qF "sd=6751.9us  clock_us=8000.003 filled=39.6%  bInterval=10" "$lenovo.$lang.txt" ||
            fail "lenovo endpoint 1.9.0x82 clock ($lang)"
        tr -d "\r" <"$tour.$lang.txt" | grep -q "^  2.3.0x84  reports=251 .*  bulk$" ||
            fail "tour sample: bulk endpoint not marked ($lang)"
    done
    # The headlines: the mouse endpoint named, its own gap count and rates, bInterval read at
    # the speed the descriptors show, 8K promised to no full-speed device, the
    # M90 capture's and the tour sample's 15.6 ms clock said.
    headline() {  # FILE LINE...: the lines follow each other in FILE
        local file=$1
        shift
        python3 - "$file" "$@" <<'PY' || fail "$(basename "$file"): headline lines missing: ${*:2}"
import sys
text = open(sys.argv[1], encoding="utf-8").read().replace("\r", "")
sys.exit(0 if "\n".join(sys.argv[2:]) + "\n" in text else 1)
PY
    }
    headline "$hp.zh.txt" "  鼠标端点     : 1.2.0x81 (572 个报告)" "  有效间隔     : 550" \
        "  平均交付率   :   115.0 Hz" \
        "  最低瞬时     :    25.0 Hz" "  未计入以上数字 (端点与报告数): 1.3.0x81 (280)"
    headline "$hp.zh.txt" "探测到中断端点 bInterval = 1" "  → 该端点理论上限约 1000 Hz" \
        "  (设备 1.2 的 bMaxPacketSize0 为 8，低于 64: 不是高速设备，bInterval 按 1 ms 帧计)" \
        "  ⚠ 不是高速设备: 端点上限 1000 Hz，达不到 8K。"
    headline "$hp.en.txt" "  Mouse endpoint    : 1.2.0x81 (572 reports)" "  Valid gaps        : 550" \
        "  Average delivery  :   115.0 Hz" \
        "  Lowest instant    :    25.0 Hz" "  Not in these figures (endpoint and reports): 1.3.0x81 (280)"
    headline "$hp.en.txt" "Interrupt endpoint bInterval = 1" "  → this endpoint's theoretical limit is about 1000 Hz" \
        "  (device 1.2 has bMaxPacketSize0 8, below 64: not high speed, so bInterval counts 1 ms frames)" \
        "  ⚠ Not a high-speed device: the endpoint's limit is 1000 Hz, so 8K is out of reach."
    headline "$lenovo.zh.txt" "  鼠标端点     : 1.9.0x82 (1728 个报告)" "  有效间隔     : 1627" \
        "  平均交付率   :    86.7 Hz" \
        "  最低瞬时     :    20.8 Hz" "  未计入以上数字 (端点与报告数): 1.1.0x81 (1)" "" "" \
        "探测到中断端点 bInterval = 10" "  → 该端点理论上限约 125 Hz"
    headline "$lenovo.en.txt" "  Mouse endpoint    : 1.9.0x82 (1728 reports)" "  Valid gaps        : 1627" \
        "  Average delivery  :    86.7 Hz" \
        "  Lowest instant    :    20.8 Hz" "  Not in these figures (endpoint and reports): 1.1.0x81 (1)" "" "" \
        "Interrupt endpoint bInterval = 10" "  → this endpoint's theoretical limit is about 125 Hz"
    headline "$m90.zh.txt" "  鼠标端点     : 1.3.0x81 (8407 个报告)" "  有效间隔     : 4946" \
        "  平均交付率   :    54.0 Hz" \
        "  最低瞬时     :    21.4 Hz" "  ⚠ 抓包时间戳按约 15.6 ms 的步长取整，以上数字受抓包时钟限制。"
    headline "$m90.zh.txt" "探测到中断端点 bInterval = 10" "  → 该端点理论上限约 125 Hz"
    headline "$m90.en.txt" "  Lowest instant    :    21.4 Hz" \
        "  ⚠ The capture stamps in steps of about 15.6 ms: these figures are limited by its clock."
    headline "$m90.en.txt" "Interrupt endpoint bInterval = 10" "  → this endpoint's theoretical limit is about 125 Hz"
    for f in "$hp" "$lenovo" "$m90"; do
        ! grep -q "端点上限支持 8K\|allows 8K" "$f.zh.txt" "$f.en.txt" || fail "$(basename "$f"): 8K promised to a full-speed mouse"
    done
    grep -q "^Note: the summary counts 251 bulk or isochronous transfers" "$tour.en.txt" ||
        fail "tour sample: no note on bulk traffic"
    headline "$tour.en.txt" "  ⚠ The capture stamps in steps of about 15.6 ms: these figures are limited by its clock." \
        "  Not in these figures (endpoint and reports): 2.3.0x84 (bulk 251), 2.2.0x81 (3)"
    # A steady stream on a fine clock is no coarse clock.
    ! grep -q "The capture stamps in steps" "$hp.en.txt" "$lenovo.en.txt" ||
        fail "a fine clock said to be coarse"
    # The Linux capture: tshark's counts per endpoint (captures/SOURCES.md), the
    # mouse polled every 8 ms, and a headline that names usbmon, not USBPcap.
    linux=$artifacts/pcap-bkp2015-riverside-mouse-usbmon.pcapng
    for lang in zh en; do
        tr -d "\r" <"$linux.$lang.txt" | grep -qE "^  2\.12\.0x81  reports=7608 .* p50=8000\.0us .* clock_us=(7999\.9[0-9]{2}|8000\.0[0-9]{2}) " ||
            fail "usbmon: endpoint 2.12.0x81 line ($lang)"
        tr -d "\r" <"$linux.$lang.txt" | grep -q "^  2\.1\.0x81  reports=1  too few reports" ||
            fail "usbmon: endpoint 2.1.0x81 line ($lang)"
    done
    headline "$linux.zh.txt" "File: bkp2015-riverside-mouse-usbmon.pcapng" "usbmon (Linux) 诊断结果 (USB 主机控制器层, 154.7秒)"
    headline "$linux.en.txt" "  Mouse endpoint    : 2.12.0x81 (7608 reports)"
    ! grep -q "USBPcap" "$linux.en.txt" "$linux.zh.txt" || fail "usbmon: the report names USBPcap"
    # The documentation's --pcap example is this run's output, line for line (it
    # was written by scripts/readme-examples.sh from a real run of the same file).
    python3 "$e2e_here/readme_examples.py" check "$e2e_here/../.." pcap "$lenovo.en.txt" ||
        fail "the documentation's --pcap example"
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
    # Reads of several reports are the reader's batching, not Windows merging:
    # every report of the Lenovo mouse reaches the program in reads of 1 to 4
    # (tests/e2e/compare_reads.py, seed 7919), each 300 us after its last report.
    case_name=compare-reads
    name=nullcon2022-paranoia-lenovo-mouse-enum.pcapng
    csv=$artifacts/compare-reads.csv
    if python3 "$e2e_here/compare_reads.py" "$captures/$name" 1.9.0x82 "$csv" "$csv.expected" 7919; then
        wine "$exe" --compare "$captures/$name" "$csv" --json "$csv.json" 2>/dev/null | tr -d '\r' >"$csv.out"
        rc=${PIPESTATUS[0]}
        [ "$rc" -eq 0 ] || fail "exit code $rc"
        python3 "$e2e_here/json_check.py" "$csv.out" "$csv.json" || fail "--json differs from the text"
        diff <(sed -n '3,4p' "$csv.out") "$csv.expected" >/dev/null ||
            fail "figures differ: $(sed -n '3,4p' "$csv.out" | tr '\n' '|')"
        grep -q " merged=0 unsourced=0 reads_of_several=[1-9]" "$csv.out" || fail "reads counted as merged"
        grep -q "reports at a time, .*none was lost or merged\.$" "$csv.out" || fail "no sentence naming the reads"
        ! grep -qE "throttle|bursts|Windows .*merged [0-9]" "$csv.out" || fail "the reads blamed on Windows"
        wine "$exe" --lang zh --compare "$captures/$name" "$csv" 2>/dev/null | tr -d '\r' >"$csv.zh.out"
        grep -q "^鼠标.*，程序每次读取 1–4 个报告，约晚 [0-9.]* ms；没有报告丢失或被合并。$" "$csv.zh.out" ||
            fail "no sentence naming the reads in Chinese"
    else
        fail "cannot derive the CSV"
    fi

    # A Linux capture of 2015 beside a run of another day: no pairing, one line
    # saying so, each layer's figures over its own span.
    case_name=compare-usbmon
    python3 - "$artifacts/compare-usbmon.csv" <<'PY'
import sys
with open(sys.argv[1], "w") as f:
    f.write("t_us,slot,interval_us,class,background,utc_us\n")
    for i in range(1500):
        f.write(f"{i * 1000},1,{'' if i == 0 else 1000},{'first' if i == 0 else 'normal'},0,{1797000000000000 + i * 1000}\n")
PY
    wine "$exe" --compare "$captures/bkp2015-riverside-mouse-usbmon.pcapng" "$artifacts/compare-usbmon.csv" \
        --json "$artifacts/compare-usbmon.json" 2>/dev/null | tr -d '\r' >"$artifacts/compare-usbmon.out"
    rc=${PIPESTATUS[0]}
    [ "$rc" -eq 0 ] || fail "exit code $rc"
    head -n 1 "$artifacts/compare-usbmon.out" | grep -q "^The capture is a Linux host's (usbmon) .* not the same" ||
        fail "no line saying the clocks are not the same"
    sed -n 2p "$artifacts/compare-usbmon.out" | grep -qE "^USB layer: endpoint=2\.12\.0x81 reports=7608 median_hz=125\.0 " ||
        fail "usbmon USB layer: $(sed -n 2p "$artifacts/compare-usbmon.out")"
    sed -n 3p "$artifacts/compare-usbmon.out" | grep -qE "^Program layer: reports=1500 median_hz=1000\.0 " ||
        fail "usbmon program layer: $(sed -n 3p "$artifacts/compare-usbmon.out")"
    ! grep -q "^Delivery: " "$artifacts/compare-usbmon.out" || fail "usbmon: reports paired across two clocks"
    python3 "$e2e_here/json_check.py" "$artifacts/compare-usbmon.out" "$artifacts/compare-usbmon.json" ||
        fail "usbmon: --json differs from the text"
    python3 -c 'import json, sys; l = json.load(open(sys.argv[1]))["layers"]
sys.exit(l["delivery"] is not None or l["per_delivery"] is not None)' "$artifacts/compare-usbmon.json" ||
        fail "usbmon: --json pairs what the text does not"
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
