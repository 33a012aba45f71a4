#!/usr/bin/env python3
"""Turns demo/logo.txt (a palette legend and a grid of one character per pixel)
into demo/logo.png: 8-bit RGBA, so that the legend's alpha (RRGGBBAA; RRGGBB is
opaque) reaches the packer, which stores a logo with transparency for the
installer stub to blend over its backdrop.

usage: make_demo_logo.py [--check] [SOURCE [OUTPUT]]
  --check  write nothing; exit 1 unless OUTPUT is exactly what SOURCE gives.
"""
import pathlib
import struct
import sys
import zlib

ROOT = pathlib.Path(__file__).resolve().parent.parent
DEFAULT_SOURCE = ROOT / "demo" / "logo.txt"
DEFAULT_OUTPUT = ROOT / "demo" / "logo.png"

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


class LogoError(Exception):
    pass


def parse(text: str):
    """Returns (palette, rows): palette a list of (char, (r, g, b, a)) in legend
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
                raise LogoError(f"line {number}: a palette line is CHAR RRGGBB[AA] [comment]")
            char, colour = fields[0], fields[1]
            if len(colour) not in (6, 8) or any(c not in "0123456789abcdefABCDEF" for c in colour):
                raise LogoError(f"line {number}: {colour!r} is not a RRGGBB or RRGGBBAA colour")
            if any(char == known for known, _ in palette):
                raise LogoError(f"line {number}: {char!r} is in the palette twice")
            if len(colour) == 6:
                colour += "FF"
            palette.append((char, tuple(int(colour[i:i + 2], 16) for i in range(0, 8, 2))))
        else:
            if not line:
                continue
            rows.append((number, line))

    if not palette:
        raise LogoError("no palette")
    if not rows:
        raise LogoError("no pixels")
    width = len(rows[0][1])
    known = {char for char, _ in palette}
    for number, row in rows:
        if len(row) != width:
            raise LogoError(f"line {number}: {len(row)} pixels, the first row has {width}")
        for column, char in enumerate(row):
            if char not in known:
                raise LogoError(f"line {number}, column {column + 1}: {char!r} is not in the palette")
    return palette, [row for _, row in rows]


def _chunk(kind: bytes, data: bytes) -> bytes:
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def build_png(palette, rows) -> bytes:
    colours = dict(palette)
    width, height = len(rows[0]), len(rows)
    # Each row: filter type 0 (none), then R, G, B, A per pixel.
    raw = b"".join(b"\0" + b"".join(bytes(colours[char]) for char in row) for row in rows)
    return png(width, height, raw)


def png(width: int, height: int, filtered_rows: bytes) -> bytes:
    """An 8-bit RGBA PNG of rows already prefixed with their filter type."""
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # not interlaced
    return (PNG_SIGNATURE + _chunk(b"IHDR", header) + _chunk(b"IDAT", zlib.compress(filtered_rows, 9)) +
            _chunk(b"IEND", b""))


def generate(argv, doc, tool, default_source, default_output, build, errors) -> int:
    """The command line of a generator script: `build(text)` of the SOURCE text
    written to OUTPUT, or with --check, whether OUTPUT already holds it."""
    check = "--check" in argv
    paths = [a for a in argv if a != "--check"]
    if len(paths) > 2 or any(p.startswith("-") for p in paths):
        print(doc, file=sys.stderr)
        return 2
    source = pathlib.Path(paths[0]) if paths else default_source
    output = pathlib.Path(paths[1]) if len(paths) > 1 else default_output
    try:
        made = build(source.read_text(encoding="ascii"))
    except (OSError, UnicodeDecodeError) + errors as error:
        print(f"{tool}: {source}: {error}", file=sys.stderr)
        return 1
    if check:
        if not output.exists() or output.read_bytes() != made:
            print(f"{tool}: {output} is not what {source} gives; run scripts/{tool}.py", file=sys.stderr)
            return 1
        return 0
    output.write_bytes(made)
    print(f"{tool}: wrote {output} ({len(made)} bytes)")
    return 0


def main(argv) -> int:
    return generate(argv, __doc__, "make_demo_logo", DEFAULT_SOURCE, DEFAULT_OUTPUT,
                    lambda text: build_png(*parse(text)), (LogoError,))


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
