#!/usr/bin/env python3
"""An installer downloaded into a folder the ANSI code page cannot spell, on an
English Windows (code page 1252) whose user is named in Cyrillic: it lies in
C:\\users\\Дмитрий\\Загрузки\\Ελληνικά 日本\\, and TEMP and TMP name a Cyrillic
folder too. The silent install writes the saver byte for byte and registers the
uninstaller; the interactive run shows its prompt, previews the saver and opens
the document, both from that TEMP, and says it is done; the registered
uninstaller removes it all. And an installer that cannot open its own file says
so and ends with 1603: it is not damaged.

Wine takes the display language, the ANSI code page and the Unix spelling of
Windows file names from the locale: C.UTF-8 is English with code page 1252, and
spells the names in UTF-8. Every program is started from the Windows side by
e2e_driver's `run` through the wide calls, with TEMP and TMP set there, because
Wine hands neither on from the Unix environment."""

import os

os.environ["LC_ALL"] = "C.UTF-8"  # for every Wine process of this module

import time

import harness
import install_run
import installer_writer
from install_run import IDC_DONE_TEXT, IDC_MINUTES_SPIN, IDC_PREVIEW, IDC_PROMPT_TEXT, IDC_WAIT_TEXT, IDOK

H = None
SESSION = None
DOWNLOADS = "C:\\users\\Дмитрий\\Загрузки\\Ελληνικά 日本"
TEMP = "C:\\users\\Дмитрий\\Временные файлы"
UNINSTALL = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ScreenSaver_"
TITLE = "Северное сияние"
UNREADABLE = "FATAL ERROR\n\nThis installer cannot open its own file. Copy it to another folder and try again."


def setUpModule():
    global H, SESSION
    H, SESSION = install_run.open_module_session("any-folder")
    SESSION.host_path(TEMP).mkdir(parents=True)


def tearDownModule():
    H.__exit__(None, None, None)


class AnyFolder(install_run.InstallTestCase):
    def put_installer(self, name, **package):
        """Writes an installer into the Downloads folder; returns (its Windows path, its bytes)."""
        data = installer_writer.build_installer(H.stub.read_bytes(), **package)
        path = DOWNLOADS + "\\" + name
        host = SESSION.host_path(path)
        host.parent.mkdir(parents=True, exist_ok=True)
        host.write_bytes(data)
        return path, data

    def run_command(self, exe, *switches):
        return ["run", "--env", "TEMP=" + TEMP, "--env", "TMP=" + TEMP, exe] + list(switches)

    def temp_files(self):
        return sorted(os.listdir(SESSION.host_path(TEMP)))

    def wide_text(self, hwnd, control_id):
        return H.driver("wide-text", hwnd, control_id)["text"]

    def wait_for_probe_runs(self, count):
        deadline = time.monotonic() + harness.DEFAULT_WAIT
        while len(SESSION.probe_runs()) < count and time.monotonic() < deadline:
            time.sleep(0.05)
        return SESSION.probe_runs()

    def assert_spelt_in_ansi(self, command):
        # The probe reads its command line in ANSI: what it got is what it was
        # given only when the paths are short forms the code page can spell.
        self.assertTrue(command.isascii() and "?" not in command, command)

    def test_installs_previews_shows_and_uninstalls_from_a_folder_outside_the_code_page(self):
        saver, document = SESSION.probe + b"any folder", "Полярное сияние · Το βόρειο σέλας".encode("utf-8")
        exe, data = self.put_installer("Setup.exe", title=TITLE, utf8=True, timeout=7, saver=saver,
                                       saver_name="AURORA.SCR", document=document,
                                       app=("Дмитрий", "1.0", "https://example.com/aurora"))
        installed = SESSION.windows_dir / "AURORA.SCR"
        uninstaller = "C:\\Program Files\\AURORA Screen Saver\\uninstall.exe"
        SESSION.saver_settings(0, 300)

        # Silently, as a script would.
        answer = H.driver(*self.run_command(exe, "/S"), timeout=70)
        self.assertEqual((answer["exit_code"], answer["windows"]), (harness.INSTALLED, []))
        self.assertTrue(installed.read_bytes() == saver, "the saver, byte for byte")
        self.assertEqual(SESSION.long_path(SESSION.boot_saver())["path"].lower(), "c:\\windows\\aurora.scr")
        entry = H.driver("reg-values", UNINSTALL + "AURORA.SCR")["values"]
        self.assertEqual((entry["DisplayName"], entry["UninstallString"]), (TITLE, '"%s" /UNINSTALL' % uninstaller))
        self.assertTrue(SESSION.host_path(uninstaller).read_bytes() == data, "the uninstaller is the installer")
        self.assertEqual(SESSION.probe_runs(), [], "nothing shown")

        # Interactively: the prompt, a preview, the install, the document, done.
        run = H.start_driver(*self.run_command(exe))
        window = H.driver("window", "VelquorInstaller")
        prompt = H.driver("dialog", window["pid"], "--control", IDC_MINUTES_SPIN)
        self.assertEqual(self.wide_text(prompt["hwnd"], IDC_PROMPT_TEXT), install_run.prompt_text(TITLE))
        H.driver("press", prompt["hwnd"], IDC_PREVIEW)
        previewed = self.wait_for_probe_runs(1)
        H.driver("idle", prompt["hwnd"])  # the preview has returned
        self.assertEqual(len(previewed), 1, "the saver ran once")
        self.assertEqual(previewed[0]["args"], ["/S"])
        self.assert_spelt_in_ansi(previewed[0]["command"])
        self.assertTrue(previewed[0]["saver_running"])
        self.assertEqual(self.temp_files(), [], "the previewed copy is gone from TEMP")

        watcher = H.start_driver("dialog", window["pid"], 15000, "--control", IDC_WAIT_TEXT, "--not", prompt["hwnd"])
        H.driver("press", prompt["hwnd"], IDOK)
        wait_box = H.wait_for_line(watcher)
        done = H.driver("dialog", window["pid"], "--control", IDC_DONE_TEXT, "--not", prompt["hwnd"])
        self.assertEqual(self.wide_text(wait_box["hwnd"], IDC_WAIT_TEXT), install_run.WAIT_FORMAT % TITLE)
        self.assertEqual(self.wide_text(done["hwnd"], IDC_DONE_TEXT), install_run.done_text(TITLE, 0x87))
        viewer = self.wait_for_probe_runs(2)[1]
        self.assertEqual(viewer["self"].lower(), "c:\\viewer.exe")
        self.assert_spelt_in_ansi(viewer["command"])
        self.assertEqual(bytes.fromhex(viewer["arg1_bytes"] or ""), document, "the viewer opened the document")
        self.assertEqual(self.temp_files(), [], "the document is gone from TEMP")
        self.assertTrue(installed.read_bytes() == saver)
        H.driver("press", done["hwnd"], IDOK)
        self.assertEqual(run.wait(), 0, run.output())
        self.assertEqual(H.last_answer(run)["exit_code"], harness.INSTALLED)

        # The uninstaller the entry names removes it all.
        answer = H.driver("run", uninstaller, "/UNINSTALL", "/S", timeout=70)
        self.assertEqual((answer["exit_code"], answer["windows"]), (harness.INSTALLED, []))
        self.assertFalse(installed.exists())
        self.assertFalse(H.driver("reg-values", UNINSTALL + "AURORA.SCR")["exists"])
        self.assertIsNone(SESSION.boot_saver())
        self.assertEqual(SESSION.saver_settings()[0], 0, "screen saving is off")

    def test_an_installer_that_cannot_open_its_own_file_is_not_called_damaged(self):
        exe, _ = self.put_installer("Held.exe", saver=SESSION.probe, saver_name="HELD.SCR")
        before = SESSION.snapshot()
        # Open for deleting, as a virus scanner may hold a download: Windows then
        # starts the program, but the installer cannot open its file to read it.
        holder = H.start_driver("hold", exe, 60000)
        H.wait_for_line(holder)
        answer = H.driver(*self.run_command(exe, "/S"), timeout=70)
        self.assertEqual((answer["exit_code"], answer["windows"]), (harness.NOT_WRITTEN, []))

        run = H.start_driver(*self.run_command(exe))
        window = H.driver("window", "VelquorInstaller")
        box = H.driver("message-box", window["pid"])
        self.assertEqual((box["caption"], box["message"]), ("Message", UNREADABLE))
        self.assertEqual(box["owner"], window["hwnd"], "owned by the main window")
        H.driver("press", box["hwnd"], IDOK)
        self.assertEqual(run.wait(), 0, run.output())
        self.assertEqual(H.last_answer(run)["exit_code"], harness.NOT_WRITTEN)
        holder.kill()
        self.assertEqual(SESSION.snapshot(), before, "nothing written, nothing changed")


if __name__ == "__main__":
    harness.main()
