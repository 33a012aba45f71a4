#!/usr/bin/env python3
"""A damaged installer: the stub reports it in a message box and exits with 1620."""

import unittest

import harness
import installer_writer

DAMAGED_MESSAGE = "FATAL ERROR\n\nThis installer has been damaged."
H = None


def setUpModule():
    global H
    H = harness.Harness(harness.BUILD_DIR, "damaged").__enter__()


def tearDownModule():
    H.__exit__(None, None, None)


class DamagedInstaller(unittest.TestCase):
    def run_damaged(self, exe):
        """Starts `exe`, checks the damage box and dismisses it; returns the
        screenshot taken while the box was up."""
        stub = H.launch(exe)
        window = H.driver("window", "VelquorInstaller")
        self.assertEqual(window["rect"], [0, 0, harness.SCREEN_WIDTH, harness.SCREEN_HEIGHT])

        box = H.driver("message-box", window["pid"])
        self.assertEqual(box["caption"], "Message")
        self.assertEqual(box["message"], DAMAGED_MESSAGE)
        self.assertEqual(box["owner"], window["hwnd"], "the box is owned by the main window")
        buttons = [c for c in box["controls"] if c["class"].lower() == "button"]
        self.assertEqual([b["id"] for b in buttons], [1], "a box with OK only")
        screen = H.settled_screenshot()

        waiter = H.start_driver("wait-exit", window["pid"])
        H.wait_for_line(waiter)
        H.driver("press", box["hwnd"], 1)
        self.assertEqual(waiter.wait(), 0, waiter.output())
        self.assertEqual(H.last_answer(waiter)["exit_code"], harness.DAMAGED, "exit code seen by Windows")
        self.assertEqual(stub.wait(), harness.shell_status(harness.DAMAGED), "exit status seen by the shell")
        return screen, box

    def test_bare_stub_reports_damage_over_black_window(self):
        exe = H.write_installer("bare.exe", H.stub.read_bytes())
        screen, box = self.run_damaged(exe)
        box_left, box_top, box_right, box_bottom = box["rect"]
        # No header tag is held, so the window behind the box is plain black.
        for x, y in [(0, 0), (1023, 0), (0, 767), (1023, 767), (512, 60), (100, 400), (512, 700)]:
            if not (box_left <= x < box_right and box_top <= y < box_bottom):
                self.assertEqual(screen.pixel(x, y), (0, 0, 0), (x, y))

    def test_changed_header_byte_reports_damage(self):
        stub = H.stub.read_bytes()
        data = bytearray(installer_writer.build_installer(stub, title="Damaged Saver", colour=0xFFFFFF))
        title_byte = len(stub) + installer_writer.TITLE_OFFSET
        data[title_byte] ^= 0x01
        self.run_damaged(H.write_installer("changed.exe", bytes(data)))

    def test_a_saver_name_that_is_no_screen_savers_reports_damage_and_writes_nothing(self):
        # A sound package whose saver would replace a Windows program.
        windows = H.prefix / "drive_c" / "windows"
        explorer = (windows / "explorer.exe").read_bytes()
        before = sorted(p.name for p in windows.iterdir())
        data = installer_writer.build_installer(H.stub.read_bytes(), title="Not A Saver", colour=0xFFFFFF,
                                                saver=b"MZ not explorer", saver_name="explorer.exe")
        screen, box = self.run_damaged(H.write_installer("program.exe", data))
        self.assertEqual(screen.pixel(0, 0), (0, 0, 0), "nothing of the package is shown")
        self.assertTrue((windows / "explorer.exe").read_bytes() == explorer, "explorer.exe is as it was")
        self.assertEqual(sorted(p.name for p in windows.iterdir()), before, "nothing written")

    def test_wrong_adler32_of_a_stream_reports_damage(self):
        # The document is inflated while the installer checks itself; its stream
        # ends in its Adler-32, just before the trailer.
        data = bytearray(installer_writer.build_installer(H.stub.read_bytes(), document=b"{\\rtf1 readme}" * 50))
        data[-installer_writer.TRAILER_SIZE - 1] ^= 0x01
        self.run_damaged(H.write_installer("adler.exe", bytes(data)))


if __name__ == "__main__":
    harness.main()
