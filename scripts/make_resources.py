#!/usr/bin/env python3
"""Turns the text pictures in res/ into the stub's icon and cursor files.

res/installer_icon.txt -> res/installer.ico  (32x32, 16 colours, with a transparency mask)
res/invisible_cursor.txt -> res/invisible.cur (32x32, monochrome, with a hot spot)

Both outputs are kept in the repository next to their sources; run this script after
changing a picture. With --check it only verifies that the kept files match their
sources and exits with status 1 when they do not.
"""

import argparse
import pathlib
import struct
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent

# The standard 16-colour palette, as (red, green, blue).
STANDARD_PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]

# Monochrome cursor pixels as (AND bit, XOR bit).
CURSOR_PIXELS = {".": (1, 0), "K": (0, 0), "W": (0, 1), "I": (1, 1)}


class Picture:
    def __init__(self, path):
        self.path = path
        self.width = self.height = None
        self.keys = {}
        self.hotspot = None
        self.rows = []
        for number, line in enumerate(path.read_text().splitlines(), 1):
            if not line.strip() or line.startswith("#"):
                continue
            words = line.split()
            if words[0] == "size" and len(words) == 3:
                self.width, self.height = int(words[1]), int(words[2])
            elif words[0] == "key" and len(words) >= 3:
                self.keys[words[1]] = None if words[2] == "transparent" else int(words[2])
            elif words[0] == "hotspot" and len(words) == 3:
                self.hotspot = (int(words[1]), int(words[2]))
            else:
                if self.width is None or len(line) != self.width:
                    self.fail(number, "a picture row must be exactly as wide as 'size' says")
                self.rows.append(line)
        if self.width is None or len(self.rows) != self.height:
            self.fail(0, "expected %s rows" % self.height)

    def fail(self, line, message):
        sys.exit("%s:%d: %s" % (self.path, line, message))


def bitmap_header(width, height, bit_count, image_size):
    # The stored height counts both the colour (or XOR) half and the AND mask.
    return struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, bit_count, 0, image_size, 0, 0, 0, 0)


def row_bytes(width, bit_count):
    return (width * bit_count + 31) // 32 * 4


def pack_rows(rows, bit_count, value_of):
    """Packs pixel rows bottom-up, each padded to a multiple of four bytes."""
    out = bytearray()
    for row in reversed(rows):
        bits = 0
        count = 0
        packed = bytearray()
        for ch in row:
            bits = (bits << bit_count) | value_of(ch)
            count += bit_count
            if count == 8:
                packed.append(bits)
                bits = count = 0
        if count:
            packed.append(bits << (8 - count))
        packed.extend(b"\0" * (row_bytes(len(row), bit_count) - len(packed)))
        out += packed
    return bytes(out)


def make_icon(picture):
    for ch in set("".join(picture.rows)):
        if ch not in picture.keys:
            picture.fail(0, "character %r has no key" % ch)

    def colour(ch):
        index = picture.keys[ch]
        return 0 if index is None else index

    def mask(ch):
        return 1 if picture.keys[ch] is None else 0

    w, h = picture.width, picture.height
    colour_bits = pack_rows(picture.rows, 4, colour)
    mask_bits = pack_rows(picture.rows, 1, mask)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in STANDARD_PALETTE)
    image = bitmap_header(w, h, 4, len(colour_bits) + len(mask_bits)) + palette + colour_bits + mask_bits
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", w % 256, h % 256, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def make_cursor(picture):
    if picture.hotspot is None:
        picture.fail(0, "a cursor needs a 'hotspot' line")
    for ch in set("".join(picture.rows)):
        if ch not in CURSOR_PIXELS:
            picture.fail(0, "character %r is not a cursor pixel" % ch)
    w, h = picture.width, picture.height
    xor_bits = pack_rows(picture.rows, 1, lambda ch: CURSOR_PIXELS[ch][1])
    and_bits = pack_rows(picture.rows, 1, lambda ch: CURSOR_PIXELS[ch][0])
    palette = struct.pack("<BBBBBBBB", 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0)
    image = bitmap_header(w, h, 1, len(xor_bits) + len(and_bits)) + palette + xor_bits + and_bits
    directory = struct.pack("<HHH", 0, 2, 1)
    # In a cursor file the planes and bit-count fields of the entry hold the hot spot.
    entry = struct.pack("<BBBBHHII", w % 256, h % 256, 2, 0, picture.hotspot[0], picture.hotspot[1],
                        len(image), 6 + 16)
    return directory + entry + image


OUTPUTS = [
    ("res/installer_icon.txt", "res/installer.ico", make_icon),
    ("res/invisible_cursor.txt", "res/invisible.cur", make_cursor),
]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true", help="only compare the kept files with their sources")
    args = parser.parse_args()
    stale = []
    for source, target, make in OUTPUTS:
        data = make(Picture(ROOT / source))
        path = ROOT / target
        if args.check:
            if not path.exists() or path.read_bytes() != data:
                stale.append(target)
        else:
            path.write_bytes(data)
    if stale:
        sys.exit("out of date (run scripts/make_resources.py): " + ", ".join(stale))


if __name__ == "__main__":
    main()
