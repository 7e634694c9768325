#!/usr/bin/env python3
"""Draws the program's icon (a closed tome with a magnifying lens over its
cover) at every size the desktop's icon theme installs: tomelens-N.png, and
tomelens.png for the 64-pixel one that the program also builds in. Only the standard library is
used; the PNGs are kept in the tree, so the build does not need Python. Run
again, in this folder, after changing it."""
import math
import struct
import zlib

DESIGN = 64  # the shapes below are drawn on a 64-unit square
SIZES = (16, 32, 48, 64, 128, 256)
SAMPLES = 4  # supersampling per axis for smooth edges


def inside_round_rect(x, y, x0, y0, x1, y1, r):
    if x < x0 or x > x1 or y < y0 or y > y1:
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def colour_at(x, y):
    """Colour (r, g, b, a) of one sample point; later shapes lie on top."""
    c = None
    # Book: pages edge, then cover.
    if inside_round_rect(x, y, 12, 8, 52, 58, 3):
        c = (240, 230, 200, 255)
    if inside_round_rect(x, y, 10, 6, 48, 56, 4):
        c = (122, 40, 48, 255)
    # Spine band and a gold title plate.
    if 10 <= x <= 15 and 6 <= y <= 56:
        c = (92, 26, 34, 255)
    if inside_round_rect(x, y, 20, 13, 42, 21, 1.5):
        c = (214, 170, 64, 255)
    # Lens: ring, glass, handle.
    dx, dy = x - 36, y - 38
    d = math.hypot(dx, dy)
    along = (dx + dy) / math.sqrt(2)
    across = (dx - dy) / math.sqrt(2)
    if 12 <= along <= 24 and abs(across) <= 2.6:
        c = (60, 60, 66, 255)
    if d <= 12.5:
        c = (50, 50, 56, 255)
    if d <= 9.5:
        c = (170, 210, 235, 235)
        if math.hypot(x - 32.5, y - 34.5) <= 3:
            c = (245, 250, 255, 255)
    return c


def render(size):
    scale = DESIGN / size
    rows = []
    for py in range(size):
        row = bytearray([0])  # filter type: none
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = colour_at((px + (sx + 0.5) / SAMPLES) * scale,
                                  (py + (sy + 0.5) / SAMPLES) * scale)
                    if c:
                        a = c[3]
                        acc[0] += c[0] * a
                        acc[1] += c[1] * a
                        acc[2] += c[2] * a
                        acc[3] += a
            n = SAMPLES * SAMPLES
            alpha = acc[3] // n
            if acc[3]:
                row += bytes([acc[0] // acc[3], acc[1] // acc[3], acc[2] // acc[3], alpha])
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return b"".join(rows)


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def write_png(name, size):
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + \
        chunk(b"IDAT", zlib.compress(render(size), 9)) + chunk(b"IEND", b"")
    with open(name, "wb") as f:
        f.write(png)


def main():
    for size in SIZES:
        write_png("tomelens.png" if size == DESIGN else "tomelens-%d.png" % size, size)


if __name__ == "__main__":
    main()
