#!/usr/bin/env python3
"""Whole installations, driven through the stub's dialogs: the install prompt,
the wait box, the saver written into the Windows directory, activation, the
document shown by its viewer, the done prompt and the exit; Cancel and Esc; a
preview before the install. All cases share one prefix and compare the system
before and after themselves."""

import os
import random

import harness
import install_run
from install_run import IDC_CREDIT, IDC_DONE_TEXT, IDC_MAKE_DEFAULT, IDC_MINUTES, IDC_MINUTES_SPIN
from install_run import IDC_PREVIEW, IDC_PROMPT_TEXT, IDC_SETTINGS, IDC_WAIT_TEXT, IDCANCEL, IDOK, NO_ID, VK_ESCAPE

H = None
SESSION = None


def setUpModule():
    global H, SESSION
    H, SESSION = install_run.open_module_session("install")
    SESSION.record_control_panel()


def tearDownModule():
    H.__exit__(None, None, None)


class Installation(install_run.InstallTestCase):
    def check_prompt(self, run, title, timeout):
        prompt = run.prompt
        self.assertEqual([c["id"] for c in prompt["controls"]],
                         [IDOK, IDCANCEL, IDC_MAKE_DEFAULT, IDC_PROMPT_TEXT, NO_ID, IDC_MINUTES, IDC_MINUTES_SPIN,
                          NO_ID, IDC_PREVIEW], "the controls in template order")
        self.assertEqual(run.control(prompt, IDOK)["text"], "Install")
        self.assertEqual(run.control(prompt, IDC_PROMPT_TEXT)["text"], install_run.prompt_text(title))
        self.assertEqual(run.control(prompt, IDC_MINUTES)["text"], str(timeout), "the header's proposal")
        self.assertEqual(run.control(prompt, IDC_MAKE_DEFAULT)["checked"], 1, "the box starts ticked")

    def check_saver_written(self, name, saver):
        path = SESSION.windows_dir / name
        self.assertTrue(path.is_file(), "%s in C:\\windows" % name)
        self.assertTrue(path.read_bytes() == saver, "the saver equals the packed one byte for byte")
        leftovers = [n for n in os.listdir(SESSION.windows_dir) if n.upper().startswith("QJX")]
        self.assertEqual(leftovers, [], "no temporary file is left in the Windows directory")

    # -- cases -----------------------------------------------------------------

    def test_full_install_with_the_box_ticked_and_a_document(self):
        title, name = "Aurora Drift", "Aurora Drift.scr"
        document = b"Aurora Drift\r\n" + bytes(random.Random(6).randrange(256) for _ in range(3000))
        SESSION.saver_settings(0, 300)

        run = self.start("full", title=title, timeout=10, saver_name=name, document=document)
        self.check_prompt(run, title, 10)
        focus = H.driver("focus", run.prompt["hwnd"])["focus"]
        self.assertEqual(focus, run.control(run.prompt, IDOK)["hwnd"], "the focus is on Install")
        run.install()
        wait_box = run.wait_box()
        done = run.done_prompt()

        self.assertEqual(run.text(wait_box["hwnd"], IDC_WAIT_TEXT), "Installing Aurora Drift\r\nPlease wait...")
        self.assertFalse(H.driver("rect", wait_box["hwnd"])["visible"], "the wait box is closed")
        self.assertEqual(run.control(done, IDC_DONE_TEXT)["text"], install_run.done_text(title, 0x8A))
        self.assertEqual(run.control(done, IDOK)["text"], "Done")
        self.assertNotEqual(run.control(done, IDC_CREDIT)["text"], "")

        # Everything the installation does is done by the time the done prompt shows.
        self.check_saver_written(name, SESSION.probe)
        short = SESSION.boot_saver()
        self.assertIsNotNone(short, "SYSTEM.INI [boot] SCRNSAVE.EXE")
        self.assertNotIn(" ", short, "the short path, which has no blanks")
        resolved = SESSION.long_path(short)
        self.assertTrue(resolved["exists"], short)
        self.assertEqual(resolved["path"].lower(), "c:\\windows\\aurora drift.scr")
        self.assertEqual(SESSION.saver_settings(), (1, 600))

        runs = SESSION.probe_runs()
        self.assertEqual(len(runs), 1, "the viewer ran once")
        viewer = runs[0]
        self.assertEqual(viewer["self"].lower(), "c:\\viewer.exe")
        self.assertEqual(len(viewer["args"]), 1, viewer["command"])
        shown = viewer["arg1_long"]
        self.assertTrue(shown.upper().endswith(".DOC"), shown)
        self.assertEqual(bytes.fromhex(viewer["arg1_bytes"]), document, "the viewer was given the document")
        self.assertFalse(SESSION.host_path(shown).exists(), "the temporary document is removed")

        # The settings button opens Windows' Screen Saver Settings and leaves the prompt up.
        self.assertEqual(run.control(done, IDC_SETTINGS)["text"], "Screen saver &settings")
        SESSION.clear_probe_log()
        H.driver("press", done["hwnd"], IDC_SETTINGS)
        runs = SESSION.wait_for_probe_runs(1)
        self.assertEqual(len(runs), 1, "control.exe ran once")
        self.assertEqual(runs[0]["self"].lower(), "c:\\windows\\system32\\control.exe")
        self.assertEqual(runs[0]["args"], ["desk.cpl,,@screensaver"], runs[0]["command"])
        H.driver("idle", done["hwnd"])
        self.assertTrue(H.driver("rect", done["hwnd"])["visible"], "the done prompt stays open")

        # Esc, as a key and as the command it becomes, leaves the done prompt up.
        self.assertEqual(H.driver("key", done["hwnd"], VK_ESCAPE)["focus"], run.control(done, IDOK)["hwnd"])
        H.driver("press", done["hwnd"], IDCANCEL)
        H.driver("idle", done["hwnd"])
        H.driver("idle", done["hwnd"])  # the posted key and command came before this one
        self.assertTrue(H.driver("rect", done["hwnd"])["visible"], "Esc does not close the done prompt")
        run.finish(done)

    def test_box_cleared_writes_the_saver_and_leaves_the_settings(self):
        title, name = "Quiet Tide", "QUIETIDE.SCR"
        saver = SESSION.probe + b"quiet"
        SESSION.saver_settings(0, 420)
        before = SESSION.snapshot()
        run = self.start("cleared", title=title, timeout=7, saver=saver, saver_name=name)
        self.check_prompt(run, title, 7)
        run.install(make_default=False)
        run.wait_box()
        done = run.done_prompt()
        self.assertEqual(run.control(done, IDC_DONE_TEXT)["text"], install_run.done_text(title, 7))
        self.check_saver_written(name, saver)
        after = SESSION.snapshot()
        self.assertEqual(after["system.ini"], before["system.ini"], "SYSTEM.INI untouched")
        self.assertEqual(after["settings"], (0, 420), "settings untouched")
        self.assertEqual(set(after["windows"]) - set(before["windows"]), {name}, "the saver is the only new file")
        self.assertEqual(SESSION.probe_runs(), [], "no document, no viewer")
        run.finish(done)

    def test_utf8_texts_in_every_dialog(self):
        title = "Café – € Ü Мир 日本語 🐟"
        SESSION.saver_settings(0, 300)
        run = self.start("utf8", title=title, description="Ü " + title, utf8=True, timeout=4, saver_name="UTF8.SCR")
        self.assertEqual(run.wide_text(run.prompt["hwnd"], IDC_PROMPT_TEXT), install_run.prompt_text(title))
        run.install()
        wait_box = run.wait_box()
        done = run.done_prompt()
        self.assertEqual(run.wide_text(wait_box["hwnd"], IDC_WAIT_TEXT), install_run.WAIT_FORMAT % title)
        self.assertEqual(run.wide_text(done["hwnd"], IDC_DONE_TEXT), install_run.done_text(title, 0x84))
        self.check_saver_written("UTF8.SCR", SESSION.probe)
        run.finish(done)

    def test_malformed_utf8_shows_replacement_characters(self):
        cut = "日".encode("utf-8")[:2]
        cases = (
            ("stray", b"A\xffB\x80C\xc0\xafD", "A\ufffdB\ufffdC\ufffd\ufffdD"),
            # A full field without its zero is cut by the reader, here inside a character.
            ("cut", b"x" * 259 + cut + b"z", "x" * 259 + "\ufffd"),
        )
        for name, stored, shown in cases:
            with self.subTest(name):
                run = self.start(name, title=stored, utf8=True, saver_name="NEVER.SCR")
                self.assertEqual(run.wide_text(run.prompt["hwnd"], IDC_PROMPT_TEXT), install_run.prompt_text(shown))
                run.cancel()

    def test_cancel_and_escape_install_nothing(self):
        for name, end in (("cancel", lambda run: run.prompt_press(IDCANCEL)),
                          ("escape", lambda run: H.driver("key", run.prompt["hwnd"], VK_ESCAPE))):
            with self.subTest(name):
                before = SESSION.snapshot()
                run = self.start(name, title="Never Installed", saver_name="NEVER.SCR", document=b"never shown")
                # A done prompt would keep the stub running: the exit shows there was none.
                run.expect_exit(lambda: end(run), harness.CANCELLED)
                self.assertEqual(SESSION.snapshot(), before, "nothing written, nothing changed")
                self.assertEqual(SESSION.probe_runs(), [], "no document shown")

    def test_preview_then_install(self):
        title, name = "Preview First", "PREVIEW1.SCR"
        SESSION.saver_settings(0, 300)
        run = self.start("preview", title=title, timeout=3, saver_name=name)
        run.prompt_press(IDC_PREVIEW)
        SESSION.wait_for_probe_runs(1)
        H.driver("idle", run.prompt["hwnd"])  # the preview has returned
        runs = SESSION.probe_runs()
        self.assertEqual(len(runs), 1, "the saver ran once")
        self.assertEqual(runs[0]["args"], ["/S"], runs[0]["command"])
        self.assertTrue(runs[0]["saver_running"], "the system knew a saver was running")
        self.assertFalse(SESSION.host_path(runs[0]["self"]).exists(), "the previewed copy is removed")
        self.assertFalse((SESSION.windows_dir / name).exists(), "a preview installs nothing")
        self.assertTrue(H.driver("rect", run.prompt["hwnd"])["visible"], "the prompt stays open")

        run.install()
        run.wait_box()
        done = run.done_prompt()
        self.assertEqual(run.control(done, IDC_DONE_TEXT)["text"], install_run.done_text(title, 0x83))
        self.check_saver_written(name, SESSION.probe)
        self.assertEqual(SESSION.saver_settings(), (1, 180))
        self.assertEqual(len(SESSION.probe_runs()), 1, "the installed saver is not started")
        run.finish(done)

if __name__ == "__main__":
    harness.main()
