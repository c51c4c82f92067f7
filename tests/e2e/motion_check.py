#!/usr/bin/env python3
"""Checks a console run's --csv against the jig's pattern (-p STEP: +STEP,
-STEP, ... pixels in x) and the summary's Motion and While moving lines
against the CSV.

Under Wine (virtual desktop, XInput2 raw motion) lLastX is the XTest move
exactly, unaccelerated (also for steps above the X server's acceleration
threshold), with lLastY, usButtonFlags, usButtonData and usFlags 0. But
Wine's X driver merges raw motion events that it finds queued together into
one report carrying their sum, so a report is the sum of a run of
consecutive moves: an odd run gives +STEP or -STEP, an even one 0 (a report
without motion). Hence the check: after every report the running sum of dx
is 0 or STEP, so that nothing was lost, invented or scaled; and reports of
merged moves are counted. Exit 0: all agree; 3: more than 2 % of the reports
merged moves (a loaded machine: run again); 1: a mismatch.
Usage: motion_check.py CONSOLE_OUTPUT CSV STEP"""
import csv
import math
import re
import sys

out_path, csv_path, step = sys.argv[1], sys.argv[2], int(sys.argv[3])
text = open(out_path, encoding="utf-8").read().replace("\r", "\n")
rows = list(csv.DictReader(open(csv_path, encoding="utf-8", newline="")))
if not rows:
    sys.exit("no CSV rows")
f = {k: [int(r[k]) for r in rows] for k in ("dx", "dy", "buttons", "wheel", "flags")}
problems = []

# The pattern, report for report.
position, merged, exact_run = 0, 0, None
for i, dx in enumerate(f["dx"]):
    position += dx
    if position not in (0, step):
        problems.append(f"report {i + 1}: dx={dx} leaves the pointer at {position}, not 0 or {step}")
        break
    if dx == 0:
        merged += 1
        exact_run = i if exact_run is None else exact_run
others = [k for k in ("dy", "buttons", "wheel", "flags") if any(f[k])]
if others:
    problems.append("non-zero " + ", ".join(others))
first = "none" if exact_run is None else f"the first at report {exact_run + 1}"
print(f"motion_check: {len(rows)} reports against +{step}/-{step}; {merged} of merged moves (dx 0; {first})")

# The Motion line: moving, idle and saturated reports; the median speed of the
# deliveries (a report with an accepted interval and the coalesced ones after
# it, their counts summed by size per axis) that moved, within the 0.4 % of
# its bins.
moving = [abs(x) + abs(y) > 0 for x, y in zip(f["dx"], f["dy"])]
idle = sum(not m and b == 0 and w == 0 for m, b, w in zip(moving, f["buttons"], f["wheel"]))
saturated = sum(m and (abs(x) in (127, 128) or abs(y) in (127, 128)) for m, x, y in zip(moving, f["dx"], f["dy"]))
accepted = [r["class"] == "accepted" for r in rows]
deliveries = []  # [interval_us, sum |dx|, sum |dy|]
for r, m, x, y in zip(rows, moving, f["dx"], f["dy"]):
    if r["class"] == "accepted":
        deliveries.append([float(r["interval_us"]), 0, 0])
    elif r["class"] != "coalesced":
        deliveries.append(None)  # a pause or the first report: no interval
    if m and deliveries and deliveries[-1]:
        deliveries[-1][1] += abs(x)
        deliveries[-1][2] += abs(y)
speeds = sorted(math.hypot(x, y) * 1e6 / us for us, x, y in filter(None, deliveries) if x or y)
gaps = sorted(float(r["interval_us"]) for i, r in enumerate(rows) if i and moving[i] and moving[i - 1] and accepted[i])


def median(values):
    return values[(len(values) + 1) // 2 - 1] if values else 0.0


line = re.search(r"^Motion: moving=(\d+) idle=(\d+) saturated=(\d+) median_speed=([0-9.]+) counts/s$", text, re.M)
gated = re.search(r"^While moving: n=(\d+) median_hz=([0-9.]+) ", text, re.M)
if not line or not gated:
    problems.append("no Motion or While moving line")
else:
    mine = (sum(moving), idle, saturated)
    if tuple(int(v) for v in line.groups()[:3]) != mine:
        problems.append(f"Motion counts: summary {line.groups()[:3]}, CSV {mine}")
    if abs(float(line.group(4)) - median(speeds)) > 0.005 * median(speeds) + 0.05:
        problems.append(f"median_speed: summary {line.group(4)}, CSV {median(speeds):.1f}")
    hz = 1e6 / median(gaps) if gaps else 0.0
    if int(gated.group(1)) != len(gaps) or abs(float(gated.group(2)) - hz) > 0.005 * hz + 0.05:
        problems.append(f"While moving: summary n={gated.group(1)} {gated.group(2)} Hz, CSV n={len(gaps)} {hz:.1f} Hz")
for p in problems:
    print("mismatch:", p)
sys.exit(1 if problems else 3 if merged > 0.02 * len(rows) else 0)
