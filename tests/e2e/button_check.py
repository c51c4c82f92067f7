#!/usr/bin/env python3
"""Holds a run's Button and Wheel lines to the jig's button script
(xmotion_jig -b logs the lines its really sent events should give): the same
lines, counts equal, times within SLACK ms (Wine stamps a report when the
program reads it, a little after the X server took the event). With
--no-chatter the program counted by a threshold below the script's bounces:
every chatter=0, no chatter hint; otherwise a chatter hint for each button
that chattered. Exit 0: all agree; 3: only times beyond the slack (a loaded
machine: run again); 1: anything else.
Usage: button_check.py OUTPUT JIG_LOG [--no-chatter]"""
import re
import sys

SLACK_MS = 1.5
out_path, log_path = sys.argv[1], sys.argv[2]
no_chatter = "--no-chatter" in sys.argv[3:]
KEYS = re.compile(r"^(Button \w+|H?Wheel): ")


def lines_of(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        text = f.read().replace("\r", "\n")
    lines = [l for l in text.split("\n") if KEYS.match(l)]
    hints = [l for l in text.split("\n") if l.startswith("Hint: ")]
    return {KEYS.match(l).group(1): dict(re.findall(r"(\w+)=(\S+)", l)) for l in lines}, hints


program, hints = lines_of(out_path)
script, _ = lines_of(log_path)
problems, late = [], []
if no_chatter:
    for figures in script.values():
        if "chatter" in figures:
            figures["chatter"] = "0"
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
