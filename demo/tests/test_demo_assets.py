#!/usr/bin/env python3
"""Tests of the demo's assets: the logo generator scripts/make_demo_logo.py and
its output, and the demo document. ImageMagick, an independent PNG reader,
decodes what the generator writes; the header fields are read here directly."""
import pathlib
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

ROOT = pathlib.Path(__file__).resolve().parents[2]
sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, str(ROOT / "scripts"))
import make_demo_icon as icon  # noqa: E402
import make_demo_logo as logo  # noqa: E402

ICOTOOL = shutil.which("icotool")
CONVERT = "/usr/bin/convert" if pathlib.Path("/usr/bin/convert").exists() else shutil.which("convert")


def source(palette, rows):
    lines = ["# test", "palette"] + [f"{c} {rgb} colour {c}" for c, rgb in palette] + ["", "pixels"] + rows
    return "\n".join(lines) + "\n"


def decode_with_imagemagick(picture: bytes):
    """Returns {(x, y): 'RRGGBBAA'} with y counted from the top."""
    with tempfile.TemporaryDirectory() as scratch:
        path = pathlib.Path(scratch) / "logo.png"
        path.write_bytes(picture)
        text = subprocess.run([CONVERT, str(path), "-depth", "8", "txt:-"], check=True,
                              capture_output=True, text=True).stdout
    pixels = {}
    for line in text.splitlines()[1:]:
        where, rest = line.split(":", 1)
        x, y = (int(v) for v in where.split(","))
        pixels[(x, y)] = rest.split("#", 1)[1][:8].upper()
    return pixels


class LayoutTest(unittest.TestCase):
    def check_layout(self, palette, rows):
        picture = logo.build_png(*logo.parse(source(palette, rows)))
        self.assertEqual(picture[:8], b"\x89PNG\r\n\x1a\n")
        length, kind, width, height, depth, colour_type, _, _, interlace = struct.unpack_from(
            ">I4sIIBBBBB", picture, 8)
        self.assertEqual((length, kind), (13, b"IHDR"))
        self.assertEqual((width, height), (len(rows[0]), len(rows)))
        self.assertEqual((depth, colour_type, interlace), (8, 6, 0), "8-bit RGBA, not interlaced")
        return picture

    @unittest.skipUnless(CONVERT, "ImageMagick is not installed")
    def test_every_pixel_has_its_legend_colour_the_right_way_up(self):
        cases = [
            ("opaque", [("a", "112233"), ("b", "C0FFEE"), ("c", "000000")], ["aab", "bcc", "cab", "aaa"]),
            ("with alpha", [("a", "11223300"), ("b", "C0FFEE80"), ("c", "000000"), ("d", "FFFFFFFF")],
             ["abcd", "dcba", "aacc"]),
            ("300 colours", [(chr(0x100 + i), f"{i % 256:02X}{i // 256:02X}80{255 - i % 200:02X}") for i in range(300)],
             ["".join(chr(0x100 + (x * 7 + y) % 300) for x in range(20)) for y in range(15)]),
        ]
        for name, palette, rows in cases:
            with self.subTest(name):
                colours = {c: (rgb + "FF" if len(rgb) == 6 else rgb).upper() for c, rgb in palette}
                pixels = decode_with_imagemagick(self.check_layout(palette, rows))
                for y, row in enumerate(rows):
                    for x, char in enumerate(row):
                        self.assertEqual(pixels[(x, y)], colours[char], f"pixel {x},{y}")

    def test_the_demo_logo_has_soft_edges(self):
        palette, rows = logo.parse(logo.DEFAULT_SOURCE.read_text(encoding="ascii"))
        self.check_layout([(c, "%02X%02X%02X%02X" % rgba) for c, rgba in palette], rows)
        alphas = {dict(palette)[char][3] for row in rows for char in row}
        # The gradient shows through the corner, and parts of the picture are half covered.
        self.assertEqual(dict(palette)[rows[0][0]][3], 0)
        self.assertIn(255, alphas)
        self.assertTrue(alphas - {0, 255}, "some pixels are neither transparent nor opaque")

    def test_the_committed_picture_is_what_the_source_gives(self):
        self.assertEqual(logo.main(["--check"]), 0)


class MalformedSourceTest(unittest.TestCase):
    CASES = [
        ("no palette section", "pixels\nab\n"),
        ("pixels before palette", "a 000000\npixels\na\n"),
        ("no pixels", "palette\na 000000\n"),
        ("colour not hexadecimal", "palette\na 00GG00\npixels\na\n"),
        ("colour too short", "palette\na 0000\npixels\na\n"),
        ("two-letter key", "palette\nab 000000\npixels\nab\n"),
        ("key twice", "palette\na 000000\na 111111\npixels\na\n"),
        ("unknown pixel", "palette\na 000000\npixels\naz\n"),
        ("ragged rows", "palette\na 000000\npixels\naa\na\n"),
        ("colour of seven digits", "palette\na 0000000\npixels\na\n"),
    ]

    def test_each_is_refused(self):
        for reason, text in self.CASES:
            with self.subTest(reason):
                with self.assertRaises(logo.LogoError):
                    logo.parse(text)


class IconTest(unittest.TestCase):
    """The demo saver's icon, read back with icoutils' icotool."""

    @unittest.skipUnless(ICOTOOL, "icoutils is not installed")
    def test_the_committed_icon_is_what_its_source_gives_in_four_sizes(self):
        self.assertEqual(icon.main(["--check"]), 0)
        listing = subprocess.run([ICOTOOL, "--list", str(ROOT / "demo" / "saver" / "saver.ico")], check=True,
                                 capture_output=True, text=True).stdout
        sizes = [(int(w), int(h), int(d)) for w, h, d in
                 re.findall(r"--width=(\d+) --height=(\d+) --bit-depth=(\d+)", listing)]
        self.assertEqual(sizes, [(16, 16, 32), (32, 32, 32), (48, 48, 32), (256, 256, 32)])
        data = (ROOT / "demo" / "saver" / "saver.ico").read_bytes()
        offset = struct.unpack_from("<I", data, 6 + 16 * 3 + 12)[0]
        self.assertEqual(data[offset:offset + 8], b"\x89PNG\r\n\x1a\n", "the 256-pixel image is a PNG")

    def test_a_source_without_its_square_is_refused(self):
        with self.assertRaises(icon.IconError):
            icon.parse("orb 0.5 0.5 0.2 FF0000\n")


class DocumentTest(unittest.TestCase):
    """The installer writes the document under a .DOC name; a word processor
    recognises RTF by its opening, whatever the name says."""

    def test_readme_is_one_well_formed_rtf_group(self):
        data = (ROOT / "demo" / "readme.rtf").read_bytes()
        self.assertTrue(data.startswith(b"{\\rtf1\\ansi"))
        # RTF is 7-bit: anything else must be written as an escape.
        self.assertTrue(all(byte < 0x80 for byte in data))
        depth = 0
        text = data.rstrip(b"\r\n")
        position = 0
        while position < len(text):
            byte = text[position]
            if byte == ord("\\"):
                position += 2  # an escaped brace or backslash is text
                continue
            if byte == ord("{"):
                depth += 1
            elif byte == ord("}"):
                depth -= 1
                self.assertGreaterEqual(depth, 0, f"stray brace at {position}")
                if depth == 0:
                    self.assertEqual(position, len(text) - 1, "text after the closing brace")
            position += 1
        self.assertEqual(depth, 0)


if __name__ == "__main__":
    unittest.main()
