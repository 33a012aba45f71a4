#!/usr/bin/env python3
"""Takes screenshots of a demo-like installer's install prompt and done prompt
over its backdrop, for the README.

    screenshot_prompts.py --build-dir build/win32 --output-dir docs

writes install-prompt.png (the prompt as the installer opens),
done-prompt.png (after Install with the proposed 10 minutes and the box ticked)
install-prompt-utf8.png (the install prompt of an installer whose texts are
Cyrillic and Greek, stored in UTF-8 as saverpack stores them) and
install-prompt-languages.png (one installer made by saverpack.exe with its
translations, its install prompt under a German and an Arabic Windows, side by
side)."""

import argparse
import pathlib
import subprocess
import sys

import harness
import install_run
import installer_writer
import screenshot_backdrop


# "Northern lights" in Russian, and a description in Russian and Greek. The
# fonts on the machines that make these pictures have Cyrillic and Greek.
UTF8_TITLE = "Северное сияние"
UTF8_DESCRIPTION = "Полярное сияние над тундрой · Το βόρειο σέλας πάνω από την τούνδρα"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--output-dir", required=True)
    args = parser.parse_args()
    missing = harness.missing_tools()
    if missing:
        sys.exit("missing: " + ", ".join(missing))
    output = pathlib.Path(args.output_dir).resolve()
    output.mkdir(parents=True, exist_ok=True)

    with harness.Harness(args.build_dir, "screenshot-prompts") as h:
        data = installer_writer.build_installer(
            h.stub.read_bytes(), title=screenshot_backdrop.DEMO_TITLE,
            description=screenshot_backdrop.DEMO_DESCRIPTION, colour=screenshot_backdrop.DEMO_COLOUR,
            timeout=10, saver_name="DEMOSAVR.SCR", logo=installer_writer.demo_logo(), logo_alpha=True)
        stub = h.launch(h.write_installer("DemoSaverSetup.exe", data))
        window = h.driver("window", "VelquorInstaller")
        prompt = h.driver("dialog", window["pid"], "--control", install_run.IDC_MINUTES_SPIN)
        h.driver("idle", prompt["hwnd"])
        h.settled_screenshot().save_png(output / "install-prompt.png")

        h.driver("press", prompt["hwnd"], install_run.IDOK)
        done = h.driver("dialog", window["pid"], "--control", install_run.IDC_DONE_TEXT, "--not", prompt["hwnd"])
        h.driver("idle", done["hwnd"])
        h.settled_screenshot().save_png(output / "done-prompt.png")

        waiter = h.start_driver("wait-exit", window["pid"])
        h.wait_for_line(waiter)
        h.driver("press", done["hwnd"], install_run.IDOK)
        if waiter.wait() != 0 or stub.wait() != harness.shell_status(harness.INSTALLED):
            sys.exit("the installer did not end as it should: " + waiter.output())
        h.new_prefix()
        data = installer_writer.build_installer(
            h.stub.read_bytes(), title=UTF8_TITLE, description=UTF8_DESCRIPTION, colour=0x00C0A020, timeout=10,
            saver_name="AURORA.SCR", logo=installer_writer.demo_logo(), logo_alpha=True, utf8=True)
        stub = h.launch(h.write_installer("AuroraSetup.exe", data))
        window = h.driver("window", "VelquorInstaller")
        prompt = h.driver("dialog", window["pid"], "--control", install_run.IDC_MINUTES_SPIN)
        h.driver("idle", prompt["hwnd"])
        h.settled_screenshot().save_png(output / "install-prompt-utf8.png")
        stub.kill()
        two_languages(h, output / "install-prompt-languages.png")
    print("wrote", output / "install-prompt.png,", output / "done-prompt.png,", output / "install-prompt-utf8.png",
          "and", output / "install-prompt-languages.png")


def two_languages(h, picture):
    """One installer as saverpack.exe makes it, under German and Arabic display
    languages: the middle of each screen, around the prompt, side by side."""
    installer = h.path("LanguagesSetup.exe")
    saver = h.path("DEMOSAVR.SCR")
    saver.write_bytes(b"MZ a saver")
    colour = screenshot_backdrop.DEMO_COLOUR
    packer = h.launch(h.build_dir / "saverpack.exe", "build", "--stub", harness.windows_path(h.stub),
                      "--saver", harness.windows_path(saver), "--title", screenshot_backdrop.DEMO_TITLE,
                      "--description", screenshot_backdrop.DEMO_DESCRIPTION,
                      "--colour", "%02X%02X%02X" % (colour & 0xFF, colour >> 8 & 0xFF, colour >> 16 & 0xFF),
                      "--logo", harness.windows_path(installer_writer.SOURCE_DIR / "demo" / "logo.png"),
                      "--output", harness.windows_path(installer))
    if packer.wait() != 0:
        sys.exit("saverpack.exe build failed: " + packer.output())
    halves = []
    for locale in ("de_DE.UTF-8", "ar_SA.UTF-8"):
        h.locale = locale
        stub = h.launch(installer)
        window = h.driver("window", "VelquorInstaller")
        prompt = h.driver("dialog", window["pid"], "--control", install_run.IDC_MINUTES_SPIN)
        h.driver("idle", prompt["hwnd"])
        halves.append(h.path(locale + ".png"))
        h.settled_screenshot().save_png(halves[-1])
        stub.kill()
    h.locale = None
    subprocess.run(["/usr/bin/convert", *map(str, halves), "-gravity", "center", "-crop", "600x320+0+0", "+repage", "+append", "-depth", "8", str(picture)],
                   check=True)


if __name__ == "__main__":
    main()
