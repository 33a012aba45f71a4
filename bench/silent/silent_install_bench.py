#!/usr/bin/env python3
"""Silent-install benchmark: the stub's own `/S` install of a 64 MiB saver
against an NSIS installer of the same file (Debian's makensis, zlib, the same
processor architecture as the stub, `SilentInstall silent`, the file written
into $WINDIR), both run with /S under Wine.

    silent_install_bench.py --build-dir build/win32 [--runs 5]

One harness session without a screen (one prefix, one warm wineserver). Each
run is timed by e2e_driver's `run` inside Wine, from CreateProcess to the end
of the process, so both installers are timed alike; after one warm-up of each
they run alternately. Prints a table and one summary line; asserts nothing.
"""

import argparse
import pathlib
import random
import shutil
import statistics
import subprocess
import sys

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent.parent / "tests" / "e2e"))

import harness  # noqa: E402
import installer_writer  # noqa: E402

SAVER_BYTES = 64 * 1024 * 1024
NAME = "BENCH64.SCR"
NSIS_SCRIPT = """Unicode true
Target {target}
SetCompressor zlib
SilentInstall silent
RequestExecutionLevel admin
OutFile "{output}"
Section
  SetOutPath $WINDIR
  File "{saver}"
SectionEnd
"""


def saver_bytes():
    """64 MiB that deflate to about half: random runs between repeated ones, as
    a program with its data compresses."""
    rng = random.Random(64)
    piece = bytes(rng.randrange(256) for _ in range(1 << 16))
    out = bytearray()
    while len(out) < SAVER_BYTES:
        out += piece[rng.randrange(1 << 15):][:1 << 14] + bytes([rng.randrange(256)]) * (1 << 13)
    return bytes(out[:SAVER_BYTES])


def make_installers(h, saver):
    """(ours, NSIS's): Windows paths of the two installers of `saver`."""
    saver_path = h.path(NAME)
    saver_path.write_bytes(saver)
    ours = h.write_installer("stub-bench.exe", installer_writer.build_installer(
        h.stub.read_bytes(), title="Bench", saver=saver, saver_name=NAME))
    target = "amd64-unicode" if harness.WINEARCH == "win64" else "x86-unicode"
    script = h.path("bench.nsi")
    nsis = h.path("nsis-bench.exe")
    script.write_text(NSIS_SCRIPT.format(target=target, output=nsis, saver=saver_path))
    subprocess.run(["makensis", "-V1", str(script)], check=True, timeout=600)
    return harness.windows_path(ours), harness.windows_path(nsis)


def timed(h, installer):
    answer = h.driver("run", installer, "/S", timeout=300)
    if answer["exit_code"] != 0:
        raise harness.HarnessError("%s /S ended with %d" % (installer, answer["exit_code"]))
    return answer["ms"]


def measure(build_dir, runs):
    ours, nsis = [], []
    with harness.Harness(build_dir, "silent-bench", headless=True) as h:
        installers = make_installers(h, saver_bytes())
        for _ in range(runs + 1):
            for installer, times in zip(installers, (ours, nsis)):
                (h.prefix / "drive_c" / "windows" / NAME).unlink(missing_ok=True)
                times.append(timed(h, installer))
        base = h.driver("run", "C:\\windows\\system32\\cmd.exe", "/c", "exit")["ms"]
    return ours[1:], nsis[1:], base


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build-dir", required=True, help="the Windows build (saverstub.exe, e2e_driver.exe)")
    parser.add_argument("--runs", type=int, default=5, help="timed runs of each installer")
    args = parser.parse_args()
    missing = [tool for tool in ("makensis",) if shutil.which(tool) is None] + harness.missing_tools()
    if missing:
        print("SUMMARY silent install: not measured (missing %s)" % ", ".join(missing))
        return 0
    try:
        ours, nsis, base = measure(args.build_dir, args.runs)
    except (harness.HarnessError, subprocess.SubprocessError) as error:
        print("SUMMARY silent install: FAILED (%s)" % error)
        return 1
    o, n = statistics.median(ours), statistics.median(nsis)
    print("Silent install of a 64 MiB saver under Wine: %d runs of each, alternating, after a warm-up" % args.runs)
    print("  ours /S  %s ms" % " ".join("%.0f" % v for v in ours))
    print("  NSIS /S  %s ms" % " ".join("%.0f" % v for v in nsis))
    print("  starting and ending cmd /c exit: %.0f ms" % base)
    print("SUMMARY silent install: ours %.0f ms, NSIS %.0f ms (medians), %.2fx NSIS's time (target: at most 0.6x)"
          % (o, n, o / n))
    return 0


if __name__ == "__main__":
    sys.exit(main())
