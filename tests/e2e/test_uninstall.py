#!/usr/bin/env python3
"""Apps & features: what an install registers (the Uninstall key's values, read
with the wide calls, and the uninstaller, a copy of the installer), as Wine's own
`uninstaller` lists it and as `saverpack winget` describes it; removal through QuietUninstallString, which leaves the
uninstaller and its folder to the next restart (`wineboot -r`), and through
`uninstaller --remove`, answering the boxes; No in the confirmation; another
saver's setting; a package that asks for no entry; installing twice."""

import time
import unittest

import yaml

import harness
import install_run
import installer_writer

H = None
SESSION = None
UNINSTALL = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
PROGRAM_FILES = "C:\\Program Files"  # the stub's own architecture's, as the tests' prefix has it
IDOK, IDYES, IDNO, BOX_TEXT = 1, 6, 7, 0xFFFF
TITLE, PUBLISHER = "Café – Мир", "Éditions Müller"


def setUpModule():
    global H, SESSION
    H, SESSION = install_run.open_module_session("uninstall")


def tearDownModule():
    H.__exit__(None, None, None)


class Uninstall(install_run.InstallTestCase):
    def installer(self, name, app=(PUBLISHER, "1.10", "https://example.com/saver"), title=TITLE):
        """Writes an installer of `name`.SCR; returns (Windows path, bytes, saver)."""
        saver = SESSION.probe + name.encode()
        data = installer_writer.build_installer(H.stub.read_bytes(), title=title, utf8=True, saver=saver,
                                                saver_name=name + ".SCR", app=app)
        return harness.windows_path(H.write_installer(name + "Setup.exe", data)), data, saver

    def run_stub(self, command, *switches):
        return H.driver("run", command, *switches, timeout=70)["exit_code"]

    def entry(self, name):
        answer = H.driver("reg-values", UNINSTALL + "ScreenSaver_" + name + ".SCR")
        return answer["values"] if answer["exists"] else None

    def listed(self):
        """Wine's Apps & features, as `uninstaller --list` prints it: key|||name."""
        process = H.launch("uninstaller", "--list")
        process.wait(60)
        return process.log_path.read_bytes().decode("utf-8", "replace")

    def winget_entry(self, installer):
        """The Apps & features entry that saverpack.exe's winget manifest of `installer` promises."""
        manifests = H.path("manifests")
        packer = H.launch(H.build_dir / "saverpack.exe", "winget", installer, "--id", "Test.Cafe", "--license",
                          "Freeware", "--installer-url", "https://example.com/CafeSetup.exe", "--output",
                          harness.windows_path(manifests))
        self.assertEqual(packer.wait(60), 0, packer.output())
        path = manifests / "t" / "Test" / "Cafe" / "1.10" / "Test.Cafe.installer.yaml"
        return yaml.safe_load(path.read_text(encoding="utf-8"))["AppsAndFeaturesEntries"]

    def restart(self):
        H.launch("wineboot", "-r").wait(120)

    def answer_box(self, text, button):
        """Finds the stub's box, checks its wide text and presses `button`; returns the box."""
        box = H.driver("message-box", 0)
        self.assertEqual(box["caption"], "Message")
        self.assertEqual(box["owner"], 0, "no backdrop, no owner")
        self.assertEqual(H.driver("wide-text", box["hwnd"], BOX_TEXT)["text"], text)
        H.driver("press", box["hwnd"], button)
        return box

    def test_round_trip_through_apps_and_features(self):
        exe, data, saver = self.installer("CAFE")
        folder = PROGRAM_FILES + "\\CAFE Screen Saver"
        uninstaller = folder + "\\uninstall.exe"
        SESSION.saver_settings(0, 300)
        days = {time.strftime("%Y%m%d")}
        self.assertEqual(self.run_stub(exe, "/S"), harness.INSTALLED)
        days.add(time.strftime("%Y%m%d"))

        self.assertIn("ScreenSaver_CAFE.SCR|||", self.listed())
        values = self.entry("CAFE")
        self.assertIn(values.pop("InstallDate"), days)
        self.assertEqual(values, {
            "DisplayName": TITLE, "DisplayIcon": "C:\\windows\\CAFE.SCR",
            "UninstallString": '"%s" /UNINSTALL' % uninstaller, "QuietUninstallString": '"%s" /UNINSTALL /S' % uninstaller,
            "InstallLocation": folder, "Publisher": PUBLISHER, "DisplayVersion": "1.10",
            "URLInfoAbout": "https://example.com/saver", "EstimatedSize": -(-(len(saver) + len(data)) // 1024),
            "NoModify": 1, "NoRepair": 1})
        self.assertTrue(SESSION.host_path(uninstaller).read_bytes() == data, "the uninstaller is the installer")
        self.assertEqual(self.winget_entry(exe), [{
            "DisplayName": values["DisplayName"], "Publisher": values["Publisher"],
            "DisplayVersion": values["DisplayVersion"], "ProductCode": "ScreenSaver_CAFE.SCR"}])
        self.assertIsNotNone(SESSION.boot_saver())

        # Quietly, as winget does: everything but the running uninstaller goes at once.
        self.assertEqual(self.run_stub(uninstaller, "/UNINSTALL", "/S"), harness.INSTALLED)
        self.assertFalse((SESSION.windows_dir / "CAFE.SCR").exists())
        self.assertIsNone(SESSION.boot_saver(), "SYSTEM.INI no longer names it")
        self.assertEqual(SESSION.saver_settings()[0], 0, "screen saving is off")
        self.assertIsNone(self.entry("CAFE"))
        self.assertNotIn("ScreenSaver_CAFE.SCR", self.listed())
        self.assertTrue(SESSION.host_path(uninstaller).exists(), "a running program is not deleted")
        self.restart()
        self.assertFalse(SESSION.host_path(folder).exists(), "the uninstaller and its folder go at the restart")

        # Again, removed interactively from Wine's Apps & features.
        self.assertEqual(self.run_stub(exe, "/S", "/NOACTIVATE"), harness.INSTALLED)
        remover = H.launch("uninstaller", "--remove", "ScreenSaver_CAFE.SCR")
        self.answer_box("Remove %s from this computer?" % TITLE, IDYES)
        box = H.driver("message-box", 0)
        waiter = H.start_driver("wait-exit", box["pid"])
        H.wait_for_line(waiter)
        self.answer_box("%s has been removed from this computer." % TITLE, IDOK)
        self.assertEqual(waiter.wait(), 0, waiter.output())
        self.assertEqual(H.last_answer(waiter)["exit_code"], harness.INSTALLED)
        remover.wait(30)
        self.assertFalse((SESSION.windows_dir / "CAFE.SCR").exists())
        self.assertIsNone(self.entry("CAFE"))

    def test_what_removal_and_registration_leave_alone(self):
        # Another saver is active; this one is installed twice, then removal is declined and done.
        other_exe, _, _ = self.installer("OTHER", app=None)
        self.assertEqual(self.run_stub(other_exe, "/S"), harness.INSTALLED)
        self.assertFalse(SESSION.host_path(PROGRAM_FILES + "\\OTHER Screen Saver").exists(), "no entry asked for")
        self.assertIsNone(self.entry("OTHER"))
        active = SESSION.boot_saver(), SESSION.saver_settings()

        exe, _, saver = self.installer("TWICE")
        for _ in range(2):
            self.assertEqual(self.run_stub(exe, "/S", "/NOACTIVATE"), harness.INSTALLED)
        folder = SESSION.host_path(PROGRAM_FILES + "\\TWICE Screen Saver")
        self.assertEqual(sorted(p.name for p in folder.iterdir()), ["uninstall.exe"])
        self.assertIsNotNone(self.entry("TWICE"))

        for button, status in ((IDNO, harness.CANCELLED), (IDYES, harness.INSTALLED)):
            run = H.start_driver("run", exe, "/UNINSTALL")
            self.answer_box("Remove %s from this computer?" % TITLE, button)
            if button == IDYES:
                self.answer_box("%s has been removed from this computer." % TITLE, IDOK)
            run.wait(30)
            self.assertEqual(H.last_answer(run)["exit_code"], status)
            self.assertEqual((SESSION.windows_dir / "TWICE.SCR").exists(), button == IDNO)
            self.assertEqual(self.entry("TWICE") is not None, button == IDNO)
        self.assertFalse(folder.exists(), "removed from a copy of the installer: nothing waits for a restart")
        self.assertEqual((SESSION.boot_saver(), SESSION.saver_settings()), active, "the other saver stays active")


if __name__ == "__main__":
    harness.main()
