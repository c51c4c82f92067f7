#!/usr/bin/env python3
"""Derives a program-layer CSV from a real capture and the figures --compare
must print for it, computed here from the definitions, independently of the
program. Each report of ENDPOINT is delivered 300 to 360 us after it; every
10th is merged into the next delivery and every 25th delivery is doubled.
Usage: compare_check.py CAPTURE ENDPOINT CSV_OUT EXPECTED_OUT
Its capture walk and nearest rank serve compare_reads.py too."""
import math
import struct
import sys


def completions(path):
    """(ts_us, bus, device, endpoint) of interrupt-IN completions with data."""
    data = open(path, "rb").read()
    out = []

    def packet(ts, p):
        if len(p) < 27:
            return
        h = struct.unpack_from("<H", p, 0)[0]
        if h < 27 or h > 256 or h > len(p):
            return
        bus, dev = struct.unpack_from("<HH", p, 17)
        ep, transfer = p[21], p[22]
        if transfer == 1 and ep & 0x80 and p[16] & 1 and struct.unpack_from("<I", p, 23)[0] > 0:
            out.append((ts, bus, dev, ep))

    magic = struct.unpack_from("<I", data, 0)[0]
    if magic == 0xA1B2C3D4:
        off = 24
        while off + 16 <= len(data):
            sec, usec, incl = struct.unpack_from("<III", data, off)
            packet(sec * 1000000 + usec, data[off + 16: off + 16 + incl])
            off += 16 + incl
        return out
    off, res = 0, []
    while off + 12 <= len(data):
        btype, blen = struct.unpack_from("<II", data, off)
        if btype == 1:
            res.append(6)
            o = off + 16
            while o + 4 <= off + blen - 4:
                code, ln = struct.unpack_from("<HH", data, o)
                if code == 0:
                    break
                if code == 9:
                    res[-1] = data[o + 4]
                o += 4 + ((ln + 3) & ~3)
        elif btype == 6:
            iid, hi, lo, cap = struct.unpack_from("<IIII", data, off + 8)
            ts, r = (hi << 32) | lo, res[iid]
            us = ts // 10 ** (r - 6) if r >= 6 else ts * 10 ** (6 - r)
            packet(us, data[off + 28: off + 28 + cap])
        off += blen
    return out


def rank(values, tenths):
    values = sorted(values)
    n = len(values)
    return values[max(1, -(-tenths * n // 1000)) - 1] if n else 0.0


def gap_rates(times):
    gaps = [b - a for a, b in zip(times, times[1:]) if 100 <= b - a <= 50000]
    hz = lambda g: 1000000.0 / g if g else 0.0
    return hz(rank(gaps, 500)), hz(rank(gaps, 990)), hz(rank(gaps, 10))


def main():
    capture, endpoint, csv_out, expected_out = sys.argv[1:5]
    bus, dev, ep = endpoint.split(".")
    key = (int(bus), int(dev), int(ep, 16))
    u = sorted(t for t, *k in completions(capture) if tuple(k) == key)
    p = []
    for i, t in enumerate(u):
        if i % 10 == 9:
            continue  # merged into the next delivery
        p.append(t + 300 + (i % 7) * 10)
        if len(p) % 25 == 0:
            p.append(p[-1] + 5)  # a delivery with no new USB report
    p.sort()
    with open(csv_out, "w", newline="") as f:
        f.write("t_us,slot,interval_us,class,background,utc_us\n")
        for t in p:
            f.write(f"{t - p[0]}.000,1,,accepted,0,{t}\n")

    t0, t1 = max(u[0], p[0]), min(u[-1], p[-1])
    u2 = [t for t in u if t0 <= t <= t1]
    p2 = [t for t in p if t0 <= t <= t1]
    delays = []
    for t in p2:
        before = [x for x in u if x <= t]
        if before and t - before[-1] <= 50000:
            delays.append(float(t - before[-1]))
    k0 = k1 = k2 = merged = 0
    for a, b in zip(p2, p2[1:]):
        k = sum(1 for x in u if a < x <= b)
        if k == 0:
            k0 += 1
        elif k == 1:
            k1 += 1
        else:
            k2 += 1
            merged += k - 1
    zero = sum(1 for a, b in zip(u2, u2[1:]) if a == b)
    coarse = len(u2) > 1 and zero * 100 > (len(u2) - 1) * 20
    um, u1, u99 = gap_rates(u2)
    pm, p1, p99 = gap_rates(p2)
    lines = [
        f"USB layer: endpoint={bus}.{dev}.0x{key[2]:02X} reports={len(u2)} median_hz={um:.1f} p1_hz={u1:.1f} p99_hz={u99:.1f}",
        f"Program layer: reports={len(p2)} median_hz={pm:.1f} p1_hz={p1:.1f} p99_hz={p99:.1f}",
        f"Delivery: matched={len(delays)}" if coarse else
        f"Delivery: matched={len(delays)} delay_p50_us={rank(delays, 500):.1f} delay_p99_us={rank(delays, 990):.1f} delay_max_us={max(delays):.1f}",
        f"Per delivery: k0={k0} k1={k1} k2plus={k2} merged={merged}",
    ]
    open(expected_out, "w").write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
