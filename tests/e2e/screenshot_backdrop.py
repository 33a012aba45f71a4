#!/usr/bin/env python3
"""Takes a screenshot of a demo-like installer's backdrop for the README.

    screenshot_backdrop.py --build-dir build/win32 --output docs/backdrop.png

The installer carries the demo's title, description, theme colour and logo
(demo/logo.bmp, when it is there), written by the tests' own package writer."""

import argparse
import pathlib
import sys

import harness
import installer_writer

DEMO_TITLE = "Demo Saver"
DEMO_DESCRIPTION = "A screen saver to show what the installer does"
DEMO_COLOUR = 0xC06020  # COLORREF of the web colour #2060C0
BITMAP_FILE_HEADER_SIZE = 14


def demo_logo():
    path = harness.SOURCE_DIR / "demo" / "logo.bmp"
    if not path.exists():
        return None
    data = path.read_bytes()
    if data[:2] != b"BM":
        sys.exit("%s is not a bitmap file" % path)
    # The package holds a packed bitmap: the file without its 14-byte file header.
    return data[BITMAP_FILE_HEADER_SIZE:]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--output", required=True)
    args = parser.parse_args()
    missing = harness.missing_tools()
    if missing:
        sys.exit("missing: " + ", ".join(missing))
    output = pathlib.Path(args.output).resolve()

    with harness.Harness(args.build_dir, "screenshot") as h:
        data = installer_writer.build_installer(h.stub.read_bytes(), title=DEMO_TITLE,
                                                description=DEMO_DESCRIPTION, colour=DEMO_COLOUR,
                                                logo=demo_logo())
        stub = h.launch(h.write_installer("DemoSaverSetup.exe", data))
        window = h.driver("window", "VelquorInstaller")
        h.driver("idle", window["hwnd"])
        screen = h.settled_screenshot()
        stub.kill()
        output.parent.mkdir(parents=True, exist_ok=True)
        screen.save_png(output)
    print("wrote", output)


if __name__ == "__main__":
    main()
