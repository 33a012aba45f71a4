#!/usr/bin/env python3
"""Writes a zip that depends only on the files' names and contents.

Every entry goes into one folder, in name order, with one time stamp for all and
fixed permissions, so that the same files give the same bytes on every machine
and at every time. The time is SOURCE_DATE_EPOCH when it is set (the convention
of reproducible builds), else the time of the repository's last commit, else
1980-01-01, the earliest a zip can hold.

  make_zip.py --output OUT.zip --folder NAME [--repository DIR] FILE...
"""
import argparse
import os
import subprocess
import sys
import time
import zipfile

EARLIEST = 315532800  # 1980-01-01 00:00:00 UTC


def stamp(repository):
    epoch = os.environ.get("SOURCE_DATE_EPOCH", "")
    if epoch:
        try:
            return int(epoch)
        except ValueError:
            sys.exit(f"make_zip: SOURCE_DATE_EPOCH is {epoch!r}, not a number of seconds")
    if repository:
        try:
            out = subprocess.run(["git", "-C", repository, "log", "-1", "--format=%ct"],
                                 capture_output=True, text=True, check=True, timeout=30).stdout
            return int(out.strip())
        except (OSError, subprocess.SubprocessError, ValueError):
            pass
    return EARLIEST


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--output", required=True)
    parser.add_argument("--folder", required=True)
    parser.add_argument("--repository")
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()

    names = {}
    for path in args.files:
        name = os.path.basename(path)
        if name in names:
            sys.exit(f"make_zip: {path} and {names[name]} would both be {args.folder}/{name}")
        names[name] = path

    # DOS time stamps are local times without a zone; UTC makes them the same everywhere.
    when = time.gmtime(max(stamp(args.repository), EARLIEST))[:6]
    os.makedirs(os.path.dirname(os.path.abspath(args.output)), exist_ok=True)
    temporary = args.output + ".part"
    try:
        with zipfile.ZipFile(temporary, "w") as archive:
            for name in sorted(names):
                entry = zipfile.ZipInfo(f"{args.folder}/{name}", date_time=when)
                entry.create_system = 3  # Unix, so that unzip there keeps the permissions below
                mode = 0o755 if name.lower().endswith(".exe") else 0o644
                entry.external_attr = (0o100000 | mode) << 16
                entry.compress_type = zipfile.ZIP_DEFLATED
                with open(names[name], "rb") as f:
                    archive.writestr(entry, f.read(), compresslevel=9)
        os.replace(temporary, args.output)
    except OSError as e:
        if os.path.exists(temporary):
            os.remove(temporary)
        sys.exit(f"make_zip: cannot write {args.output}: {e}")


if __name__ == "__main__":
    main()
