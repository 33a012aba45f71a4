#!/usr/bin/env python3
"""saverpack.exe under Wine: texts typed in any script arrive in the package as
UTF-8; and paths in any script work on an English system (code page 1252) and
are printed in UTF-8: build from and into folders named in Cyrillic and Greek,
then inspect --verify, extract and winget on the result. Wine hands a program's
arguments on through the Unix locale, and spells Windows file names in it, so
the runs use a UTF-8 one.

And the installer's face: built from the demo saver with no names given, it
wears the saver's icon (every image, byte for byte) and version information
naming what the saver names; --icon, --title, --publisher and --version win
over the saver's. pefile reads the result (and finds nothing amiss), Windows'
own reader (version.dll, through e2e_driver.exe) reads the version information,
Wine loads the installer, and the same inputs give the same bytes. pefile is
Debian's python3-pefile: run this with /usr/bin/python3.

    test_saverpack_exe.py WINE_RUN SAVERPACK_EXE STUB DEMO_SAVER DRIVER_EXE ICON
"""

import hashlib
import json
import os
import pathlib
import struct
import subprocess
import sys
import tempfile

import pefile

TRAILER_SIZE, DISTANCE_MASK = 56, 0x3E5B72D9
TITLE_AT, TITLE_WIDTH, DESCRIPTION_AT, DESCRIPTION_WIDTH = 814, 262, 1076, 294
RT_ICON, RT_GROUP_ICON, RT_VERSION = 3, 14, 16
INVALID_PARAMETER = 87  # the installer's status for a switch it does not understand

MIXED = "Café Crème – € Ü Мир 日本語"
CASES = [
    # (name, arguments after the stub and saver, output name, title, description)
    ("separate values", ["--title", MIXED, "--description", "Ü – " + MIXED], "Café.exe", MIXED, "Ü – " + MIXED),
    ("values after =", ["--title=" + MIXED, "--description=€"], "plain.exe", MIXED, "€"),
]
FIELDS = ["CompanyName", "FileDescription", "FileVersion", "LegalCopyright", "OriginalFilename", "ProductName",
          "ProductVersion"]


def header_texts(installer):
    distance = struct.unpack_from("<I", installer, len(installer) - TRAILER_SIZE + 12)[0] ^ DISTANCE_MASK
    header = installer[len(installer) - distance:]

    def field(at, width):
        return header[at:at + width].split(b"\0", 1)[0]

    return header[8:12], field(TITLE_AT, TITLE_WIDTH), field(DESCRIPTION_AT, DESCRIPTION_WIDTH)


def check_paths_in_any_script(run, saverpack, stub, failures):
    """build, inspect --verify, extract and winget with paths in Cyrillic and
    Greek, which code page 1252 cannot spell."""
    work = run.work
    saver = os.urandom(3000)
    (work / "Исходники").mkdir()
    (work / "Исходники" / "сияние.scr").write_bytes(saver)
    (work / "Έξοδος").mkdir()
    installer, extracted = "Έξοδος\\Σέλας Setup.exe", "Έξοδος\\извлечено.scr"
    steps = [
        (["build", "--stub", stub, "--saver", "Исходники\\сияние.scr", "--name", "AURORA.SCR", "--title", "Σέλας",
          "--publisher", "Дмитрий", "--version", "1.0", "--output", installer], "wrote %s, " % installer),
        (["inspect", installer, "--verify"], "%s: valid installer" % installer),
        (["extract", installer, extracted], " to %s, 3000 bytes" % extracted),
        (["winget", installer, "--id", "Dmitry.Aurora", "--installer-url", "https://example.com/a.exe",
          "--license", "Freeware", "--output", "Έξοδος\\манифесты"], "installer  %s, " % installer),
    ]
    for args, printed in steps:
        status, output = run(saverpack, *args)
        if status != 0 or printed not in output:
            failures.append("paths: %s ends with %d, not printing %r: %s" % (args[0], status, printed, output))
            return
    if (work / "Έξοδος" / "извлечено.scr").read_bytes() != saver:
        failures.append("paths: the extracted saver differs from the packed one")
    manifest = work / "Έξοδος" / "манифесты" / "d" / "Dmitry" / "Aurora" / "1.0" / "Dmitry.Aurora.installer.yaml"
    digest = hashlib.sha256((work / "Έξοδος" / "Σέλας Setup.exe").read_bytes()).hexdigest().upper()
    if not manifest.is_file() or ('InstallerSha256: "%s"' % digest) not in manifest.read_text(encoding="utf-8"):
        failures.append("paths: no winget manifest with the installer's digest at %s" % manifest)


class Run:
    def __init__(self, wine_run, work):
        self.wine_run, self.work = wine_run, work
        self.env = dict(os.environ, LC_ALL="C.UTF-8")

    def __call__(self, *command):
        """(status, output) of a Windows program; output to a file, because
        Wine's helper processes could hold a pipe open."""
        log = self.work / "log.txt"
        with open(log, "wb") as out:
            status = subprocess.run([self.wine_run] + [str(c) for c in command], cwd=self.work, env=self.env,
                                    stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT,
                                    timeout=120).returncode
        return status, log.read_bytes().decode("utf-8", "replace")


def check_texts(run, saverpack, stub, failures):
    (run.work / "saver.scr").write_bytes(b"MZ a saver")
    for name, args, output, title, description in CASES:
        status, log = run(saverpack, "build", "--stub", stub, "--saver", "saver.scr", *args, "--output", output)
        path = run.work / output
        if status != 0 or not path.is_file():
            failures.append("%s: status %d, %s %s: %s" % (name, status, output,
                                                           "written" if path.is_file() else "missing", log))
            continue
        # Paths reach the ANSI file calls as before, and are printed in UTF-8
        # like everything else.
        if ("wrote %s," % output) not in log:
            failures.append("%s: no UTF-8 'wrote %s' in %r" % (name, output, log))
        got = header_texts(path.read_bytes())
        expected = (b"utf8", title.encode("utf-8"), description.encode("utf-8"))
        if got != expected:
            failures.append("%s: header holds %r, not %r" % (name, got, expected))
        path.unlink()


def resource(pe, type_id, name_id=None):
    """The data of the first resource of `type_id` (and `name_id`), in its first language."""
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if kind.id != type_id:
            continue
        for name in kind.directory.entries:
            if name_id is None or name.id == name_id:
                entry = name.directory.entries[0].data.struct
                return pe.get_data(entry.OffsetToData, entry.Size)
    return None


def icon_images(pe, group_id=None):
    """The images of an icon group, in its order, each as its RT_ICON holds it."""
    group = resource(pe, RT_GROUP_ICON, group_id)
    count = struct.unpack_from("<H", group, 4)[0]
    ids = [struct.unpack_from("<H", group, 6 + 14 * i + 12)[0] for i in range(count)]
    return [resource(pe, RT_ICON, image) for image in ids]


def ico_images(data):
    count = struct.unpack_from("<H", data, 4)[0]
    return [data[offset:offset + size] for size, offset in
            (struct.unpack_from("<II", data, 6 + 16 * i + 8) for i in range(count))]


def version_strings(pe):
    tables = [table for info in pe.FileInfo[0] if info.Key == b"StringFileInfo" for table in info.StringTable]
    return {table.LangID.decode(): {k.decode(): v.decode() for k, v in table.entries.items()} for table in tables}


def layout_problems(pe):
    """What would make the rewritten image one Windows' loader or signing tools
    take amiss: inconsistent headers, resources out of the loader's order."""
    problems = list(pe.get_warnings())
    header = pe.OPTIONAL_HEADER
    last = pe.sections[-1]
    align = header.SectionAlignment
    if header.SizeOfImage != (last.VirtualAddress + last.Misc_VirtualSize + align - 1) // align * align:
        problems.append("SizeOfImage %#x does not end the last section" % header.SizeOfImage)
    if header.CheckSum != pe.generate_checksum():
        problems.append("the CheckSum is not the image's")
    names = [s.Name.rstrip(b"\0") for s in pe.sections]
    if names[-2:] != [b".rsrc", b".reloc"]:
        problems.append("the sections end %r, not .rsrc and .reloc" % names[-2:])
    resources, relocations = pe.sections[-2], pe.sections[-1]
    directories = header.DATA_DIRECTORY
    if (directories[2].VirtualAddress, directories[2].Size) != (resources.VirtualAddress, resources.Misc_VirtualSize):
        problems.append("data directory 2 is not the resource section")
    if directories[5].VirtualAddress != relocations.VirtualAddress:
        problems.append("data directory 5 is not the relocation section")
    if relocations.PointerToRawData != resources.PointerToRawData + resources.SizeOfRawData:
        problems.append("the relocations do not follow the resources in the file")
    if not header.DllCharacteristics & 0x40:
        problems.append("ASLR (DYNAMIC_BASE) is gone")
    initialized = sum(s.SizeOfRawData for s in pe.sections if s.Characteristics & 0x40)
    if header.SizeOfInitializedData != initialized:
        problems.append("SizeOfInitializedData %#x, the sections hold %#x" % (header.SizeOfInitializedData,
                                                                           initialized))

    def sorted_directory(directory, where):
        keys = [(0, str(e.name)) if e.name is not None else (1, e.id) for e in directory.entries]
        if keys != sorted(keys) or any(k[0] == 0 and k[1] != k[1].upper() for k in keys):
            problems.append("the entries of %s are not in the loader's order: %r" % (where, keys))
        for entry in directory.entries:
            if hasattr(entry, "directory"):
                sorted_directory(entry.directory, where + "/" + str(entry.name or entry.id))
            if getattr(entry, "directory", None) is not None and entry.directory.struct.TimeDateStamp != 0:
                problems.append("%s has a time stamp" % where)

    sorted_directory(pe.DIRECTORY_ENTRY_RESOURCE, "the resources")
    return problems


def check_face(run, saverpack, stub, saver, driver, icon, failures):
    """Two builds: every name from the demo saver, then options over it."""
    saver_pe = pefile.PE(str(saver))
    saver_icon = icon_images(saver_pe)
    cases = [
        ("from the saver", ["--copyright", "© 2024 Ørsted"], "DemoSetup.exe", saver_icon, [0x00010000, 0],
         {"CompanyName": "saverstub", "FileDescription": "Demo Saver Setup", "FileVersion": "1.0",
          "LegalCopyright": "© 2024 Ørsted", "OriginalFilename": "DemoSetup.exe", "ProductName": "Demo Saver",
          "ProductVersion": "1.0"},
         ["title     \"Demo Saver\", the saver's string 1", "publisher \"saverstub\", the saver's CompanyName",
          "version   \"1.0\", the saver's ProductVersion"]),
        ("options win", ["--icon", icon, "--title", "Café", "--publisher", "Ørsted", "--version", "2.5.70000 beta"],
         "OtherSetup.exe", ico_images(pathlib.Path(icon).read_bytes()), [0x00020005, 0],
         {"CompanyName": "Ørsted", "FileDescription": "Café Setup", "FileVersion": "2.5.70000 beta",
          "OriginalFilename": "OtherSetup.exe", "ProductName": "Café", "ProductVersion": "2.5.70000 beta"},
         []),
    ]
    for name, args, output, images, binary, strings, said in cases:
        command = [saverpack, "build", "--stub", stub, "--saver", saver] + args + ["--output", output]
        status, log = run(*command)
        path = run.work / output
        if status != 0:
            failures.append("%s: build ends with %d: %s" % (name, status, log))
            continue
        first = path.read_bytes()
        problems = ["not said: " + line for line in said if line not in log]
        if ("the saver's" in log) != bool(said):
            problems.append("the build's report says otherwise of what came from the saver: " + log)
        pe = pefile.PE(str(path))
        problems += layout_problems(pe)
        if icon_images(pe, 100) != images:
            problems.append("icon group 100 does not hold the expected images byte for byte")
        if version_strings(pe) != {"040904B0": strings}:
            problems.append("pefile reads the strings %r" % version_strings(pe))
        fixed = pe.VS_FIXEDFILEINFO[0]
        if [fixed.FileVersionMS, fixed.FileVersionLS, fixed.ProductVersionMS, fixed.ProductVersionLS] != binary * 2:
            problems.append("the binary versions are not %r" % binary)
        if [v.entry for info in pe.FileInfo[0] if info.Key == b"VarFileInfo" for v in info.Var] != \
                [{b"Translation": "0x0409 0x04b0"}]:
            problems.append("the translation is not 0409/04B0")
        # Windows' own reader of version information.
        status, answer = run(driver, "version-info", output, *FIELDS)
        expected = {"file": binary, "product": binary, "translations": [0x0409, 1200], "strings": strings}
        if status != 0 or json.loads(answer.strip().splitlines()[-1]) != expected:
            problems.append("version.dll reads %r" % answer)
        # Wine's loader maps it and runs it: a switch it does not understand ends it with 87.
        status, log = run(path.name, "/S", "/NOT-A-SWITCH")
        if status != INVALID_PARAMETER:
            problems.append("the installer does not run under Wine (status %d): %s" % (status, log))
        status, log = run(*command)
        if status != 0 or path.read_bytes() != first:
            problems.append("a second build of the same inputs gives other bytes")
        status, report = run(saverpack, "inspect", output)
        shown = "16 x 16, 32 x 32, 48 x 48, 256 x 256 PNG" if images is saver_icon else "32 x 32"
        if "  icon         %s\n" % shown not in report.replace("\r\n", "\n"):
            problems.append("inspect does not show the icon: " + report)
        failures += ["%s: %s" % (name, problem) for problem in problems]


def main():
    wine_run, saverpack, stub, saver, driver, icon = sys.argv[1:7]
    failures = []
    with tempfile.TemporaryDirectory() as work:
        run = Run(wine_run, pathlib.Path(work))
        check_paths_in_any_script(run, saverpack, stub, failures)
        check_texts(run, saverpack, stub, failures)
        check_face(run, saverpack, stub, saver, driver, icon, failures)
    for failure in failures:
        print("FAIL", failure)
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
