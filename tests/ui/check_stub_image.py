#!/usr/bin/env python3
"""Checks the built stub executable: a Windows GUI program, stripped, importing
nothing but Windows' own DLLs (a MinGW runtime DLL would keep it from starting
on a machine that lacks it).

usage: check_stub_image.py OBJDUMP STUB.exe"""

import re
import subprocess
import sys

WINDOWS_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll", "comctl32.dll", "shell32.dll",
                "advapi32.dll", "comdlg32.dll", "ole32.dll", "version.dll"}


def main():
    objdump, stub = sys.argv[1], sys.argv[2]
    headers = subprocess.run([objdump, "-p", "-h", "-t", stub], capture_output=True, text=True, check=True).stdout
    problems = []
    dlls = re.findall(r"DLL Name: (\S+)", headers)
    if not dlls:
        problems.append("no imports found")
    for dll in dlls:
        if dll.lower() not in WINDOWS_DLLS:
            problems.append("imports %s" % dll)
    subsystem = re.search(r"^Subsystem\s+(\S+)", headers, re.M)
    if subsystem is None or int(subsystem.group(1), 16) != 2:
        problems.append("not a Windows GUI program")
    if re.search(r"^\s*\d+\s+\.debug", headers, re.M):
        problems.append("carries debug sections")
    if not re.search(r"^SYMBOL TABLE:\s*\nno symbols", headers, re.M):
        problems.append("not stripped")
    if problems:
        sys.exit("%s: %s" % (stub, "; ".join(problems)))
    print("%s imports %s" % (stub, ", ".join(dlls)))


if __name__ == "__main__":
    main()
