#!/usr/bin/env python3
"""Keeps the documentation's examples what the program really prints. Each
example is a block of README.md or of a page in docs/ between
"<!-- example NAME: ... -->" and "<!-- /example -->" holding lines of one real
run. "write" fills a block from a run's output (scripts/readme-examples.sh);
"check" compares a block with a fresh run of an end-to-end test: line for line
where the run is deterministic (a saved capture), and by shape where it is not
(a live measurement): the same lines, words and spacing, with numbers of the
same form in the same places. DOCS is one Markdown file, or the source tree,
whose README.md and docs/*.md are searched for the block (one file holds it).
Usage: readme_examples.py write|check DOCS NAME OUTPUT"""
import glob
import os
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
    "help": (whole, False),  # by shape: the version line changes with each release
    "demo": (demo_jig, False),
    "console-status": (last_status, False),
    "console-summary": (summary, False),
    "pcap": (whole, True),
    "compare": (whole, True),
}


# A live run under Wine may find the report clock or be refused one (the jig's
# timing decides): either line, whole and with its keys, has the one shape.
CLOCK = re.compile(r"Report clock: (period_us=\d+\.\d{3} rate_hz=\d+\.\d drift_ppm=[+-]\d+ "
                   r"filled=\d+\.\d% jitter_p50_us=\d+\.\d jitter_p99_us=\d+\.\d|none \([a-z0-9 ,]+\))$")


def shape(line):
    """Numbers become 9 with their decimals kept (1000.0 and 512.5 alike), and
    the padding before a number one space (the fields are right-aligned)."""
    if CLOCK.match(line):
        return "Report clock: (either form)"
    line = re.sub(r" +(?=\d)", " ", line)
    return re.sub(r"\d+(\.\d+)?", lambda m: "9" + re.sub(r"\d", "9", m.group(1) or ""), line)


def opening(name):
    return f"<!-- example {name}:"


def page_of(docs, name):
    """The one file that holds the example: DOCS itself, or in a source tree
    the README or a docs/ page, so that a block can move between them."""
    if not os.path.isdir(docs):
        return docs
    pages = [os.path.join(docs, "README.md")] + sorted(glob.glob(os.path.join(docs, "docs", "*.md")))
    holding = [page for page in pages
               if os.path.isfile(page) and any(line.startswith(opening(name))
                                               for line in open(page, encoding="utf-8"))]
    if len(holding) != 1:
        sys.exit(f"{docs}: the example '{name}' is in {len(holding)} of README.md and docs/*.md, not 1"
                 + (f" ({', '.join(holding)})" if holding else ""))
    return holding[0]


def block_span(page, path, name):
    start = next((i for i, line in enumerate(page) if line.startswith(opening(name))), None)
    if start is None:
        sys.exit(f"{path} has no example '{name}'")
    end = next((i for i in range(start, len(page)) if page[i] == "<!-- /example -->"), None)
    if end is None:
        sys.exit(f"{path}: the example '{name}' has no end")
    return start, end


def block_lines(readme, start, end):
    return [line[4:] if line.startswith("    ") else line for line in whole(readme[start + 2:end])]


def main(mode, docs, name, output_path):
    select, exact = EXAMPLES[name]
    run = [line.rstrip() for line in select(lines_of(output_path))]
    if not run:
        sys.exit(f"{output_path}: no lines for the example '{name}'")
    path = page_of(docs, name)
    page = open(path, encoding="utf-8").read().split("\n")
    start, end = block_span(page, path, name)
    if mode == "write":
        body = ["    " + line if line else "" for line in run]
        page[start + 1:end] = [""] + body + [""]
        open(path, "w", encoding="utf-8").write("\n".join(page))
        return 0
    shown = block_lines(page, start, end)
    form = (lambda line: line) if exact else shape
    if [form(line) for line in shown] == [form(line) for line in run]:
        return 0
    print(f"{path}: the example '{name}' is not what the program prints now ({output_path}):")
    for a, b in zip(shown + [""] * len(run), run + [""] * len(shown)):
        if form(a) != form(b):
            print(f"  shown: {a}\n  run:   {b}")
            break
    return 1


if __name__ == "__main__":
    if len(sys.argv) != 5 or sys.argv[1] not in ("write", "check") or sys.argv[3] not in EXAMPLES:
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
