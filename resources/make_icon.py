#!/usr/bin/env python3
"""Draws the application icon: a radio mast sending waves, on a rounded tile.

Writes APP.png (421 x 421, 8-bit RGBA) for the window and APP.ico (a 256 x 256
PNG inside an ICO container) for the Windows file icon. Standard library only.
"""
import math
import os
import struct
import zlib

SUPERSAMPLE = 4


def shape_colour(x, y):
    """Colour (r, g, b, a) at a point of the unit square, y growing downwards."""
    # Rounded tile.
    r = 0.16
    cx = min(max(x, r), 1 - r)
    cy = min(max(y, r), 1 - r)
    if (x - cx) ** 2 + (y - cy) ** 2 > r * r:
        return (0, 0, 0, 0)
    # Waves: three arcs around the mast head, opening to both sides.
    hx, hy = 0.5, 0.42
    d = math.hypot(x - hx, y - hy)
    angle = abs(math.degrees(math.atan2(y - hy, abs(x - hx))))
    for radius in (0.13, 0.22, 0.31):
        if abs(d - radius) < 0.027 and angle < 42:
            return (255, 255, 255, 255)
    # Mast head.
    if d < 0.055:
        return (255, 210, 80, 255)
    # Mast: a narrow triangle down to the base.
    if 0.42 < y < 0.84:
        half = 0.015 + (y - 0.42) * 0.22
        if abs(x - 0.5) < half and abs(x - 0.5) > half - 0.035:
            return (255, 255, 255, 255)
        if abs(y - 0.63) < 0.014 and abs(x - 0.5) < half:
            return (255, 255, 255, 255)
    # Background: a vertical gradient from teal to deep blue.
    t = y
    return (int(20 + 10 * t), int(140 - 80 * t), int(170 - 30 * t), 255)


def render(size):
    rows = []
    n = SUPERSAMPLE
    for py in range(size):
        row = bytearray([0])  # PNG filter: none
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(n):
                for sx in range(n):
                    c = shape_colour((px + (sx + 0.5) / n) / size, (py + (sy + 0.5) / n) / size)
                    a = c[3]
                    acc[0] += c[0] * a
                    acc[1] += c[1] * a
                    acc[2] += c[2] * a
                    acc[3] += a
            alpha = acc[3] / (n * n)
            if acc[3]:
                row += bytes((acc[0] // acc[3], acc[1] // acc[3], acc[2] // acc[3], int(alpha + 0.5)))
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return b"".join(rows)


def png(size):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(render(size), 9)) + chunk(b"IEND", b""))


def ico(png_bytes):
    # One image; width and height 0 mean 256.
    entry = struct.pack("<BBBBHHII", 0, 0, 0, 0, 1, 32, len(png_bytes), 6 + 16)
    return struct.pack("<HHH", 0, 1, 1) + entry + png_bytes


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "APP.png"), "wb") as f:
        f.write(png(421))
    with open(os.path.join(here, "APP.ico"), "wb") as f:
        f.write(ico(png(256)))


if __name__ == "__main__":
    main()
