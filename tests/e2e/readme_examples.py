#!/usr/bin/env python3
"""Keeps the README's examples what the program really prints. Each example is
a block of README.md between "<!-- example NAME: ... -->" and "<!-- /example -->"
holding lines of one real run. "write" fills a block from a run's output
(scripts/readme-examples.sh); "check" compares a block with a fresh run of an
end-to-end test: line for line where the run is deterministic (a saved
capture), and by shape where it is not (a live measurement): the same lines,
words and spacing, with numbers of the same form in the same places.
Usage: readme_examples.py write|check README NAME OUTPUT"""
import re
import sys


def lines_of(path):
    text = open(path, encoding="utf-8").read()
    # A status line is rewritten in place with carriage returns: each is a line.
    return [line for line in re.split(r"\r\n|\r|\n", text)]


def last_status(lines):
    status = [line for line in lines if line.startswith("Avg=")]
    return status[-1:]


def summary(lines):
    start = next((i for i, line in enumerate(lines) if line.startswith("Background reports: ")), None)
    if start is None:
        return []
    end = next((i for i in range(start, len(lines)) if lines[i].startswith("While moving: ")), start)
    return lines[start:end + 1]


def demo_jig(lines):
    return [line for line in lines if line.startswith(("Pointer jig: ", "Reached the program: "))]


def whole(lines):
    while lines and not lines[-1]:
        lines = lines[:-1]
    return lines


# name: (which lines of a run make the example, compared line for line)
EXAMPLES = {
    "demo": (demo_jig, False),
    "console-status": (last_status, False),
    "console-summary": (summary, False),
    "pcap": (whole, True),
    "compare": (whole, True),
}


# A live run under Wine may find the report clock or be refused one (the jig's
# timing decides): either line, whole and with its keys, has the one shape.
CLOCK = re.compile(r"Report clock: (period_us=\d+\.\d{3} rate_hz=\d+\.\d drift_ppm=[+-]\d+ "
                   r"filled=\d+\.\d% jitter_p50_us=\d+\.\d jitter_p99_us=\d+\.\d|none \([a-z0-9 ]+\))$")


def shape(line):
    """Numbers become 9 with their decimals kept (1000.0 and 512.5 alike), and
    the padding before a number one space (the fields are right-aligned)."""
    if CLOCK.match(line):
        return "Report clock: (either form)"
    line = re.sub(r" +(?=\d)", " ", line)
    return re.sub(r"\d+(\.\d+)?", lambda m: "9" + re.sub(r"\d", "9", m.group(1) or ""), line)


def block_span(readme, name):
    start = next((i for i, line in enumerate(readme) if line.startswith(f"<!-- example {name}:")), None)
    if start is None:
        sys.exit(f"README has no example '{name}'")
    end = next((i for i in range(start, len(readme)) if readme[i] == "<!-- /example -->"), None)
    if end is None:
        sys.exit(f"README's example '{name}' has no end")
    return start, end


def block_lines(readme, start, end):
    return [line[4:] if line.startswith("    ") else line for line in whole(readme[start + 2:end])]


def main(mode, readme_path, name, output_path):
    select, exact = EXAMPLES[name]
    run = [line.rstrip() for line in select(lines_of(output_path))]
    if not run:
        sys.exit(f"{output_path}: no lines for the example '{name}'")
    readme = open(readme_path, encoding="utf-8").read().split("\n")
    start, end = block_span(readme, name)
    if mode == "write":
        body = ["    " + line if line else "" for line in run]
        readme[start + 1:end] = [""] + body + [""]
        open(readme_path, "w", encoding="utf-8").write("\n".join(readme))
        return 0
    shown = block_lines(readme, start, end)
    form = (lambda line: line) if exact else shape
    if [form(line) for line in shown] == [form(line) for line in run]:
        return 0
    print(f"README example '{name}' is not what the program prints now ({output_path}):")
    for a, b in zip(shown + [""] * len(run), run + [""] * len(shown)):
        if form(a) != form(b):
            print(f"  README: {a}\n  run:    {b}")
            break
    return 1


if __name__ == "__main__":
    if len(sys.argv) != 5 or sys.argv[1] not in ("write", "check") or sys.argv[3] not in EXAMPLES:
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
