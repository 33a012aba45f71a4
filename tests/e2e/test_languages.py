#!/usr/bin/env python3
"""The installer in its user's language. Wine takes each program's display
language from its Unix locale: under en_US an installer with translations shows
exactly what one without them shows; under de_AT (German of Austria, which
falls back to German) every dialog is German with nothing cut off; under ar_SA
the dialogs are Arabic and mirrored, and the logo stands at the top right. And
saverpack.exe's installers carry its languages unless told --languages none."""

import harness
import install_run
import installer_writer
from install_run import IDC_PROMPT_TEXT, IDC_WAIT_TEXT, IDOK

H = None
SESSION = None

WS_EX_LAYOUTRTL = 0x00400000
TRANSLATIONS = installer_writer.SOURCE_DIR / "tools" / "saverpack" / "languages" / "translations"
PLURALS = {
    "de": lambda n: "one" if n == 1 else "other",
    "ar": lambda n: "one" if n == 1 else "two" if n == 2 else "few" if 3 <= n % 100 <= 10 else "many",
}

def language(tag, langids, rtl):
    texts = installer_writer.read_language_file(TRANSLATIONS / (tag + ".lang"))
    return {"tag": tag, "langids": langids, "rtl": rtl, "plural": PLURALS[tag], "texts": texts}


GERMAN = language("de", [0x0407], False)
ARABIC = language("ar", [0x0401], True)
LANGUAGES = [GERMAN, ARABIC]


def shown(lang, key, title, minutes=None):
    """A text of `lang` as the stub shows it: title and count filled in."""
    if minutes is not None:
        key = "%s[%s]" % (key, lang["plural"](minutes))
    text = lang["texts"][key].replace("{title}", title)
    return text.replace("{minutes}", str(minutes)) if minutes is not None else text


def texts(dialog):
    """The texts of a dialog's controls that show one (not the edit's number,
    not the up-down's configuration), in template order, read with the wide calls."""
    return [c["wide"] for c in dialog["controls"] if c["class"].lower() in ("button", "static")]


def setUpModule():
    global H, SESSION
    H, SESSION = install_run.open_module_session("languages")


def tearDownModule():
    H.__exit__(None, None, None)


class Languages(install_run.InstallTestCase):
    def tearDown(self):
        super().tearDown()
        H.locale = None

    def check_nothing_cut_off(self, dialog):
        """Every text fits its control in the message font the stub gives them:
        wrapped at its width within its height, a label or button on one line."""
        for c in H.driver("fit", dialog["hwnd"])["controls"]:
            if c["class"].lower() not in ("button", "static"):
                continue
            width, height = c["size"]
            if c["wrapped"][1] > c["line"][1]:
                self.assertLessEqual(c["wrapped"][1], height, "text %d is cut off at its foot: %s" % (c["id"], c))
            else:
                self.assertLessEqual(c["line"][0], width, "text %d is cut off at its end: %s" % (c["id"], c))
                self.assertLessEqual(c["line"][1], height, "text %d is cut off at its foot: %s" % (c["id"], c))

    def test_english_shows_the_installer_as_without_translations(self):
        H.locale = "en_US.UTF-8"
        title = "Fish & Chips"
        seen = []
        for name, languages in (("plain", None), ("translated", LANGUAGES)):
            run = self.start(name, title=title, utf8=True, languages=languages)
            prompt = run.prompt
            seen.append((prompt["rect"], prompt["exstyle"],
                         [(c["id"], c["wide"], c["rect"], c["style"]) for c in prompt["controls"]]))
            run.cancel()
        self.assertEqual(seen[1], seen[0])
        self.assertEqual(texts(run.prompt), ["Install", "Cancel", "&Make this my default screen saver",
                                             install_run.prompt_text(title), "Wait time:", "minutes", "&Preview"])

    def test_german_from_the_prompt_to_the_done_prompt_with_nothing_cut_off(self):
        H.locale = "de_AT.UTF-8"
        title = "Nordlicht über dem Fjord"
        SESSION.saver_settings(0, 300)
        run = self.start("german", title=title, timeout=1, saver_name="NORDLICHT.SCR", languages=LANGUAGES)
        prompt = run.prompt
        self.assertEqual(texts(prompt), [shown(GERMAN, key, title) for key in (
            "install_button", "cancel_button", "make_default", "install_prompt", "wait_time", "minutes_label",
            "preview_button")])
        self.assertFalse(prompt["exstyle"] & WS_EX_LAYOUTRTL)
        self.check_nothing_cut_off(prompt)

        run.install()
        wait_box = run.wait_box()
        done = run.done_prompt()
        self.assertEqual(run.wide_text(wait_box["hwnd"], IDC_WAIT_TEXT), shown(GERMAN, "wait", title))
        self.check_nothing_cut_off(wait_box)
        self.assertEqual(texts(done), [shown(GERMAN, "done_button", title),
                                       shown(GERMAN, "installed", title) + shown(GERMAN, "active", title, 1),
                                       shown(GERMAN, "credit", title), "",
                                       shown(GERMAN, "settings_button", title)])
        self.check_nothing_cut_off(done)
        self.assertEqual(SESSION.saver_settings(), (1, 60))
        run.finish(done)

    def test_arabic_mirrors_the_dialogs_and_the_logo_stands_at_the_right(self):
        H.locale = "ar_SA.UTF-8"
        title = "شفق"
        red = installer_writer.packed_dib(24, 24, 24, lambda x, y: (255, 0, 0))
        run = self.start("arabic", title=title, colour=0x000000, logo=red, languages=LANGUAGES)
        prompt = run.prompt
        self.assertTrue(prompt["exstyle"] & WS_EX_LAYOUTRTL, "the prompt is mirrored")
        self.assertEqual(texts(prompt), [shown(ARABIC, key, title) for key in (
            "install_button", "cancel_button", "make_default", "install_prompt", "wait_time", "minutes_label",
            "preview_button")])
        self.check_nothing_cut_off(prompt)
        # Mirrored, the buttons stand left of the prompt's text on the screen.
        install = H.driver("rect", run.control(prompt, IDOK)["hwnd"])["rect"]
        text = H.driver("rect", run.control(prompt, IDC_PROMPT_TEXT)["hwnd"])["rect"]
        self.assertLess(install[2], text[0])
        # The backdrop is not mirrored: the logo stands at the top right, 10 pixels in.
        screen = H.settled_screenshot()
        self.assertEqual(screen.pixel(harness.SCREEN_WIDTH - 10 - 12, 10 + 12), (255, 0, 0))
        self.assertNotEqual(screen.pixel(10 + 12, 10 + 12), (255, 0, 0))
        run.cancel()

    def test_saverpack_carries_its_languages_and_none_leaves_english(self):
        H.locale = "de_DE.UTF-8"
        title = "Aurora"
        saver = H.path("probe.scr")
        saver.write_bytes(SESSION.probe)
        english = ["Install", "Cancel", "&Make this my default screen saver", install_run.prompt_text(title),
                   "Wait time:", "minutes", "&Preview"]
        german = [shown(GERMAN, key, title) for key in (
            "install_button", "cancel_button", "make_default", "install_prompt", "wait_time", "minutes_label",
            "preview_button")]
        for name, options, expected in (("all", [], german), ("none", ["--languages", "none"], english)):
            output = H.path(name + "-packed.exe")
            packer = H.launch(H.build_dir / "saverpack.exe", "build", "--stub", harness.windows_path(H.stub),
                              "--saver", harness.windows_path(saver), "--title", title, *options,
                              "--output", harness.windows_path(output))
            self.assertEqual(packer.wait(), 0, packer.output())
            run = self.start(name, data=output.read_bytes())
            self.assertEqual(texts(run.prompt), expected, name)
            run.cancel()


if __name__ == "__main__":
    harness.main()
