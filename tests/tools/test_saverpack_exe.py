#!/usr/bin/env python3
"""saverpack.exe under Wine: texts typed in any script arrive in the package as
UTF-8; and paths in any script work on an English system (code page 1252) and
are printed in UTF-8: build from and into folders named in Cyrillic and Greek,
then inspect --verify, extract and winget on the result. Wine hands a program's
arguments on through the Unix locale, and spells Windows file names in it, so
the runs use a UTF-8 one.

    test_saverpack_exe.py WINE_RUN SAVERPACK_EXE STUB
"""

import hashlib
import os
import pathlib
import struct
import subprocess
import sys
import tempfile

TRAILER_SIZE, DISTANCE_MASK = 56, 0x3E5B72D9
TITLE_AT, TITLE_WIDTH, DESCRIPTION_AT, DESCRIPTION_WIDTH = 814, 262, 1076, 294

MIXED = "Café Crème – € Ü Мир 日本語"
CASES = [
    # (name, arguments after the stub and saver, output name, title, description)
    ("separate values", ["--title", MIXED, "--description", "Ü – " + MIXED], "Café.exe", MIXED, "Ü – " + MIXED),
    ("values after =", ["--title=" + MIXED, "--description=€"], "plain.exe", MIXED, "€"),
]


def header_texts(installer):
    distance = struct.unpack_from("<I", installer, len(installer) - TRAILER_SIZE + 12)[0] ^ DISTANCE_MASK
    header = installer[len(installer) - distance:]

    def field(at, width):
        return header[at:at + width].split(b"\0", 1)[0]

    return header[8:12], field(TITLE_AT, TITLE_WIDTH), field(DESCRIPTION_AT, DESCRIPTION_WIDTH)


def run(command, work, env):
    """(status, output) of one run; output to a file: Wine's helper processes could hold a pipe open."""
    log = work / "log.txt"
    with open(log, "wb") as out:
        status = subprocess.run(command, cwd=work, env=env, stdin=subprocess.DEVNULL, stdout=out,
                                stderr=subprocess.STDOUT, timeout=120).returncode
    return status, log.read_bytes().decode("utf-8", "replace")


def paths_in_any_script(wine_run, saverpack, stub, work, env):
    """The failures of build, inspect --verify, extract and winget with paths in
    Cyrillic and Greek, which code page 1252 cannot spell."""
    saver = os.urandom(3000)
    (work / "Исходники").mkdir()
    (work / "Исходники" / "сияние.scr").write_bytes(saver)
    (work / "Έξοδος").mkdir()
    installer, extracted = "Έξοδος\\Σέλας Setup.exe", "Έξοδος\\извлечено.scr"
    packer = [wine_run, saverpack]
    failures = []
    steps = [
        (["build", "--stub", stub, "--saver", "Исходники\\сияние.scr", "--name", "AURORA.SCR", "--title", "Σέλας",
          "--publisher", "Дмитрий", "--version", "1.0", "--output", installer], "wrote %s, " % installer),
        (["inspect", installer, "--verify"], "%s: valid installer" % installer),
        (["extract", installer, extracted], " to %s, 3000 bytes" % extracted),
        (["winget", installer, "--id", "Dmitry.Aurora", "--installer-url", "https://example.com/a.exe",
          "--license", "Freeware", "--output", "Έξοδος\\манифесты"], "installer  %s, " % installer),
    ]
    for args, printed in steps:
        status, output = run(packer + args, work, env)
        if status != 0 or printed not in output:
            failures.append("paths: %s ends with %d, not printing %r: %s" % (args[0], status, printed, output))
            return failures
    if (work / "Έξοδος" / "извлечено.scr").read_bytes() != saver:
        failures.append("paths: the extracted saver differs from the packed one")
    manifest = work / "Έξοδος" / "манифесты" / "d" / "Dmitry" / "Aurora" / "1.0" / "Dmitry.Aurora.installer.yaml"
    digest = hashlib.sha256((work / "Έξοδος" / "Σέλας Setup.exe").read_bytes()).hexdigest().upper()
    if not manifest.is_file() or ('InstallerSha256: "%s"' % digest) not in manifest.read_text(encoding="utf-8"):
        failures.append("paths: no winget manifest with the installer's digest at %s" % manifest)
    return failures


def main():
    wine_run, saverpack, stub = sys.argv[1:4]
    env = dict(os.environ, LC_ALL="C.UTF-8")
    failures = []
    with tempfile.TemporaryDirectory() as work:
        work = pathlib.Path(work)
        failures += paths_in_any_script(wine_run, saverpack, stub, work, env)
        (work / "saver.scr").write_bytes(b"MZ a saver")
        for name, args, output, title, description in CASES:
            log = work / "log.txt"
            command = [wine_run, saverpack, "build", "--stub", stub, "--saver", "saver.scr"] + args + [
                "--output", output]
            # Output to a file: Wine's helper processes could hold a pipe open.
            with open(log, "wb") as out:
                status = subprocess.run(command, cwd=work, env=env, stdin=subprocess.DEVNULL, stdout=out,
                                        stderr=subprocess.STDOUT, timeout=120).returncode
            path = work / output
            if status != 0 or not path.is_file():
                failures.append("%s: status %d, %s %s: %s" % (name, status, output,
                                                               "written" if path.is_file() else "missing",
                                                               log.read_bytes()))
                continue
            # Paths are printed in UTF-8 like everything else.
            if ("wrote %s," % output).encode("utf-8") not in log.read_bytes():
                failures.append("%s: no UTF-8 'wrote %s' in %r" % (name, output, log.read_bytes()))
            got = header_texts(path.read_bytes())
            expected = (b"utf8", title.encode("utf-8"), description.encode("utf-8"))
            if got != expected:
                failures.append("%s: header holds %r, not %r" % (name, got, expected))
            path.unlink()
    for failure in failures:
        print("FAIL", failure)
    print("%d failures in %d cases" % (len(failures), len(CASES) + 1))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
