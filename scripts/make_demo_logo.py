#!/usr/bin/env python3
"""Turns demo/logo.txt (a palette legend and a grid of one character per pixel)
into demo/logo.bmp: a bottom-up, uncompressed Windows bitmap with 4 bits per
pixel (up to 16 colours) or 8 (up to 256), and a colour table of exactly 2^bits
entries, which is the layout the installer stub draws once the packer has taken
off the file header.

usage: make_demo_logo.py [--check] [SOURCE [OUTPUT]]
  --check  write nothing; exit 1 unless OUTPUT is exactly what SOURCE gives.
"""
import pathlib
import struct
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
DEFAULT_SOURCE = ROOT / "demo" / "logo.txt"
DEFAULT_OUTPUT = ROOT / "demo" / "logo.bmp"

FILE_HEADER_SIZE = 14
INFO_HEADER_SIZE = 40
PIXELS_PER_METRE = 2835  # 72 dots per inch


class LogoError(Exception):
    pass


def parse(text: str):
    """Returns (palette, rows): palette a list of (char, (r, g, b)) in legend
    order, rows a list of equal-length strings, top row first."""
    palette = []
    rows = []
    section = None
    for number, raw in enumerate(text.splitlines(), start=1):
        line = raw.rstrip("\r")
        if section != "pixels":
            stripped = line.strip()
            if not stripped or stripped.startswith("#"):
                continue
            if stripped in ("palette", "pixels"):
                section = stripped
                continue
            if section != "palette":
                raise LogoError(f"line {number}: expected 'palette' before {stripped!r}")
            fields = stripped.split(None, 2)
            if len(fields) < 2 or len(fields[0]) != 1:
                raise LogoError(f"line {number}: a palette line is CHAR RRGGBB [comment]")
            char, colour = fields[0], fields[1]
            if len(colour) != 6 or any(c not in "0123456789abcdefABCDEF" for c in colour):
                raise LogoError(f"line {number}: {colour!r} is not a RRGGBB colour")
            if any(char == known for known, _ in palette):
                raise LogoError(f"line {number}: {char!r} is in the palette twice")
            value = int(colour, 16)
            palette.append((char, (value >> 16, (value >> 8) & 0xFF, value & 0xFF)))
        else:
            if not line:
                continue
            rows.append((number, line))

    if not palette:
        raise LogoError("no palette")
    if not rows:
        raise LogoError("no pixels")
    if len(palette) > 256:
        raise LogoError(f"{len(palette)} colours; a bitmap with a palette holds 256 at most")
    width = len(rows[0][1])
    known = {char for char, _ in palette}
    for number, row in rows:
        if len(row) != width:
            raise LogoError(f"line {number}: {len(row)} pixels, the first row has {width}")
        for column, char in enumerate(row):
            if char not in known:
                raise LogoError(f"line {number}, column {column + 1}: {char!r} is not in the palette")
    return palette, [row for _, row in rows]


def build_bitmap(palette, rows) -> bytes:
    bits = 4 if len(palette) <= 16 else 8
    entries = 1 << bits
    width, height = len(rows[0]), len(rows)
    index = {char: i for i, (char, _) in enumerate(palette)}

    stride = (width * bits + 31) // 32 * 4
    pixels = bytearray()
    # Bottom-up: the last row of the picture comes first in the file.
    for row in reversed(rows):
        line = bytearray(stride)
        for x, char in enumerate(row):
            if bits == 8:
                line[x] = index[char]
            else:
                line[x // 2] |= index[char] << (4 if x % 2 == 0 else 0)
        pixels += line

    table = bytearray()
    for _, (red, green, blue) in palette:
        table += bytes((blue, green, red, 0))
    table += bytes(4 * (entries - len(palette)))

    offset = FILE_HEADER_SIZE + INFO_HEADER_SIZE + len(table)
    info = struct.pack("<IiiHHIIiiII", INFO_HEADER_SIZE, width, height, 1, bits, 0,  # BI_RGB
                       len(pixels), PIXELS_PER_METRE, PIXELS_PER_METRE,
                       0, 0)  # 0 colours used means all 2^bits
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + bytes(table) + bytes(pixels)


def main(argv) -> int:
    check = "--check" in argv
    paths = [a for a in argv if a != "--check"]
    if len(paths) > 2 or any(p.startswith("-") for p in paths):
        print(__doc__, file=sys.stderr)
        return 2
    source = pathlib.Path(paths[0]) if paths else DEFAULT_SOURCE
    output = pathlib.Path(paths[1]) if len(paths) > 1 else DEFAULT_OUTPUT
    try:
        bitmap = build_bitmap(*parse(source.read_text(encoding="ascii")))
    except (OSError, UnicodeDecodeError, LogoError) as error:
        print(f"make_demo_logo: {source}: {error}", file=sys.stderr)
        return 1
    if check:
        if not output.exists() or output.read_bytes() != bitmap:
            print(f"make_demo_logo: {output} is not what {source} gives; run scripts/make_demo_logo.py",
                  file=sys.stderr)
            return 1
        return 0
    output.write_bytes(bitmap)
    print(f"make_demo_logo: wrote {output} ({len(bitmap)} bytes)")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
