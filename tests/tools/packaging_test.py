#!/usr/bin/env python3
"""saverpack as its users get it finds its own stub and makes installers that the
installer's reader accepts.

  packaging_test.py install --cmake CMAKE --build-dir DIR --stub STUB
      `cmake --install` of the native build into a fresh prefix; the installed
      packer builds with no --stub, takes SAVERPACK_STUB before its own, and
      names the places it looked when there is none.
  packaging_test.py zip --zip ZIP --folder NAME --stub STUB --wine-run WINE_RUN --make-zip SCRIPT
      the release zip holds exactly its three files in one folder; saverpack.exe,
      unzipped and run under Wine, builds with no --stub; and the zip's bytes
      depend on nothing but the files' names and contents.
Exits 77 (skipped) when what it needs is not built.
"""
import argparse
import os
import random
import shutil
import subprocess
import sys
import tempfile
import zipfile

SKIPPED = 77
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAILED:", message)
    return condition


def run(command, cwd, env, log):
    # Output goes to a file, never a pipe: Wine's helpers may outlive the program.
    with open(log, "w+") as out:
        status = subprocess.run(command, cwd=cwd, env=env, stdin=subprocess.DEVNULL, stdout=out,
                                stderr=subprocess.STDOUT, timeout=120).returncode
        out.seek(0)
        text = out.read()
    print(f"$ {' '.join(command)}  (exit {status})\n{text}", end="")
    return status, text


def read(path):
    with open(path, "rb") as f:
        return f.read()


def begins_with_stub(installer, stub):
    """The installer is the stub with its resources written anew (its icon and
    version information), followed by its package: its MS-DOS header and every
    section in front of the stub's resource section are the stub's, byte for byte.
    The PE headers between them, which the packer updates, are left out."""
    def u16(at):
        return int.from_bytes(stub[at:at + 2], "little")

    def u32(at):
        return int.from_bytes(stub[at:at + 4], "little")

    pe = u32(0x3C)
    if stub[:2] != b"MZ" or stub[pe:pe + 4] != b"PE\0\0":
        return installer.startswith(stub)
    optional = pe + 24
    resources = u32(optional + (112 if u16(optional) == 0x20B else 96) + 16)
    table = optional + u16(pe + 20)
    for entry in range(table, table + 40 * u16(pe + 6), 40):
        if u32(entry + 12) == resources:
            start, end = u32(optional + 60), u32(entry + 20)  # SizeOfHeaders, PointerToRawData
            return installer[:pe] == stub[:pe] and installer[start:end] == stub[start:end]
    return False


def environment(**extra):
    env = {k: v for k, v in os.environ.items() if k != "SAVERPACK_STUB"}
    env.update(extra)
    return env


def build_and_inspect(packer, work, stub_bytes, env, label):
    """A plain build with no --stub in `work`, relative paths only (they work
    the same for a native packer and one under Wine); then the reader's check."""
    saver = random.Random(label).randbytes(20000)
    with open(os.path.join(work, "Orbs.scr"), "wb") as f:
        f.write(saver)
    output = f"{label}.exe"
    status, _ = run(packer + ["build", "--saver", "Orbs.scr", "--title", "Orbs", "--output", output], work, env,
                    os.path.join(work, f"{label}-build.log"))
    if not check(status == 0, f"{label}: the build without --stub ends with {status}"):
        return
    installer = read(os.path.join(work, output))
    check(begins_with_stub(installer, stub_bytes), f"{label}: the installer does not begin with the expected stub")
    status, text = run(packer + ["inspect", output, "--verify"], work, env, os.path.join(work, f"{label}-inspect.log"))
    check(status == 0 and "Orbs.scr" in text and str(len(saver)) in text,
          f"{label}: the reader does not accept the installer as built (exit {status})")


def test_install(args, scratch):
    if not os.path.isfile(args.stub):
        print(f"skipped: the stub {args.stub} is not built (build the win32 preset first)")
        return SKIPPED
    prefix = os.path.join(scratch, "prefix")
    status, _ = run([args.cmake, "--install", args.build_dir, "--prefix", prefix], scratch, environment(),
                    os.path.join(scratch, "install.log"))
    if not check(status == 0, f"cmake --install ends with {status}"):
        return 1
    installed = {p: os.path.join(prefix, p) for p in
                 ("bin/saverpack", "share/saverpack/saverstub.exe", "share/doc/saverpack/README.md")}
    for name, path in installed.items():
        check(os.path.isfile(path), f"{name} is not installed")
    stub = read(args.stub)
    check(read(installed["share/saverpack/saverstub.exe"]) == stub, "the installed stub is not the built one")
    packer = [installed["bin/saverpack"]]
    work = os.path.join(scratch, "work")
    os.mkdir(work)

    build_and_inspect(packer, work, stub, environment(), "installed")

    # The variable comes before the installed stub; any file serves as a stub.
    other = os.path.join(work, "other-stub.exe")
    with open(other, "wb") as f:
        f.write(b"MZ" + bytes(1000))
    build_and_inspect(packer, work, read(other), environment(SAVERPACK_STUB=other), "by-variable")

    status, text = run(packer + ["build", "--saver", "Orbs.scr", "--title", "T", "--output", "x.exe"], work,
                       environment(SAVERPACK_STUB=os.path.join(work, "none.exe")), os.path.join(work, "gone.log"))
    check(status == 1 and "none.exe" in text and "SAVERPACK_STUB" in text,
          "a SAVERPACK_STUB naming no file is not refused with its name")

    os.remove(installed["share/saverpack/saverstub.exe"])
    status, text = run(packer + ["build", "--saver", "Orbs.scr", "--title", "T", "--output", "x.exe"], work,
                       environment(), os.path.join(work, "none.log"))
    looked = [os.path.join(prefix, "bin", "saverstub.exe"), installed["share/saverpack/saverstub.exe"]]
    check(status == 1 and all(p in text for p in looked), "without any stub the build does not name where it looked")
    check(not os.path.exists(os.path.join(work, "x.exe")), "a refused build left an output behind")
    return 0


def test_zip(args, scratch):
    for path in (args.zip, args.stub, args.wine_run):
        if not os.path.isfile(path):
            print(f"skipped: {path} is not built")
            return SKIPPED
    folder = args.folder
    with zipfile.ZipFile(args.zip) as archive:
        names = archive.namelist()
        check(sorted(names) == [f"{folder}/README.md", f"{folder}/saverpack.exe", f"{folder}/saverstub.exe"],
              f"the zip holds {names}")
        archive.extractall(scratch)
    unpacked = os.path.join(scratch, folder)
    stub = read(args.stub)
    check(read(os.path.join(unpacked, "saverstub.exe")) == stub, "the zipped stub is not the built one")

    # Run from the unzipped folder as an author would: the stub beside it.
    work = os.path.join(scratch, "work")
    os.mkdir(work)
    packer = [args.wine_run, os.path.join("..", folder, "saverpack.exe")]
    build_and_inspect(packer, work, stub, environment(), "unzipped")

    # The same files, with other times, permissions and order, zip to the same bytes.
    zips = []
    for copy, (mtime, mode) in enumerate([(1_000_000_000, 0o600), (1_700_000_000, 0o755)]):
        inputs = os.path.join(scratch, f"inputs{copy}")
        os.mkdir(inputs)
        files = []
        for name in sorted(os.listdir(unpacked), reverse=copy == 1):
            path = os.path.join(inputs, name)
            shutil.copyfile(os.path.join(unpacked, name), path)
            os.chmod(path, mode)
            os.utime(path, (mtime, mtime))
            files.append(path)
        zips.append(os.path.join(scratch, f"again{copy}.zip"))
        status, _ = run([sys.executable, args.make_zip, "--output", zips[-1], "--folder", folder] + files, scratch,
                        environment(SOURCE_DATE_EPOCH="1234567890"), os.path.join(scratch, f"zip{copy}.log"))
        check(status == 0, f"make_zip ends with {status}")
    if all(os.path.isfile(z) for z in zips):
        check(read(zips[0]) == read(zips[1]), "the same files zip to different bytes")
        with zipfile.ZipFile(zips[0]) as again:
            check(sorted(again.namelist()) == sorted(names), "the zip made again holds other names")
    return 0


def main():
    parser = argparse.ArgumentParser()
    sub = parser.add_subparsers(dest="mode", required=True)
    install = sub.add_parser("install")
    install.add_argument("--cmake", required=True)
    install.add_argument("--build-dir", required=True)
    install.add_argument("--stub", required=True)
    dist = sub.add_parser("zip")
    for option in ("--zip", "--folder", "--stub", "--wine-run", "--make-zip"):
        dist.add_argument(option, required=True)
    args = parser.parse_args()
    # The commands run in scratch folders.
    for name in ("build_dir", "stub", "zip", "wine_run", "make_zip"):
        if getattr(args, name, None):
            setattr(args, name, os.path.abspath(getattr(args, name)))
    with tempfile.TemporaryDirectory(prefix="saverpack-packaging-") as scratch:
        status = (test_install if args.mode == "install" else test_zip)(args, scratch)
    if status == SKIPPED:
        return SKIPPED
    if failures:
        print(f"{len(failures)} check(s) failed")
        return 1
    print("all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
