#!/usr/bin/env python3
"""Takes a screenshot of a demo-like installer's backdrop for the README.

    screenshot_backdrop.py --build-dir build/win32 --output docs/backdrop.png
    screenshot_backdrop.py --build-dir build/win32 --dpi 144 --output docs/backdrop-144dpi.png

The installer carries the demo's title, description, theme colour and logo
(from demo/logo.txt, blended), written by the tests' own package writer. With
--dpi, the screen is as much larger than 1024 x 768 as a panel of that DPI is."""

import argparse
import pathlib
import sys

import harness
import installer_writer

DEMO_TITLE = "Demo Saver"
DEMO_DESCRIPTION = "A screen saver to show what the installer does"
DEMO_COLOUR = 0xC06020  # COLORREF of the web colour #2060C0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--output", required=True)
    parser.add_argument("--dpi", type=int, default=96)
    args = parser.parse_args()
    missing = harness.missing_tools()
    if missing:
        sys.exit("missing: " + ", ".join(missing))
    output = pathlib.Path(args.output).resolve()

    width, height = harness.SCREEN_WIDTH * args.dpi // 96, harness.SCREEN_HEIGHT * args.dpi // 96
    with harness.Harness(args.build_dir, "screenshot", width, height, args.dpi) as h:
        data = installer_writer.build_installer(h.stub.read_bytes(), title=DEMO_TITLE,
                                                description=DEMO_DESCRIPTION, colour=DEMO_COLOUR,
                                                logo=installer_writer.demo_logo(), logo_alpha=True)
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
