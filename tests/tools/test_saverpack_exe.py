#!/usr/bin/env python3
"""saverpack.exe under Wine: texts typed in any script arrive in the package as
UTF-8, and a path the ANSI code page can hold still works and is printed in
UTF-8. Wine hands a
program's arguments on through the Unix locale, so the runs use a UTF-8 one.

    test_saverpack_exe.py WINE_RUN SAVERPACK_EXE STUB
"""

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


def main():
    wine_run, saverpack, stub = sys.argv[1:4]
    env = dict(os.environ, LC_ALL="C.UTF-8")
    failures = []
    with tempfile.TemporaryDirectory() as work:
        work = pathlib.Path(work)
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
            # Paths reach the ANSI file calls as before, and are printed in UTF-8
            # like everything else.
            if ("wrote %s," % output).encode("utf-8") not in log.read_bytes():
                failures.append("%s: no UTF-8 'wrote %s' in %r" % (name, output, log.read_bytes()))
            got = header_texts(path.read_bytes())
            expected = (b"utf8", title.encode("utf-8"), description.encode("utf-8"))
            if got != expected:
                failures.append("%s: header holds %r, not %r" % (name, got, expected))
            path.unlink()
    for failure in failures:
        print("FAIL", failure)
    print("%d of %d cases passed" % (len(CASES) - len(failures), len(CASES)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
