#!/usr/bin/env python3
"""The backdrop of a valid installer, read from screenshots: the gradient's bands,
the embossed title, the description in its box and the logo at (10, 10), all
around the install prompt that stands over it; Cancel then ends the stub with
status 1602 (cancelled) and nothing installed. PNG logos go through the packer, saverpack.exe:
one with transparency is blended over the gradient, an opaque one is copied.
Those lengths are for a 96-DPI display; at 144 and 192 DPI they grow with it."""

import random
import unittest

import harness
import install_run
import installer_writer

W, H = harness.SCREEN_WIDTH, harness.SCREEN_HEIGHT
TITLE_ROWS = range(40, 130)
LONG_DESCRIPTION = ("A long description, so that it has to wrap inside its box: it tells the user "
                           "what the saver shows and how to make it stop.")
STANDARD_16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
               (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
               (255, 0, 255), (0, 255, 255), (255, 255, 255)]

HARNESS = None
SESSION = None


def setUpModule():
    global HARNESS, SESSION
    HARNESS = harness.Harness(harness.BUILD_DIR, "backdrop").__enter__()
    SESSION = install_run.InstallSession(HARNESS)


def tearDownModule():
    HARNESS.__exit__(None, None, None)


def scaled(pixels, dpi):
    """A length given for 96 DPI at `dpi`, rounded to the nearest as MulDiv does."""
    return (pixels * dpi + 48) // 96


def scaled_range(rows, dpi):
    return range(scaled(rows.start, dpi), scaled(rows.stop, dpi))


def rgb_of(colourref):
    return (colourref & 0xFF, (colourref >> 8) & 0xFF, (colourref >> 16) & 0xFF)


def expected_rows(start, height):
    """The colour of every row: band k has floor(start * (256 - k) / 256) in each
    channel and covers rows floor(k*h/256) up to ceil((k+1)*h/256); a later band
    paints over a shared row."""
    rows = [None] * height
    for k in range(256):
        colour = tuple(c * (256 - k) // 256 for c in start)
        top = k * height // 256
        bottom = -(-(k + 1) * height // 256)
        for y in range(top, min(bottom, height)):
            rows[y] = colour
    return rows


class Logo:
    def __init__(self, width, height, bit_count, seed, palette=None):
        rng = random.Random(seed)
        self.width, self.height = width, height
        if bit_count <= 8:
            self.palette = palette or [tuple(rng.randrange(256) for _ in range(3)) for _ in range(1 << bit_count)]
            self.indices = [[rng.randrange(1 << bit_count) for _ in range(width)] for _ in range(height)]
            self.dib = installer_writer.packed_dib(width, height, bit_count, lambda x, y: self.indices[y][x],
                                                   self.palette)
            self.colour = lambda x, y: self.palette[self.indices[y][x]]
        else:
            self.pixels = [[tuple(rng.randrange(256) for _ in range(3)) for _ in range(width)]
                           for _ in range(height)]
            self.dib = installer_writer.packed_dib(width, height, bit_count, lambda x, y: self.pixels[y][x])
            self.colour = lambda x, y: self.pixels[y][x]

    def expected(self, x, y, under):
        """The colour pixel (x, y) must show over `under`, and the difference allowed."""
        return self.colour(x, y), 0


def wine_path(path):
    return "Z:" + str(path).replace("/", "\\")


class PngLogo:
    """A logo handed to the packer as a PNG; pixel(x, y) gives (r, g, b, a)."""

    def __init__(self, name, width, height, pixel):
        self.name, self.width, self.height, self.pixel = name, width, height, pixel

    def png(self):
        return installer_writer.png_file(self.width, self.height, self.pixel)

    def expected(self, x, y, under):
        # The exact blend; the system's premultiplied arithmetic may round twice.
        *colour, alpha = self.pixel(x, y)
        if alpha == 255:
            return tuple(colour), 0
        return tuple(round((c * alpha + u * (255 - alpha)) / 255) for c, u in zip(colour, under)), 2


class Backdrop(unittest.TestCase):
    def pack(self, logo, colour, title, description):
        """Packs an installer with saverpack.exe from `logo`'s PNG; returns its bytes
        and what the packer printed."""
        h = HARNESS
        png, saver, output = h.path(logo.name + ".png"), h.path(logo.name + ".scr"), h.path(logo.name + "-packed.exe")
        png.write_bytes(logo.png())
        saver.write_bytes(b"MZ saver")
        packer = h.launch(h.build_dir / "saverpack.exe", "build", "--stub", wine_path(h.stub), "--saver",
                          wine_path(saver), "--title", title, "--description", description, "--colour",
                          "%02X%02X%02X" % rgb_of(colour), "--logo", wine_path(png), "--output", wine_path(output))
        self.assertEqual(packer.wait(), 0, packer.output())
        return output.read_bytes(), packer.output()

    def show(self, name, colour, title, description, logo=None, alt_f4=False, data=None, utf8=False, session=None):
        """Runs an installer (`data`, or one written here) and returns a settled
        screenshot of its backdrop with the install prompt over it, and the
        prompt's rectangle. The prompt is then cancelled (or, with `alt_f4`, closed
        as Alt+F4 would close it): the stub must end with 1602, having installed
        nothing. It runs in the module's harness unless `session` has another."""
        session = session or SESSION
        h = session.h
        if data is None:
            data = installer_writer.build_installer(h.stub.read_bytes(), title=title, description=description,
                                                    colour=colour, logo=logo.dib if logo else None, utf8=utf8)
        before = session.snapshot()
        stub = h.launch(h.write_installer(name + ".exe", data))
        window = None
        try:
            window = h.driver("window", "VelquorInstaller")
            self.assertEqual(window["rect"], [0, 0, h.width, h.height], "the window covers the whole screen")
            self.assertEqual(window["client"], [0, 0, h.width, h.height], "and has no border or caption")
            self.assertEqual(window["text"], "")
            self.assertEqual(window["style"] & 0x90000000, 0x90000000, "WS_POPUP | WS_VISIBLE")
            self.assertEqual(window["style"] & 0x00CF0000, 0, "no caption, border, frame or menu")
            prompt = h.driver("dialog", window["pid"], "--control", install_run.IDC_MINUTES_SPIN)
            h.driver("idle", prompt["hwnd"])
            screen = h.settled_screenshot()
            h.keep(screen, name)
            listed = h.driver("windows", window["pid"])["windows"]
            self.assertEqual([w["hwnd"] for w in listed], [prompt["hwnd"], window["hwnd"]],
                             "the install prompt over the window, no message box")
            self.assertTrue(stub.running(), "the stub stays up showing its backdrop")
            waiter = h.start_driver("wait-exit", window["pid"])
            h.wait_for_line(waiter)
            if alt_f4:
                h.driver("close", prompt["hwnd"])
            else:
                h.driver("press", prompt["hwnd"], install_run.IDCANCEL)
            self.assertEqual(waiter.wait(), 0, waiter.output())
            self.assertEqual(h.last_answer(waiter)["exit_code"], harness.CANCELLED)
            self.assertEqual(stub.wait(), harness.shell_status(harness.CANCELLED))
        finally:
            stub.kill()
            if window is not None:
                h.driver("wait-gone", window["hwnd"])
        self.assertEqual(session.snapshot(), before, "Cancel installs nothing")
        return screen, prompt["rect"]

    # -- checks ----------------------------------------------------------------

    def check_bands(self, screen, start, text_rows, prompt_rect):
        """Every row carries its band's colour: across the whole screen where
        nothing else is drawn, at both edges in the rows of the title, the
        description and the logo, and left and right of the install prompt."""
        W, H = screen.width, screen.height
        rows = expected_rows(start, H)
        left, top, right, bottom = prompt_rect
        for y in range(H):
            if screen.data[y * W * 3:(y + 1) * W * 3] == bytes(rows[y]) * W:
                continue  # the whole row is its band colour
            row = screen.row(y)
            columns = (0, 1, W - 2, W - 1) if y in text_rows else range(W)
            if top <= y < bottom:
                columns = [x for x in columns if not left <= x < right]
            for x in columns:
                if row[x] != rows[y]:
                    self.fail("pixel (%d, %d) is %s, band colour %s" % (x, y, row[x], rows[y]))

    def painted_pixels(self, screen, colour, rows, columns):
        """Pixels of exactly `colour` in the area that the gradient alone would not give."""
        band = expected_rows(self.start, screen.height)
        return [(x, y) for y in rows for x in columns
                if screen.pixel(x, y) == colour and band[y] != colour]

    def check_title(self, screen, start, dpi=96):
        """Returns the first and the last row the title inks."""
        self.start = start
        shade = tuple(c * 3 // 4 for c in start)
        found = {}
        for name, colour in (("highlight", (255, 255, 255)), ("shadow", (0, 0, 0)), ("shade", shade)):
            pixels = self.painted_pixels(screen, colour, scaled_range(TITLE_ROWS, dpi), range(screen.width))
            self.assertGreater(len(pixels), 20, "title %s pixels %s" % (name, colour))
            found[name] = pixels
        top = {n: min(y for _, y in p) for n, p in found.items()}
        bottom = {n: max(y for _, y in p) for n, p in found.items()}
        right = {n: max(x for x, _ in p) for n, p in found.items()}
        # Highlight at (x, 52), shadow at (x + 2, 54), shade on top at (x + 1, 53), at 96 DPI.
        self.assertGreaterEqual(top["highlight"], scaled(52, dpi))
        self.assertLess(top["highlight"], top["shadow"])
        self.assertGreater(bottom["shadow"], bottom["highlight"])
        self.assertGreater(right["shadow"], right["highlight"])
        xs = [x for x, _ in found["shade"]]
        self.assertLess(abs((min(xs) + max(xs)) / 2 - screen.width / 2), scaled(12, dpi), "the title is centred")
        return min(top.values()), max(bottom.values())

    def check_description(self, screen, start, colour, dpi=96):
        self.start = start
        W, H = screen.width, screen.height
        box_left, box_top = W // 2 - scaled(480, dpi) // 2 + scaled(1, dpi), H - scaled(176, dpi) + scaled(1, dpi)
        box_right, box_bottom = box_left + scaled(480, dpi), H - scaled(16, dpi) + scaled(1, dpi)
        rows = range(box_top - scaled(20, dpi), H)
        pixels = self.painted_pixels(screen, colour, rows, range(W))
        self.assertGreater(len(pixels), 50, "description pixels in %s" % (colour,))
        for x, y in pixels:
            self.assertTrue(box_left <= x < box_right and box_top <= y < box_bottom, "(%d, %d) outside" % (x, y))
        ys = [y for _, y in pixels]
        self.assertGreater(max(ys) - min(ys), scaled(30, dpi), "the description wraps onto several lines")
        # Outside the box the rows hold nothing but the gradient.
        band = expected_rows(start, H)
        for y in rows:
            for x in list(range(0, box_left)) + list(range(box_right, W)):
                self.assertEqual(screen.pixel(x, y), band[y], (x, y))

    def check_logo(self, screen, start, logo, dpi=96):
        band = expected_rows(start, screen.height)
        left = top = scaled(10, dpi)
        right, bottom = left + scaled(logo.width, dpi), top + scaled(logo.height, dpi)
        if dpi == 96:
            for y in range(logo.height):
                for x in range(logo.width):
                    got = screen.pixel(10 + x, 10 + y)
                    want, slack = logo.expected(x, y, band[10 + y])
                    if any(abs(g - w) > slack for g, w in zip(got, want)):
                        self.fail("logo pixel (%d, %d) is %s, expected %s within %d" % (x, y, got, want, slack))
        else:
            # Stretched, and smoothed or not: no pixel to predict, but it fills its place exactly.
            ink = [(x, y) for y in range(top - 1, bottom + 1) for x in range(left - 1, right + 1)
                   if screen.pixel(x, y) != band[y]]
            xs, ys = [x for x, _ in ink], [y for _, y in ink]
            self.assertEqual((min(xs), min(ys), max(xs) + 1, max(ys) + 1), (left, top, right, bottom), "logo")
        for y in range(0, bottom + 1):
            self.assertEqual(screen.pixel(right, y), band[y], "drawn at its own width")
        for x in range(0, right + 1):
            self.assertEqual(screen.pixel(x, bottom), band[bottom], "and height")
            self.assertEqual(screen.pixel(x, top - 1), band[top - 1])

    def check_backdrop(self, name, colour, logo=None, alt_f4=False, data=None, session=None, dpi=96):
        """Returns the screenshot and the title's first and last inked rows."""
        start = rgb_of(colour)
        screen, prompt_rect = self.show(name, colour, "Aurora Drift", LONG_DESCRIPTION, logo, alt_f4, data,
                                        session=session)
        H = screen.height
        self.assertTrue(install_run.centred(prompt_rect, (screen.width, H)), prompt_rect)
        title_rows = scaled_range(TITLE_ROWS, dpi)
        logo_rows = range(scaled(10, dpi), scaled(10, dpi) + (scaled(logo.height, dpi) if logo else 0))
        description_rows = range(H - scaled(176 + 20, dpi), H)
        skip = set(title_rows) | set(description_rows) | set(logo_rows)
        for y in title_rows.start, title_rows.stop, logo_rows.stop, description_rows.start:
            self.assertFalse(prompt_rect[1] <= y < prompt_rect[3], "the prompt leaves the backdrop's parts clear")
        self.check_bands(screen, start, skip, prompt_rect)
        title = self.check_title(screen, start, dpi)
        self.check_description(screen, start, start, dpi)
        if logo:
            self.check_logo(screen, start, logo, dpi)
        return screen, title

    # -- cases -----------------------------------------------------------------

    def test_white_theme_without_logo(self):
        screen, _ = self.check_backdrop("white-no-logo", 0xFFFFFF)
        band = expected_rows((255, 255, 255), H)
        self.assertEqual(band[0], (255, 255, 255))
        self.assertEqual(band[H - 1], (0, 0, 0), "the last band is black")
        for y in range(60):
            for x in range(60):
                self.assertEqual(screen.pixel(x, y), band[y], "no logo: the corner carries the gradient")

    def test_24_bit_logo_and_alt_f4_cancels(self):
        # Closing goes through the end of the loop, where the logo block is freed.
        self.check_backdrop("logo24", 0x00B45A1E, Logo(37, 23, 24, seed=24), alt_f4=True)

    def test_8_bit_logo(self):
        self.check_backdrop("logo8", 0x0040C080, Logo(50, 31, 8, seed=8))

    def test_4_bit_logo(self):
        palette = STANDARD_16[:]
        random.Random(4).shuffle(palette)
        self.check_backdrop("logo4", 0x00306090, Logo(29, 17, 4, seed=4, palette=palette))

    def test_1_bit_black_and_white_logo(self):
        # The text colour left on the DC by the description must not tint it.
        self.check_backdrop("logo1", 0x00B45A1E, Logo(45, 20, 1, seed=1, palette=[(0, 0, 0), (255, 255, 255)]))

    def test_1_bit_coloured_logo(self):
        self.check_backdrop("logo1-colour", 0x000080FF,
                            Logo(33, 9, 1, seed=11, palette=[(200, 30, 40), (20, 220, 120)]))

    def test_utf8_texts_paint_like_the_same_ansi_texts(self):
        # The wide calls with the same fonts, places and colours: a marked UTF-8
        # header and an unmarked Windows-1252 one with the same characters must
        # give the same screen. The description's "é" and "€" sit on both sides of
        # where the two encodings differ (0x80 is "€" in Windows-1252 only).
        colour = 0x0040C080
        title, description = "Café", "Crème brûlée à 5 € " + LONG_DESCRIPTION
        ansi, prompt = self.show("cafe-ansi", colour, title.encode("cp1252"), description.encode("cp1252"))
        utf8, _ = self.show("cafe-utf8", colour, title, description, utf8=True)
        self.check_title(utf8, rgb_of(colour))
        self.check_description(utf8, rgb_of(colour), rgb_of(colour))
        left, top, right, bottom = prompt
        for y in range(H):
            if ansi.row(y) == utf8.row(y):
                continue
            for x in range(W):
                if not (top <= y < bottom and left <= x < right):
                    self.assertEqual(utf8.pixel(x, y), ansi.pixel(x, y), "pixel (%d, %d)" % (x, y))

    def test_png_logo_with_alpha_is_blended_over_the_gradient(self):
        # Its 30 rows (kept clear of the title's) stand on 11 bands of the gradient.
        alphas = (0, 255, 128, 64, 192, 1, 254, 32)
        logo = PngLogo("alpha", 48, 30, lambda x, y: ((x * 37) % 256, (y * 53) % 256, 255 - 5 * x,
                                                      alphas[(x + y // 4) % 8]))
        data, report = self.pack(logo, 0x00FFC040, "Aurora Drift", LONG_DESCRIPTION)
        self.assertIn("48 x 30, 32 bits per pixel, alpha", report)
        self.check_backdrop("logo-png-alpha", 0x00FFC040, logo, data=data)

    def test_opaque_three_colour_png_is_stored_with_4_bits_and_drawn_exactly(self):
        colours = ((200, 30, 40, 255), (20, 220, 120, 255), (250, 250, 10, 255))
        logo = PngLogo("three", 21, 13, lambda x, y: colours[(x * y + x) % 3])
        data, report = self.pack(logo, 0x00306090, "Aurora Drift", LONG_DESCRIPTION)
        self.assertIn("21 x 13, 4 bits per pixel, no alpha", report)
        self.check_backdrop("logo-png-opaque", 0x00306090, logo, data=data)

    def test_the_backdrop_grows_with_the_display_dpi(self):
        # On a screen as much larger as a real panel of that DPI is. Each DPI draws
        # the logo another way: copied as ever, blended and stretched, stretched
        # and smoothed from a palette.
        blended = PngLogo("dpi", 36, 22, lambda x, y: (250, 200 - 5 * y, 4 * x, (64, 128, 192, 255)[(x + y) % 4]))
        inked = {}
        for dpi, logo in (96, Logo(40, 24, 24, seed=96)), (144, blended), (192, Logo(30, 20, 8, seed=192)):
            alpha = logo is blended
            dib = installer_writer.alpha_dib(logo.width, logo.height, logo.pixel) if alpha else logo.dib
            with harness.Harness(harness.BUILD_DIR, "backdrop-dpi%d" % dpi, W * dpi // 96, H * dpi // 96, dpi) as h:
                data = installer_writer.build_installer(h.stub.read_bytes(), title="Aurora Drift", colour=0xC06020,
                                                        description=LONG_DESCRIPTION, logo=dib, logo_alpha=alpha)
                _, inked[dpi] = self.check_backdrop("dpi%d" % dpi, 0xC06020, logo, data=data, dpi=dpi,
                                                    session=install_run.InstallSession(h))
            (top, bottom), (top96, bottom96) = inked[dpi], inked[96]
            self.assertLessEqual(abs(top - top96 * dpi / 96), 2, "the title's ink starts lower at %d DPI" % dpi)
            self.assertLessEqual(abs(bottom - top - (bottom96 - top96) * dpi / 96), 2, "and is that much higher")


if __name__ == "__main__":
    harness.main()
