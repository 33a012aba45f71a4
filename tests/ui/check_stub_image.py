#!/usr/bin/env python3
"""Checks the built stub executable: a Windows GUI program, stripped, with no
debug sections, and no larger than LIMIT bytes (0: no limit). (Which DLLs it may
import is checked by tests/fuzz/check_imports.cmake.)

usage: check_stub_image.py OBJDUMP STUB.exe LIMIT"""

import os
import re
import subprocess
import sys


def main():
    objdump, stub, limit = sys.argv[1], sys.argv[2], int(sys.argv[3])
    headers = subprocess.run([objdump, "-p", "-h", "-t", stub], capture_output=True, text=True, check=True).stdout
    problems = []
    subsystem = re.search(r"^Subsystem\s+(\S+)", headers, re.M)
    if subsystem is None or int(subsystem.group(1), 16) != 2:
        problems.append("not a Windows GUI program")
    if re.search(r"^\s*\d+\s+\.debug", headers, re.M):
        problems.append("carries debug sections")
    if not re.search(r"^SYMBOL TABLE:\s*\nno symbols", headers, re.M):
        problems.append("not stripped")
    size = os.path.getsize(stub)
    if limit and size > limit:
        problems.append("%d bytes, more than %d" % (size, limit))
    if problems:
        sys.exit("%s: %s" % (stub, "; ".join(problems)))
    print("%s: a stripped Windows GUI program of %d bytes" % (stub, size))


if __name__ == "__main__":
    main()
