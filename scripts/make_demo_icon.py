#!/usr/bin/env python3
"""Draws demo/saver/saver_icon.txt (a few shapes: a rounded square, orbs and
stars, in fractions of the icon's side) into demo/saver/saver.ico, the demo
saver's icon: 16, 32 and 48 pixels as 32-bit bitmaps with alpha (and the AND
mask older Windows wants), 256 pixels as a PNG, which is how Windows keeps its
large icons. Edges are smoothed by the pixel's coverage of each shape.

usage: make_demo_icon.py [--check] [SOURCE [OUTPUT]]
  --check  write nothing; exit 1 unless OUTPUT is exactly what SOURCE gives.
"""
import math
import pathlib
import struct
import sys

sys.dont_write_bytecode = True  # keep the source tree clean
import make_demo_logo  # noqa: E402  (the PNG writer and the command line)

ROOT = pathlib.Path(__file__).resolve().parent.parent
DEFAULT_SOURCE = ROOT / "demo" / "saver" / "saver_icon.txt"
DEFAULT_OUTPUT = ROOT / "demo" / "saver" / "saver.ico"
BITMAP_SIZES = (16, 32, 48)
PNG_SIZE = 256


class IconError(Exception):
    pass


def colour(text, number):
    if len(text) != 6 or any(c not in "0123456789abcdefABCDEF" for c in text):
        raise IconError(f"line {number}: {text!r} is not a RRGGBB colour")
    return tuple(int(text[i:i + 2], 16) / 255 for i in (0, 2, 4))


def parse(text):
    """The shapes in drawing order: ("square", l, t, r, b, corner, top, bottom),
    ("orb", x, y, radius, rgb), ("star", x, y, radius, min_size)."""
    shapes = []
    arity = {"square": 7, "orb": 4, "star": 4}
    for number, line in enumerate(text.splitlines(), start=1):
        words = line.split()
        if not words or words[0].startswith("#"):
            continue
        kind, values = words[0], words[1:]
        if kind not in arity or len(values) != arity[kind]:
            raise IconError(f"line {number}: expected one of square/orb/star with its {arity.get(kind, '?')} values")
        try:
            if kind == "square":
                shapes.append((kind, *map(float, values[:5]), colour(values[5], number), colour(values[6], number)))
            elif kind == "orb":
                shapes.append((kind, *map(float, values[:3]), colour(values[3], number)))
            else:
                shapes.append((kind, *map(float, values[:3]), int(values[3])))
        except ValueError:
            raise IconError(f"line {number}: {line.strip()!r} has a value that is not a number")
    if not shapes or shapes[0][0] != "square":
        raise IconError("the first shape must be the square everything is drawn in")
    return shapes


def coverage(distance):
    """How much of a pixel lies inside a shape whose edge is `distance` pixels
    away from its centre (negative inside)."""
    return min(1.0, max(0.0, 0.5 - distance))


def over(below, rgb, alpha):
    r, g, b, a = below
    out = alpha + a * (1 - alpha)
    if out == 0:
        return (0.0, 0.0, 0.0, 0.0)
    mix = [(c * alpha + d * a * (1 - alpha)) / out for c, d in zip(rgb, (r, g, b))]
    return (*mix, out)


def draw(shapes, size):
    """Rows of (r, g, b, a) in 0..1, top row first."""
    (_, left, top, right, bottom, corner, top_rgb, bottom_rgb), rest = shapes[0], shapes[1:]
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            x, y = (px + 0.5) / size, (py + 0.5) / size
            # The rounded square: the distance to its edge, in pixels.
            qx = max(abs(x - (left + right) / 2) - ((right - left) / 2 - corner), 0)
            qy = max(abs(y - (top + bottom) / 2) - ((bottom - top) / 2 - corner), 0)
            inside = coverage((math.hypot(qx, qy) - corner) * size)
            t = min(1.0, max(0.0, (y - top) / (bottom - top)))
            pixel = (*[a + (b - a) * t for a, b in zip(top_rgb, bottom_rgb)], 1.0)
            for shape in rest:
                if shape[0] == "star":
                    _, sx, sy, radius, min_size = shape
                    if size >= min_size:
                        d = (math.hypot(x - sx, y - sy) - radius) * size
                        pixel = over(pixel, (1.0, 1.0, 1.0), coverage(d) * 0.9)
                    continue
                _, ox, oy, radius, rgb = shape
                d = math.hypot(x - ox, y - oy)
                glow = max(0.0, 1 - (d - radius) / (radius * 0.6)) if d > radius else 0.0
                pixel = over(pixel, rgb, 0.45 * glow * glow)
                heart = max(0.0, 1 - d / radius) ** 2
                shaded = [c + (1 - c) * heart * 0.8 for c in rgb]
                pixel = over(pixel, shaded, coverage((d - radius) * size))
            row.append((*pixel[:3], pixel[3] * inside))
        rows.append(row)
    return rows


def to_bytes(value):
    return max(0, min(255, round(value * 255)))


def bitmap_image(rows):
    """A 32-bit icon image: BITMAPINFOHEADER (its height counting the mask too),
    BGRA rows bottom-up, then the AND mask, set where a pixel is transparent."""
    size = len(rows)
    colours = b"".join(bytes((to_bytes(b), to_bytes(g), to_bytes(r), to_bytes(a)))
                       for row in reversed(rows) for r, g, b, a in row)
    mask_row = (size + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_row)
        for x, pixel in enumerate(row):
            if to_bytes(pixel[3]) == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(colours) + len(mask), 0, 0, 0, 0)
    return header + colours + bytes(mask)


def png_image(rows):
    size = len(rows)
    # Each row filtered "Up" (filter type 2: the difference from the row above),
    # which suits a vertical gradient: the PNG is a fraction of the size.
    raw, above = bytearray(), bytes(size * 4)
    for row in rows:
        line = bytes(to_bytes(v) for pixel in row for v in pixel)
        raw += b"\2" + bytes((c - u) & 0xFF for c, u in zip(line, above))
        above = line
    return make_demo_logo.png(size, size, bytes(raw))


def build_ico(shapes):
    images = [(size, bitmap_image(draw(shapes, size))) for size in BITMAP_SIZES]
    images.append((PNG_SIZE, png_image(draw(shapes, PNG_SIZE))))
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for size, data in images:
        # A width or height of 256 is written as 0.
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return directory + entries + b"".join(data for _, data in images)


def main(argv):
    return make_demo_logo.generate(argv, __doc__, "make_demo_icon", DEFAULT_SOURCE, DEFAULT_OUTPUT,
                                   lambda text: build_ico(parse(text)), (IconError,))


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
