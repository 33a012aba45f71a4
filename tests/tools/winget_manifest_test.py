#!/usr/bin/env python3
"""`saverpack winget` end to end: an installer with a publisher, a version that
reads like a number, a web page, a UTF-8 title and a description longer than
winget's short one; its manifest read back with a real YAML parser, every field
with its type, and the installer's digest checked against sha256sum. Then a
second run is refused and one with --force replaces the folder.

    winget_manifest_test.py [--wine-run WINE_RUN] SAVERPACK

With --wine-run, SAVERPACK is saverpack.exe, run under Wine with a UTF-8 locale
(Wine hands the arguments on through it).
"""
import argparse
import os
import pathlib
import random
import subprocess
import sys
import tempfile

import yaml

ID, VERSION, PUBLISHER = "Example.Aurora", "1.10", "Exämple Ltd"
URL, INSTALLER_URL = "https://example.com/aurora", "https://example.com/download/AuroraSetup.exe"
TITLE = 'Северное сияние "Aurora" \\ night'
# 270 characters in 290 bytes: winget's 256 end inside the two-byte letters.
DESCRIPTION = ('Polar lights\tover the "tundra" \\ ' + "n" * 217 + "é" * 20)
FOLDER = pathlib.Path("manifests", "e", "Example", "Aurora", VERSION)
SCHEMA = "# yaml-language-server: $schema=https://aka.ms/winget-manifest.%s.1.10.0.schema.json\n"

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAILED:", message)


def run(command, work, log):
    # Output to a file: Wine's helper processes could hold a pipe open.
    with open(log, "w+", encoding="utf-8") as out:
        env = dict(os.environ, LC_ALL="C.UTF-8")
        status = subprocess.run(command, cwd=work, env=env, stdin=subprocess.DEVNULL, stdout=out,
                                stderr=subprocess.STDOUT, timeout=120).returncode
        out.seek(0)
        text = out.read()
    print(f"$ {' '.join(command)}  (exit {status})\n{text}", end="")
    return status, text


def expected_files(sha256):
    common = {"PackageIdentifier": ID, "PackageVersion": VERSION}
    closing = lambda kind: {"ManifestType": kind, "ManifestVersion": "1.10.0"}
    return {
        f"{ID}.yaml": ("version", {**common, "DefaultLocale": "en-US", **closing("version")}),
        f"{ID}.locale.en-US.yaml": ("defaultLocale", {
            **common, "PackageLocale": "en-US", "Publisher": PUBLISHER, "PackageName": TITLE, "PackageUrl": URL,
            "License": "Freeware", "ShortDescription": DESCRIPTION[:256], **closing("defaultLocale")}),
        f"{ID}.installer.yaml": ("installer", {
            **common, "InstallerType": "exe", "Scope": "machine", "InstallModes": ["interactive", "silent"],
            "InstallerSwitches": {"Silent": "/S", "SilentWithProgress": "/S"},
            "ExpectedReturnCodes": [{"InstallerReturnCode": 1602, "ReturnResponse": "cancelledByUser"},
                                    {"InstallerReturnCode": 87, "ReturnResponse": "invalidParameter"}],
            "UpgradeBehavior": "install",
            "AppsAndFeaturesEntries": [{"DisplayName": TITLE, "Publisher": PUBLISHER, "DisplayVersion": VERSION,
                                        "ProductCode": "ScreenSaver_AURORA.SCR"}],
            "ElevationRequirement": "elevatesSelf",
            "Installers": [{"Architecture": "x86", "InstallerUrl": INSTALLER_URL, "InstallerSha256": sha256}],
            **closing("installer")}),
    }


def check_manifest(work, sha256, label):
    folder = work / FOLDER
    expected = expected_files(sha256)
    names = sorted(p.name for p in folder.iterdir()) if folder.is_dir() else []
    check(names == sorted(expected), f"{label}: {folder} holds {names}")
    everything = sorted(str(p.relative_to(work)) for p in (work / "manifests").rglob("*"))
    check(len(everything) == 4 + len(expected), f"{label}: more than the manifest under manifests/: {everything}")
    for name, (kind, fields) in expected.items():
        path = folder / name
        if not path.is_file():
            continue
        text = path.read_text(encoding="utf-8")
        check(text.startswith(SCHEMA % kind), f"{label}: {name} starts {text.splitlines()[0]!r}")
        # Equal values are of equal types here: "1.10" read as a number is 1.1.
        got = yaml.safe_load(text)
        check(got == fields, f"{label}: {name} reads back as {got}, not {fields}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--wine-run")
    parser.add_argument("saverpack")
    options = parser.parse_args()
    packer = ([options.wine_run] if options.wine_run else []) + [options.saverpack]

    with tempfile.TemporaryDirectory() as work:
        work = pathlib.Path(work)
        rng = random.Random(21)
        # Any bytes serve as the stub: the reader checks only what the packer
        # records of them. Over 64 KiB, so the digest takes the file in pieces.
        (work / "stub.exe").write_bytes(b"MZ" + rng.randbytes(70000))
        (work / "aurora.scr").write_bytes(rng.randbytes(100000))
        status, _ = run(packer + ["build", "--stub", "stub.exe", "--saver", "aurora.scr", "--name", "AURORA.SCR",
                                  "--title", TITLE, "--description", DESCRIPTION, "--publisher", PUBLISHER,
                                  "--version", VERSION, "--url", URL, "--output", "AuroraSetup.exe"],
                        work, work / "build.log")
        if status != 0:
            print("FAILED: the installer was not built")
            return 1
        sha256 = subprocess.run(["sha256sum", "AuroraSetup.exe"], cwd=work, capture_output=True, text=True,
                                check=True).stdout.split()[0].upper()
        winget = packer + ["winget", "AuroraSetup.exe", "--id", ID, "--installer-url", INSTALLER_URL,
                           "--license", "Freeware"]

        status, text = run(winget, work, work / "winget.log")
        check(status == 0, f"winget ends with {status}")
        check(f"wrote {FOLDER.as_posix()}\n" in text, "winget does not say where it wrote")
        check_manifest(work, sha256, "first run")

        (work / FOLDER / f"{ID}.yaml").write_text("changed", encoding="utf-8")
        status, text = run(winget, work, work / "again.log")
        check(status == 1 and "already exists; give --force" in text, f"a second run ends with {status}")
        check((work / FOLDER / f"{ID}.yaml").read_text(encoding="utf-8") == "changed",
              "a refused run changed the manifest")
        status, _ = run(winget + ["--force"], work, work / "force.log")
        check(status == 0, f"the run with --force ends with {status}")
        check_manifest(work, sha256, "run with --force")

    print("PASSED" if not failures else f"{len(failures)} checks failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
