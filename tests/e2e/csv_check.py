#!/usr/bin/env python3
"""Recomputes the console summary's interval figures from its --csv file and
compares them with what the summary printed. Exit 0 when they agree.
Usage: csv_check.py CONSOLE_OUTPUT CSV"""
import csv
import math
import re
import sys

out_path, csv_path = sys.argv[1], sys.argv[2]
text = open(out_path, encoding="utf-8").read().replace("\r", "\n")
rows = list(csv.DictReader(open(csv_path, encoding="utf-8", newline="")))
if not rows or list(rows[0].keys()) != ["t_us", "slot", "interval_us", "class", "background", "utc_us",
                                              "dx", "dy", "buttons", "wheel", "flags"]:
    sys.exit("CSV header or rows missing")
accepted = sorted(float(r["interval_us"]) for r in rows if r["class"] == "accepted")
n = len(accepted)
summary = dict(re.findall(r"(p0\.1|p1|p50|p99|p99\.9)=([0-9.]+)", re.search(r"^Percentiles \(us\): .*$", text, re.M).group(0)))
counts = re.search(r"^Intervals \(us\): n=(\d+) mean=([0-9.]+) sd=([0-9.]+)", text, re.M)
problems = []
if int(counts.group(1)) != n:
    problems.append(f"n: summary {counts.group(1)}, CSV {n}")
for name, tenths in (("p0.1", 1), ("p1", 10), ("p50", 500), ("p99", 990), ("p99.9", 999)):
    rank = max(1, -(-tenths * n // 1000))
    mine = accepted[rank - 1] if n else 0.0
    if abs(mine - float(summary[name])) > 0.051:
        problems.append(f"{name}: summary {summary[name]}, CSV {mine:.3f}")
mean = sum(accepted) / n if n else 0.0
sd = math.sqrt(sum((x - mean) ** 2 for x in accepted) / n) if n else 0.0
if abs(mean - float(counts.group(2))) > 0.051 or abs(sd - float(counts.group(3))) > 0.051:
    problems.append(f"mean/sd: summary {counts.group(2)}/{counts.group(3)}, CSV {mean:.3f}/{sd:.3f}")
utc = [int(r["utc_us"]) for r in rows]
if any(b < a for a, b in zip(utc, utc[1:])) or utc[0] < 1_500_000_000_000_000:
    problems.append("utc_us not a rising UTC time")
print(f"csv_check: {len(rows)} rows, {n} accepted, p50 {summary['p50']} us")
for p in problems:
    print("mismatch:", p)
sys.exit(1 if problems else 0)
