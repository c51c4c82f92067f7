#!/usr/bin/env python3
"""Holds a run's Button and Wheel lines to the jig's button script
(xmotion_jig -b logs the lines its really sent events should give, and each
button's release-to-press times): the same lines, counts equal, times within
SLACK ms (Wine stamps a report when the program reads it, a little after the
X server took the event). Chatter is counted from the jig's gaps by the
threshold the program used (--chatter-ms, 10 unless given), with a chatter
hint for each button that chattered and none for the others. Exit 0: all
agree; 3: only times beyond the slack, or a gap within it of the threshold
(a loaded machine: run again); 1: anything else.
Usage: button_check.py OUTPUT JIG_LOG [--chatter-ms C]"""
import re
import sys

SLACK_MS = 1.5
out_path, log_path = sys.argv[1], sys.argv[2]
chatter_ms = float(sys.argv[4]) if sys.argv[3:4] == ["--chatter-ms"] else 10.0
KEYS = re.compile(r"^(Button \w+|H?Wheel): ")


def lines_of(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        lines = f.read().replace("\r", "\n").split("\n")
    figures = {KEYS.match(l).group(1): dict(re.findall(r"(\w+)=(\S+)", l)) for l in lines if KEYS.match(l)}
    gaps = {m.group(1): [float(g) for g in m.group(2).split()]
            for m in (re.match(r"Gaps (\w+):(.*)$", l) for l in lines) if m}
    return figures, [l for l in lines if l.startswith("Hint: ")], gaps


program, hints, _ = lines_of(out_path)
script, _, gaps = lines_of(log_path)
problems, late = [], []
for name, times in gaps.items():
    script[f"Button {name}"]["chatter"] = str(sum(g < chatter_ms for g in times))
    late += [f"{name}: a gap of {g:.3f} ms by a threshold of {chatter_ms} ms"
             for g in times if abs(g - chatter_ms) <= SLACK_MS]
if sorted(program) != sorted(script):
    problems.append(f"lines {sorted(program)}, the script's {sorted(script)}")
for key, want in script.items():
    got = program.get(key, {})
    for name, value in want.items():
        if name not in got:
            problems.append(f"{key}: no {name}")
        elif "." not in value:
            if got[name] != value:
                problems.append(f"{key}: {name}={got[name]}, the script's {value}")
        elif got[name] == "none" or abs(float(got[name]) - float(value)) > SLACK_MS:
            late.append(f"{key}: {name}={got[name]}, the script's {value}")
    words = f"Hint: the {key.split()[-1]} button chattered: "
    if key.startswith("Button ") and any(h.startswith(words) for h in hints) != (want["chatter"] != "0"):
        problems.append(f"{key}: chatter={want['chatter']} but {'no' if want['chatter'] != '0' else 'a'} hint")
for p in problems + late:
    print("button_check:", p)
sys.exit(1 if problems else 3 if late else 0)
