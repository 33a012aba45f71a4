#!/usr/bin/env python3
"""Signed installers: saverpack.exe packs, osslsigncode signs with a throwaway
certificate, and the installer's own reader (saverpack.exe inspect, under Wine)
and the stub accept the result; what changes a signed installer afterwards is
refused. Wine's loader ignores signatures, so osslsigncode judges them."""

import shutil
import struct
import subprocess
import sys
import unittest

import harness
import install_run
import installer_writer
from install_run import IDC_DONE_TEXT, IDOK

TOOLS = ["openssl", "osslsigncode"]
H = None
SESSION = None
CERT = KEY = None


def setUpModule():
    global H, SESSION, CERT, KEY
    H, SESSION = install_run.open_module_session("signed")
    CERT, KEY = H.path("cert.pem"), H.path("key.pem")
    # Newer osslsigncode refuses a certificate that is not marked for code signing.
    run_host("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "7",
             "-subj", "/CN=Saverstub Test Signer", "-keyout", KEY, "-out", CERT,
             "-addext", "keyUsage=critical,digitalSignature", "-addext", "extendedKeyUsage=codeSigning")


def tearDownModule():
    H.__exit__(None, None, None)


def run_host(*args):
    result = subprocess.run([str(a) for a in args], stdin=subprocess.DEVNULL, capture_output=True, text=True)
    if result.returncode != 0:
        raise harness.HarnessError("%s -> %d: %s%s" % (args[0], result.returncode, result.stdout, result.stderr))
    return result.stdout


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


def sign(unsigned, name):
    signed = H.path(name)
    run_host("osslsigncode", "sign", "-certs", CERT, "-key", KEY, "-h", "sha256", "-n", "Signed Saver",
             "-in", unsigned, "-out", signed)
    return signed


def verified(path):
    """Whether osslsigncode accepts the signature against the throwaway certificate."""
    result = subprocess.run(["osslsigncode", "verify", "-CAfile", str(CERT), "-in", str(path)],
                            stdin=subprocess.DEVNULL, capture_output=True, text=True)
    return result.returncode == 0


def saverpack(*args):
    """(exit status, output) of saverpack.exe under Wine."""
    process = H.launch(H.build_dir / "saverpack.exe", *args)
    status = process.wait()
    return status, process.output()


def certificate_entry(data):
    fields = installer_writer._pe_fields(data)
    return fields[1]


class SignedInstaller(install_run.InstallTestCase):
    @classmethod
    def setUpClass(cls):
        saver = H.path("probe.scr")
        saver.write_bytes(SESSION.probe)
        cls.unsigned = H.path("setup.exe")
        status, output = saverpack("build", "--stub", windows_path(H.stub), "--saver", windows_path(saver),
                                   "--title", "Signed Saver", "--name", "SIGNED.SCR",
                                   "--output", windows_path(cls.unsigned))
        if status != 0:
            raise harness.HarnessError("saverpack build -> %d: %s" % (status, output))
        cls.signed = sign(cls.unsigned, "setup-signed.exe")

    def test_signed_installer_is_verified_described_and_installs(self):
        self.assertEqual(self.unsigned.stat().st_size % 8, 0, "saverpack aligns the installer to 8 bytes")
        self.assertTrue(verified(self.signed), "osslsigncode accepts the signature")

        status, output = saverpack("inspect", windows_path(self.signed), "--verify")
        self.assertEqual(status, 0, output)
        data = self.signed.read_bytes()
        offset, size = struct.unpack_from("<II", data, certificate_entry(data))
        self.assertEqual(offset, self.unsigned.stat().st_size, "signing inserted no padding")
        self.assertIn("signature", output)
        self.assertIn(str(size), output, "inspect names the certificate table's size")

        extracted = H.path("extracted.scr")
        status, output = saverpack("extract", windows_path(self.signed), windows_path(extracted))
        self.assertEqual(status, 0, output)
        self.assertTrue(extracted.read_bytes() == SESSION.probe, "extract gives back the saver")

        run = self.start("signed", title="Signed Saver", data=data)
        run.install()
        done = run.done_prompt()
        self.assertEqual(run.control(done, IDC_DONE_TEXT)["text"], install_run.done_text("Signed Saver", 0x8A))
        self.assertTrue((SESSION.windows_dir / "SIGNED.SCR").read_bytes() == SESSION.probe,
                        "the saver is installed byte for byte")
        run.finish(done)

    def test_removing_the_signature_gives_back_the_original(self):
        restored = H.path("setup-restored.exe")
        run_host("osslsigncode", "remove-signature", "-in", self.signed, "-out", restored)
        self.assertTrue(restored.read_bytes() == self.unsigned.read_bytes(), "byte for byte")

    def test_changes_after_signing_are_refused_and_other_writers_padding_accepted(self):
        signed = self.signed.read_bytes()
        entry = certificate_entry(signed)

        def appended(data):
            return data + b"\0" * 8

        def stub_byte_changed(data):
            data = bytearray(data)
            data[0x50] ^= 0x01  # in the DOS stub: guarded by the self-check and the signature
            return bytes(data)

        def entry_short_of_the_end(data):
            data = bytearray(data)
            offset, size = struct.unpack_from("<II", data, entry)
            struct.pack_into("<II", data, entry, offset, size - 8)
            return bytes(data)

        for name, change in [("appended", appended), ("stub byte", stub_byte_changed),
                             ("entry short of the end", entry_short_of_the_end)]:
            with self.subTest(name):
                path = H.write_installer("changed.exe", change(signed))
                status, output = saverpack("inspect", windows_path(path))
                self.assertEqual(status, 1, output)
                if name == "stub byte":
                    self.assertFalse(verified(path), "the signature's hash covers the stub image")

        # Another writer's package need not end at an 8-byte boundary; signing then
        # pads it with zero bytes, which the reader skips.
        for extra in range(8):
            unaligned = installer_writer.build_installer(H.stub.read_bytes(), saver=b"MZ" + bytes(range(16 + extra)))
            if len(unaligned) % 8 != 0:
                break
        self.assertNotEqual(len(unaligned) % 8, 0)
        signed_unaligned = sign(H.write_installer("unaligned.exe", unaligned), "unaligned-signed.exe")
        self.assertTrue(verified(signed_unaligned))
        status, output = saverpack("inspect", windows_path(signed_unaligned))
        self.assertEqual(status, 0, output)


if __name__ == "__main__":
    missing = [tool for tool in TOOLS if shutil.which(tool) is None]
    if missing:
        print("skipped: missing " + ", ".join(missing))
        sys.exit(harness.SKIP)
    harness.main()
