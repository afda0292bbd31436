#!/usr/bin/env python3
"""Writes pelmirt.ico: the broom glyph on an emerald rounded square, in the sizes Windows asks for.

Pure standard library. Shapes are described once in a 256 x 256 space and rasterised at each size with
8 x 8 supersampling, so small sizes stay smooth. Sizes up to 64 are stored as 32-bit DIBs (every Windows
version and Wine read them); 256 is stored as PNG, as the format allows for large entries.

Usage: make_icon.py OUTPUT.ico
"""
import math
import struct
import sys
import zlib

SIZES = (16, 20, 24, 32, 40, 48, 64, 256)
SAMPLES = 8

BACKGROUND = (0x10, 0xA3, 0x73)   # emerald
BROOM = (0xFF, 0xFF, 0xFF)
BAND = (0xFD, 0xD8, 0x5C)         # the binding between handle and bristles


def rounded_square(x, y):
    r, lo, hi = 56.0, 8.0, 248.0
    cx = min(max(x, lo + r), hi - r)
    cy = min(max(y, lo + r), hi - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r and lo <= x <= hi and lo <= y <= hi


def inside_polygon(points, x, y):
    inside = False
    j = len(points) - 1
    for i, (xi, yi) in enumerate(points):
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


def thick_segment(ax, ay, bx, by, half):
    """The quadrilateral around a segment, as a polygon."""
    dx, dy = bx - ax, by - ay
    length = math.hypot(dx, dy)
    nx, ny = -dy / length * half, dx / length * half
    return [(ax + nx, ay + ny), (bx + nx, by + ny), (bx - nx, by - ny), (ax - nx, ay - ny)]


# The broom leans to the right: handle from the upper right down to the band, bristles fanning below.
HANDLE = thick_segment(190, 44, 132, 138, 11)
BAND_SHAPE = thick_segment(140, 126, 118, 162, 24)
BRISTLES = [(104, 150), (152, 178), (150, 222), (60, 222), (48, 206)]
GAPS = [thick_segment(128, 170, 112, 220, 3), thick_segment(106, 162, 84, 220, 3)]


def colour_at(x, y):
    """Colour of one sample, or None when it is outside the icon."""
    if not rounded_square(x, y):
        return None
    if inside_polygon(BAND_SHAPE, x, y):
        return BAND
    if inside_polygon(HANDLE, x, y):
        return BROOM
    if inside_polygon(BRISTLES, x, y) and not any(inside_polygon(g, x, y) for g in GAPS):
        return BROOM
    return BACKGROUND


def render(size):
    """Rows of premultiplied-free RGBA pixels, top row first."""
    rows = []
    step = 256.0 / size / SAMPLES
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = count = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = colour_at((px * SAMPLES + sx + 0.5) * step, (py * SAMPLES + sy + 0.5) * step)
                    if c is not None:
                        r, g, b, count = r + c[0], g + c[1], b + c[2], count + 1
            if count:
                row.append((r // count, g // count, b // count, count * 255 // (SAMPLES * SAMPLES)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def dib_entry(size, rows):
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b''.join(bytes((p[2], p[1], p[0], p[3])) for row in reversed(rows) for p in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytes(mask_stride * size)   # the alpha channel decides; the AND mask is all "opaque"
    return header + pixels + mask


def png_entry(size, rows):
    raw = b''.join(b'\x00' + bytes(c for p in row for c in p) for row in rows)

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))

    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def main():
    images = []
    for size in SIZES:
        rows = render(size)
        images.append((size, png_entry(size, rows) if size >= 256 else dib_entry(size, rows)))
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        dim = 0 if size >= 256 else size
        out += struct.pack('<BBBBHHII', dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b''.join(data for _, data in images)
    with open(sys.argv[1], 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main()
