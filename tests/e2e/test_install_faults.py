#!/usr/bin/env python3
"""Installations that go wrong or carry awkward values: a saver that cannot be
written, saver names that would leave the Windows directory or overflow the
path, titles with format directives, timeouts outside the prompt's range."""


import harness
import install_run
from install_run import IDC_DONE_TEXT, IDC_MINUTES, IDC_PROMPT_TEXT, IDC_WAIT_TEXT, IDOK

H = None
SESSION = None


def setUpModule():
    global H, SESSION
    H, SESSION = install_run.open_module_session("install-faults")


def tearDownModule():
    H.__exit__(None, None, None)


class Faults(install_run.InstallTestCase):
    def install_and_finish(self, name, title, timeout, make_default, minutes=None, saver_name="FAULTS.SCR"):
        """Installs with the given box and minutes; returns the done prompt's text
        after checking the edit showed `timeout` and the wait text."""
        run = self.start(name, title=title, timeout=timeout, saver_name=saver_name)
        self.assertEqual(run.control(run.prompt, IDC_MINUTES)["text"], str(timeout), "shown as it is")
        run.install(make_default, minutes)
        box = run.wait_box()
        done = run.done_prompt()
        self.assertEqual(run.text(box["hwnd"], IDC_WAIT_TEXT), install_run.wait_text(title))
        text = run.control(done, IDC_DONE_TEXT)["text"]
        run.finish(done)
        return text

    def check_refused(self, run, before):
        """The write-error box, then the done prompt; nothing changed anywhere."""
        box = run.message_box()
        self.assertEqual((box["caption"], box["message"]), ("Message", install_run.WRITE_ERROR))
        self.assertEqual(box["owner"], run.window["hwnd"])
        H.driver("press", box["hwnd"], IDOK)
        done = run.done_prompt()
        run.finish(done, harness.NOT_WRITTEN)
        self.assertEqual(SESSION.snapshot(), before, "nothing written, nothing changed")

    # -- cases -----------------------------------------------------------------

    def test_write_failure_reports_then_shows_the_document_and_the_done_prompt(self):
        name, document = "BLOCKED.SCR", b"read me although the saver failed"
        (SESSION.windows_dir / name).mkdir()
        SESSION.saver_settings(0, 300)
        before = SESSION.snapshot()
        run = self.start("blocked", title="Blocked Saver", saver_name=name, document=document)
        run.install()
        box = run.message_box()
        self.assertEqual(box["caption"], "Message")
        self.assertEqual(box["message"], install_run.WRITE_ERROR)
        self.assertEqual(box["owner"], run.window["hwnd"], "owned by the main window")
        self.assertEqual(SESSION.probe_runs(), [], "the document comes after the error")
        classes = [w["class"] for w in H.driver("windows", run.pid)["windows"]]
        self.assertEqual(classes.count("#32770"), 2, "the wait box and the error box, no done prompt yet")

        H.driver("press", box["hwnd"], IDOK)
        done = run.done_prompt()
        runs = SESSION.probe_runs()
        self.assertEqual(len(runs), 1, "then the document")
        self.assertEqual(bytes.fromhex(runs[0]["arg1_bytes"]), document)
        self.assertEqual(run.control(done, IDC_DONE_TEXT)["text"], install_run.done_text("Blocked Saver", 0x8A),
                         "the done prompt's wording follows the choice alone")
        run.finish(done, harness.NOT_WRITTEN)
        self.assertTrue((SESSION.windows_dir / name).is_dir(), "the directory stands as it was")
        self.assertEqual(SESSION.snapshot(), before, "no activation, no temporary file left")

    def test_names_that_leave_the_windows_directory_or_overflow_the_path_are_refused(self):
        long_name = "L" * 250 + ".SCR"  # C:\windows\ and this name need more than 259 characters
        # ("..", which names no screen saver, is damage: test_damaged.)
        for name in ("..\\evil.scr", "../evil.scr", long_name):
            with self.subTest(name[:20]):
                before = SESSION.snapshot()
                run = self.start("refused", title="Refused Saver", saver_name=name)
                run.install()
                self.check_refused(run, before)
                self.assertFalse((SESSION.drive_c / "evil.scr").exists())

    def test_format_directives_in_the_title_are_shown_unchanged(self):
        title = "Fifty %s Shades %d of %x %n %%"
        run = self.start("percent", title=title, timeout=12, saver_name="PERCENT.SCR")
        self.assertEqual(run.control(run.prompt, IDC_PROMPT_TEXT)["text"], install_run.prompt_text(title))
        run.install()
        box = run.wait_box()
        done = run.done_prompt()
        self.assertEqual(run.text(box["hwnd"], IDC_WAIT_TEXT), "Installing %s\r\nPlease wait..." % title)
        self.assertEqual(run.control(done, IDC_DONE_TEXT)["text"], install_run.done_text(title, 0x8C))
        run.finish(done)

    def test_timeouts_outside_the_range_are_shown_then_brought_into_it(self):
        SESSION.saver_settings(0, 300)
        text = self.install_and_finish("t120", "Long Wait", 120, make_default=True)
        self.assertEqual(text, install_run.done_text("Long Wait", 0x80 | 99))
        self.assertEqual(SESSION.saver_settings(), (1, 99 * 60))

        text = self.install_and_finish("t0", "No Wait", 0, make_default=True)
        self.assertEqual(text, install_run.done_text("No Wait", 0x80 | 1), "not activation with 0 minutes")
        self.assertEqual(SESSION.saver_settings(), (1, 60))

        # A typed 0 with the box cleared is not Cancel; a long title is cut in the
        # wait box's buffer and shown whole in the other texts.
        SESSION.saver_settings(0, 300)
        ini = SESSION.system_ini()
        long_title = "T" * 261
        text = self.install_and_finish("t0-cleared", long_title, 0, make_default=False, saver_name="ZERO.SCR")
        self.assertEqual(text, install_run.done_text(long_title, 0))
        self.assertTrue((SESSION.windows_dir / "ZERO.SCR").is_file(), "installed, not cancelled")

        # A typed 200 with the box cleared must not reach the make-default bit.
        text = self.install_and_finish("t200", "Typed", 30, make_default=False, minutes=200, saver_name="TYPED.SCR")
        self.assertEqual(text, install_run.done_text("Typed", 0))
        self.assertEqual(SESSION.saver_settings(), (0, 300), "settings untouched")
        self.assertEqual(SESSION.system_ini(), ini, "SYSTEM.INI untouched")


if __name__ == "__main__":
    harness.main()
