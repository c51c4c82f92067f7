#!/usr/bin/env python3
"""Holds a --json file to the text the same run printed: every key=value
figure of a text line equals the JSON's under the same key, to the text's
decimals ("none" is null, and so is a 0 the text prints for want of anything
to take a figure of), and the JSON parses with Python's json module.
Usage: json_check.py TEXT JSON. Exit 1 with the differences."""
import json
import re
import sys

# Line start -> the JSON object that holds its figures (path of keys).
LINES = [
    ("Avg=", ["status"]),
    ("Intervals (us): ", ["summary", "intervals_us"]),
    ("Percentiles (us): ", ["summary", "percentiles_us"]),
    ("Rates (Hz): ", ["summary", "rates_hz"]),
    ("Reading: ", ["conditions"]),
    ("Report clock: ", ["summary", "report_clock"]),
    ("Motion: ", ["summary", "motion"]),
    ("While moving: ", ["summary", "while_moving"]),
    ("Wheel: ", ["summary", "wheel"]),
    ("HWheel: ", ["summary", "hwheel"]),
    ("USB layer: ", ["layers", "usb_layer"]),
    ("Program layer: ", ["layers", "program_layer"]),
    ("Delivery: ", ["layers", "delivery"]),
    ("Per delivery: ", ["layers", "per_delivery"]),
    ("A: ", ["A"]),
    ("B: ", ["B"]),
]
PCAP_LABELS = {"总包数": "total_packets", "批量/中断": "bulk_interrupt_packets",
               "控制传输": "control_packets", "中断IN有效": "valid_in_intervals",
               "有效间隔": "mouse_gaps", "平均交付率": "average_hz", "最低瞬时": "lowest_hz"}
FIGURE = r"([-+]?[0-9]+(?:\.[0-9]+)?(?![0-9.x])|none)"
errors = []


def same(where, text, value):
    if text == "none":
        ok = value is None
    elif value is None:
        ok = float(text) == 0
    elif isinstance(value, int) and not isinstance(value, bool):
        ok = value == int(text)
    else:
        step = 10.0 ** -len(text.split(".")[1]) if "." in text else 1.0
        ok = value is not None and abs(float(text) - value) <= step / 2 * (1 + 1e-9) + 1e-9
    if not ok:
        errors.append(f"{where}: text {text}, JSON {value}")


def figures(where, part, obj):
    for key, text in re.findall(r"([\w.]+)=\s*" + FIGURE, part):
        if key not in obj:
            errors.append(f"{where}: no key {key}")
        else:
            same(f"{where} {key}", text, obj[key])


def at(doc, path):
    for key in path:
        doc = doc.get(key) if isinstance(doc, dict) else None
    return doc if isinstance(doc, dict) else None


def summary_line(line, doc):
    s = doc.get("summary") or {}
    m = re.match(r"Summary: (.*), ([0-9.]+) s$", line)
    if m:
        if m.group(1) != s.get("name"):
            errors.append(f"summary name {m.group(1)!r} != {s.get('name')!r}")
        same("summary seconds", m.group(2), s.get("seconds"))
    for key, text in re.findall(r"(Coalesced|Pauses|Background): ([0-9]+)", line):
        same(key, text, s.get(key))
    m = re.match(r"Stability: ([0-9.]+)%", line)
    if m:
        same("stability", m.group(1), s.get("stability_pct"))


def other_line(line, doc):
    m = re.match(r"Background reports: ([0-9]+) of ([0-9]+)", line)
    if m:
        same("background", m.group(1), doc["conditions"]["background_reports"])
        same("reports", m.group(2), doc["conditions"]["reports"])
    if line.startswith("Device: ") and line[8:] != (doc.get("device") or {}).get("name"):
        errors.append(f"device {line[8:]!r} != {doc.get('device')!r}")
    m = re.match(r"Report clock: none \((.*)\)$", line)
    if m and doc["summary"]["report_clock"].get("none") != m.group(1):
        errors.append(f"clock reason {m.group(1)!r}")
    m = re.match(r"\s+(\S+?)\s+: +" + FIGURE, line)
    if m and m.group(1) in PCAP_LABELS:
        same(m.group(1), m.group(2), doc["capture"][PCAP_LABELS[m.group(1)]])
    # The headline's span, English or Chinese: "(USB host controller layer, 154.7 s)".
    m = re.search(r"(?:layer|层), ([0-9]+\.[0-9]) ?(?:s|秒)\)$", line)
    if m and "capture" in doc:
        same("span_s", m.group(1), doc["capture"]["span_s"])
    m = re.match(r"  ([0-9]+\.[0-9]+\.0x[0-9A-F]{2})  reports=", line)
    if m:
        ends = [e for e in doc["capture"]["endpoints"] if e["endpoint"] == m.group(1)]
        figures(m.group(1), line, ends[0] if ends else {})
    if line.startswith("Verdict: ") and line != doc.get("verdict"):
        errors.append(f"verdict {line!r} != {doc.get('verdict')!r}")


def difference_line(line, doc):
    for key, d, lo, hi in re.findall(r"(\w+)=([-+][0-9.]+) \[([-+][0-9.]+),([-+][0-9.]+)\]", line):
        got = doc["B-A"].get(key, {})
        for name, text in (("diff", d), ("lo", lo), ("hi", hi)):
            same(f"B-A {key} {name}", text, got.get(name))


def main():
    text_path, json_path = sys.argv[1:3]
    with open(json_path, encoding="utf-8") as f:
        doc = json.load(f)
    if doc.get("schema") != 2 or not doc.get("program", {}).get("version"):
        errors.append("no schema 2 or no program version")
    with open(text_path, encoding="utf-8", errors="replace", newline="") as f:
        # A status line is rewritten after a carriage return: the last one counts.
        lines = [l.rstrip("\r").split("\r")[-1] for l in f.read().split("\n")]
    for line in lines:
        if line.startswith("B-A "):
            difference_line(line, doc)
            continue
        m = re.match(r"Button (\w+): ", line)
        if m:
            figures(m.group(0).strip(), line, at(doc, ["summary", "buttons", m.group(1)]) or {})
        for start, path in LINES:
            if line.startswith(start) and not line.startswith("Report clock: none"):
                figures(start.strip(), line, at(doc, path) or {})
        summary_line(line, doc)
        other_line(line, doc)
    hints = (doc.get("summary") or {}).get("hints")
    for key, words in (("hand_limited", "the hand limited"), ("saturation", "were saturated"),
                       ("idle", "were idle"), ("chatter", " button chattered: "),
                       ("wheel_reversals", " of the wheel's notches "),
                       ("hwheel_reversals", " of the horizontal wheel's notches ")):
        shown = any(l.startswith("Hint: ") and words in l for l in lines)
        if hints is not None and key in hints and hints[key] != shown:
            errors.append(f"hint {key}: JSON {hints[key]}, text {shown}")
    for e in errors:
        print("json_check:", e)
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
