#!/usr/bin/env python3
"""Tests of the demo's assets: the logo generator scripts/make_demo_logo.py and
its output, and the demo document. ImageMagick, an independent BMP reader,
decodes what the generator writes; the header fields the stub relies on are read
here directly."""
import pathlib
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

ROOT = pathlib.Path(__file__).resolve().parents[2]
sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, str(ROOT / "scripts"))
import make_demo_logo as logo  # noqa: E402

CONVERT = "/usr/bin/convert" if pathlib.Path("/usr/bin/convert").exists() else shutil.which("convert")


def source(palette, rows):
    lines = ["# test", "palette"] + [f"{c} {rgb} colour {c}" for c, rgb in palette] + ["", "pixels"] + rows
    return "\n".join(lines) + "\n"


def decode_with_imagemagick(bitmap: bytes):
    """Returns {(x, y): 'RRGGBB'} with y counted from the top."""
    with tempfile.TemporaryDirectory() as scratch:
        path = pathlib.Path(scratch) / "logo.bmp"
        path.write_bytes(bitmap)
        text = subprocess.run([CONVERT, str(path), "-depth", "8", "txt:-"], check=True,
                              capture_output=True, text=True).stdout
    pixels = {}
    for line in text.splitlines()[1:]:
        where, rest = line.split(":", 1)
        x, y = (int(v) for v in where.split(","))
        pixels[(x, y)] = rest.split("#", 1)[1][:6].upper()
    return pixels


class LayoutTest(unittest.TestCase):
    def check_layout(self, palette, rows, bits):
        bitmap = logo.build_bitmap(*logo.parse(source(palette, rows)))
        kind, file_size, _, _, offset = struct.unpack_from("<2sIHHI", bitmap, 0)
        (size, width, height, planes, bit_count, compression, image_size,
         _, _, used, _) = struct.unpack_from("<IiiHHIIiiII", bitmap, 14)
        self.assertEqual(kind, b"BM")
        self.assertEqual(file_size, len(bitmap))
        self.assertEqual((size, width, height, planes), (40, len(rows[0]), len(rows), 1))
        self.assertEqual((bit_count, compression, used), (bits, 0, 0))
        # The stub finds the pixels after exactly 2^bits table entries.
        self.assertEqual(offset, 14 + 40 + 4 * (1 << bits))
        stride = (len(rows[0]) * bits + 31) // 32 * 4
        self.assertEqual(image_size, stride * len(rows))
        self.assertEqual(len(bitmap), offset + image_size)
        return bitmap

    @unittest.skipUnless(CONVERT, "ImageMagick is not installed")
    def test_every_pixel_has_its_legend_colour_the_right_way_up(self):
        cases = [
            # odd width: half a byte and row padding in the 4-bit layout
            ([("a", "112233"), ("b", "C0FFEE"), ("c", "000000")], ["aab", "bcc", "cab", "aaa"], 4),
            # 17 colours need 8 bits
            ([(chr(ord("A") + i), f"{i * 15:02X}{255 - i * 15:02X}80") for i in range(17)],
             ["ABCDEFGHI", "JKLMNOPQA", "QQQQQQQQQ"], 8),
        ]
        for palette, rows, bits in cases:
            with self.subTest(bits=bits):
                colours = dict(palette)
                pixels = decode_with_imagemagick(self.check_layout(palette, rows, bits))
                for y, row in enumerate(rows):
                    for x, char in enumerate(row):
                        self.assertEqual(pixels[(x, y)], colours[char].upper(), f"pixel {x},{y}")

    def test_the_demo_logo_fits_the_stub(self):
        palette, rows = logo.parse(logo.DEFAULT_SOURCE.read_text(encoding="ascii"))
        self.assertLessEqual(len(palette), 16)
        self.check_layout([(c, "%02X%02X%02X" % rgb) for c, rgb in palette], rows, 4)
        # The corner blends into the top of the backdrop, whose colour is the theme's.
        self.assertEqual(dict(palette)[rows[0][0]], (0x20, 0x60, 0xC0))

    def test_the_committed_bitmap_is_what_the_source_gives(self):
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
        ("too many colours", "palette\n" + "".join(f"{chr(0x100 + i)} 000000\n" for i in range(257))
         + "pixels\n" + chr(0x100) + "\n"),
    ]

    def test_each_is_refused(self):
        for reason, text in self.CASES:
            with self.subTest(reason):
                with self.assertRaises(logo.LogoError):
                    logo.parse(text)


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
