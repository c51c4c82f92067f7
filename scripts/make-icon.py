#!/usr/bin/env python3
"""Draws Quorvin's icon (app/quorvin.ico): four rising bars in the panel's
histogram colours on a dark rounded square, at 16, 32, 48 and 256 pixels.
Run by hand when the mark changes; the build uses the committed file."""
import struct
import sys
import zlib

BACKGROUND = (0x1E, 0x24, 0x30)
# RGB of the panel's cyan, green, light green and gold buckets
BARS = [(0xEB, 0xC3, 0x3C), (0x32, 0xC8, 0x8C), (0x3C, 0xE6, 0x78), (0x50, 0xDC, 0xDC)]
HEIGHTS = [0.40, 0.60, 0.80, 1.00]


def shape_at(x, y):
    """Colour and opacity of the mark at (x, y) in the unit square."""
    r = 0.18  # corner radius
    cx = min(max(x, r), 1 - r)
    cy = min(max(y, r), 1 - r)
    if (x - cx) ** 2 + (y - cy) ** 2 > r * r:
        return None
    left, right, bottom, top = 0.16, 0.84, 0.82, 0.18
    pitch = (right - left) / 4
    for i, h in enumerate(HEIGHTS):
        x0 = left + i * pitch + pitch * 0.12
        x1 = left + (i + 1) * pitch - pitch * 0.12
        if x0 <= x <= x1 and bottom - h * (bottom - top) <= y <= bottom:
            return BARS[i]
    return BACKGROUND


def render(size):
    """Rows of (r, g, b, a), top row first, 4x4 supersampled."""
    n = 4
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0]
            hits = 0
            for sy in range(n):
                for sx in range(n):
                    c = shape_at((px + (sx + 0.5) / n) / size, (py + (sy + 0.5) / n) / size)
                    if c:
                        hits += 1
                        for k in range(3):
                            acc[k] += c[k]
            if hits:
                row.append((acc[0] // hits, acc[1] // hits, acc[2] // hits, 255 * hits // (n * n)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def png(size, rows):
    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in rows)
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
    ihdr = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def dib(size, rows):
    """A 32-bit BITMAPINFOHEADER image with its AND mask, bottom row first."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_row = ((size + 31) // 32) * 4
    mask = bytes(mask_row * size)
    return header + pixels + mask


def main(path):
    images = []
    for size in (16, 32, 48, 256):
        rows = render(size)
        images.append((size, png(size, rows) if size == 256 else dib(size, rows)))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(data for _, data in images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "app/quorvin.ico")
