#!/usr/bin/env python3
"""Unattended installs and the exit statuses, as a script or winget sees them:
the stub is started by e2e_driver's `run`, which reads the full 32-bit status
with GetExitCodeProcess and lists every window the stub had. A silent install
writes and activates the saver with no window at all, also with no display;
/NOACTIVATE and /TIMEOUT change what it does and what the prompt proposes; a
switch not understood, /?, a damaged installer and a saver that cannot be
written end with their statuses."""

import unittest

import harness
import install_run
import installer_writer
from install_run import IDC_MAKE_DEFAULT, IDC_MINUTES, IDOK

H = None
SESSION = None
HELP_LINES = ("/S\tsilent: shows nothing and asks nothing", "1602\tcancelled", "87\ta switch was not understood")


def setUpModule():
    global H, SESSION
    H, SESSION = install_run.open_module_session("unattended")


def tearDownModule():
    H.__exit__(None, None, None)


class Unattended(install_run.InstallTestCase):
    def installer(self, name, **package):
        package.setdefault("saver", SESSION.probe + name.encode())
        data = installer_writer.build_installer(H.stub.read_bytes(), **package)
        return harness.windows_path(H.write_installer(name + ".exe", data)), package["saver"]

    def run_stub(self, exe, *switches, h=None):
        """Runs the stub to its end; returns (exit status, classes of its windows)."""
        answer = (h or H).driver("run", exe, *switches, timeout=70)
        return answer["exit_code"], answer["windows"]

    def test_silent_installs_with_the_choices_of_the_package_or_the_switches(self):
        cases = (
            # switches, the package's timeout, what the settings become: (active, seconds)
            (["/S"], 120, (1, 99 * 60)),
            (["-s", "/TIMEOUT=15"], 7, (1, 15 * 60)),
            (["/S", "/NOACTIVATE", "/TIMEOUT=15"], 7, (0, 420)),
        )
        for switches, timeout, settings in cases:
            with self.subTest(" ".join(switches)):
                name = "SILENT%d.SCR" % len(switches)
                SESSION.saver_settings(0, 420)
                before = SESSION.snapshot()
                exe, saver = self.installer(name[:-4], title="Silent Saver", timeout=timeout, saver_name=name)
                self.assertEqual(self.run_stub(exe, *switches), (harness.INSTALLED, []), "installed, nothing shown")
                self.assertEqual((SESSION.windows_dir / name).read_bytes(), saver, "written byte for byte")
                after = SESSION.snapshot()
                self.assertEqual(set(after["windows"]) - set(before["windows"]), {name}, "no temporary file left")
                self.assertEqual(after["settings"], settings)
                if settings[0]:
                    self.assertEqual(SESSION.long_path(SESSION.boot_saver())["path"].lower(),
                                     "c:\\windows\\" + name.lower())
                else:
                    self.assertEqual(after["system.ini"], before["system.ini"], "SYSTEM.INI untouched")
                self.assertEqual(SESSION.probe_runs(), [], "no preview, no document")

    def test_statuses_of_runs_that_install_nothing(self):
        blocked = "BLOCKED.SCR"
        (SESSION.windows_dir / blocked).mkdir(exist_ok=True)
        exe, _ = self.installer("statuses", title="Status Saver", saver_name="STATUS.SCR", document=b"never")
        blocked_exe, _ = self.installer("blocked", saver_name=blocked)
        damaged_exe = harness.windows_path(H.write_installer("damaged.exe", H.stub.read_bytes() + b"no package"))
        # Only screen savers go into the Windows directory: any other name is damage.
        program_exe, _ = self.installer("program", saver_name="NOTEPAD.EXE")
        SESSION.saver_settings(0, 300)
        before = SESSION.snapshot()
        # (switches, status) of silent runs: nothing may be shown, not even a box.
        for exe_, switches, status in ((blocked_exe, ["/S"], harness.NOT_WRITTEN),
                                       (damaged_exe, ["/S"], harness.DAMAGED),
                                       (program_exe, ["/S"], harness.DAMAGED),
                                       (exe, ["/S", "/TIMEOUT=0"], harness.INVALID_PARAMETER)):
            with self.subTest(" ".join(switches)):
                self.assertEqual(self.run_stub(exe_, *switches), (status, []))

        # A switch not understood, or /?, brings a box that names it and stands alone.
        for switches, status, lines in ((["/NOACTIVATE", "/Q", "/S/"], harness.INVALID_PARAMETER,
                                         ('The switch "/Q" is not understood; nothing was changed.',)),
                                        (["/?", "/S"], harness.INSTALLED, HELP_LINES)):
            with self.subTest(" ".join(switches)):
                run = H.start_driver("run", exe, *switches)
                box = H.driver("message-box", 0)
                self.assertEqual(box["caption"], "Message")
                self.assertEqual(box["owner"], 0, "owned by no window: there is none")
                for line in lines:
                    self.assertIn(line, box["message"])
                H.driver("press", box["hwnd"], IDOK)
                self.assertEqual(run.wait(), 0, run.output())
                self.assertEqual(H.last_answer(run)["exit_code"], status)
        self.assertEqual(SESSION.snapshot(), before, "nothing written, nothing changed")
        self.assertEqual(SESSION.probe_runs(), [], "no document shown")

    def test_switches_set_what_the_prompt_proposes(self):
        run = self.start("proposal", timeout=7, switches=("/noactivate", "/TIMEOUT=15"))
        self.assertEqual(run.control(run.prompt, IDC_MINUTES)["text"], "15")
        self.assertEqual(run.control(run.prompt, IDC_MAKE_DEFAULT)["checked"], 0, "the box starts cleared")
        run.cancel()

    def test_silent_install_without_a_display(self):
        with harness.Harness(harness.BUILD_DIR, "unattended-headless", headless=True) as headless:
            session = install_run.InstallSession(headless)
            data = installer_writer.build_installer(headless.stub.read_bytes(), title="Headless",
                                                    saver=session.probe, saver_name="HEADLESS.SCR")
            exe = harness.windows_path(headless.write_installer("headless.exe", data))
            # Without /S the window or, should Wine make that, the prompt cannot be shown.
            status, windows = self.run_stub(exe, h=headless)
            self.assertEqual(status, harness.NOT_WRITTEN, windows)
            self.assertFalse((session.windows_dir / "HEADLESS.SCR").exists())
            self.assertEqual(self.run_stub(exe, "/S", "/NOACTIVATE", h=headless), (harness.INSTALLED, []))
            self.assertEqual((session.windows_dir / "HEADLESS.SCR").read_bytes(), session.probe)


if __name__ == "__main__":
    harness.main()
