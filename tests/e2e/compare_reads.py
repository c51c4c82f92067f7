#!/usr/bin/env python3
"""Derives from a real capture a run CSV in which the program read the mouse's
reports as the reader does at high rates: every report reaches the program,
in reads of 1 to 4 reports (sizes drawn from a seeded PRNG, seed 7919 unless
given), each read stamped at its last report's USB time + 300 us. Writes the
Delivery and Per delivery lines --compare must print for it, computed here
from the definitions: nothing merged, nothing unsourced.
Usage: compare_reads.py CAPTURE ENDPOINT CSV_OUT EXPECTED_OUT [SEED]"""
import random
import sys

from compare_check import completions, rank

SEED = 7919
AFTER_US = 300


def reads_of(u, seed):
    """[(stamp, [usb times of its reports])] in order. A read ends before a
    pause (over 50 ms): the reader would have taken what came before it."""
    rng, reads, i = random.Random(seed), [], 0
    while i < len(u):
        own = u[i:i + rng.randint(1, 4)]
        for n in range(1, len(own)):
            if own[n] - own[n - 1] > 50000:
                own = own[:n]
                break
        reads.append((own[-1] + AFTER_US, own))
        i += len(own)
    return reads


def kind(gap):
    return "coalesced" if gap < 100 else "accepted" if gap <= 50000 else "pause"


def write_csv(path, reads):
    """The console's CSV: t_us from the first row, interval and class as it
    writes them, utc_us the read's stamp."""
    first, prev = reads[0][0], None
    with open(path, "w", newline="") as f:
        f.write("t_us,slot,interval_us,class,background,utc_us,dx,dy,buttons,wheel,flags\n")
        for stamp, own in reads:
            for _ in own:
                interval = "" if prev is None else f"{stamp - prev}.000"
                cls = "first" if prev is None else kind(stamp - prev)
                f.write(f"{stamp - first}.000,1,{interval},{cls},0,{stamp},1,0,0,0,0\n")
                prev = stamp


def expected(reads, u):
    """Delivery and Per delivery over the common span: it ends at the last
    USB report, so the last read, stamped after it, is not in it; the first
    read is not counted as a delivery."""
    inside = [r for r in reads if r[0] <= u[-1]]
    delays = [float(stamp - t) for stamp, own in inside for t in own if stamp - t <= 50000]
    counted = inside[1:]
    k1 = sum(1 for _, own in counted if len(own) == 1)
    several = sum(1 for _, own in counted if len(own) > 1)
    return [
        f"Delivery: matched={len(delays)} delay_p50_us={rank(delays, 500):.1f} "
        f"delay_p99_us={rank(delays, 990):.1f} delay_max_us={max(delays):.1f}",
        f"Per delivery: k0=0 k1={k1} k2plus={several} merged=0 unsourced=0 "
        f"reads_of_several={several}",
    ]


def main():
    capture, endpoint, csv_out, expected_out = sys.argv[1:5]
    seed = int(sys.argv[5]) if len(sys.argv) > 5 else SEED
    bus, dev, ep = endpoint.split(".")
    key = (int(bus), int(dev), int(ep, 16))
    u = sorted(t for t, *k in completions(capture) if tuple(k) == key)
    reads = reads_of(u, seed)
    write_csv(csv_out, reads)
    with open(expected_out, "w") as f:
        f.write("\n".join(expected(reads, u)) + "\n")


if __name__ == "__main__":
    main()
