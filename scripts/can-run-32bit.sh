#!/usr/bin/env bash
# Exits 0 when this machine can execute 32-bit x86 programs, and so run 32-bit
# Wine. Some virtual machines cannot (the kernel answers "Exec format error");
# there the Windows suites run in the 64-bit build instead.
exec /lib/ld-linux.so.2 --version >/dev/null 2>&1
