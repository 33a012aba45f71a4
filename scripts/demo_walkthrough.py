#!/usr/bin/env python3
"""Runs the demo installer the way a user would and says what it installed.

    demo_walkthrough.py walk --build-dir build/win32 --installer build/demo/DemoSaverSetup.exe \\
                             --packer build/host/saverpack
    demo_walkthrough.py report --installer ... --packer ... --prefix build/demo/wineprefix

`walk` needs no screen: it starts a private Xvfb screen and a fresh Wine prefix
(wineprefix/ beside the installer, kept afterwards for a look inside), and lets
the end-to-end driver go through the install prompt, a preview of the saver,
Install with the make-default box ticked and 10 minutes, the wait box, the
document in its viewer and the done prompt, with a screenshot of each step beside
the installer. `report` only describes what a run, on any screen, left in a prefix.

Exit status: 0 when every step went as it should, 1 otherwise (with the reason).
"""

import argparse
import collections
import json
import os
import pathlib
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SOURCE_DIR = pathlib.Path(__file__).resolve().parent.parent
sys.path.insert(0, str(SOURCE_DIR / "tests" / "e2e"))
import harness  # noqa: E402

MAIN_WINDOW_CLASS = "VelquorInstaller"
SAVER_WINDOW_CLASS = "DemoSaverWindow"
VIEWER_WINDOW_CLASS = "WORDPADTOP"
IDOK = 1
ID_MAKE_DEFAULT = 101
ID_PROMPT_TEXT = 102
ID_MINUTES = 103
ID_PREVIEW = 104
VK_SPACE = 0x20
MINUTES = 10
PREVIEW_SECONDS = 2.5
MIN_TEXT_PIXELS = 20  # two lines of text in the wait box make several hundred
# The installer keeps the box up for a second after writing; screenshots come
# about ten a second, so a box seen for less than this was cut short.
MIN_WAIT_BOX_SECONDS = 0.8
EXPECTED_EXIT_CODE = 0  # installed

# Seconds. Every wait of the walk has one of these limits, so a stub that hangs
# ends the demo with a message instead of holding it for ever.
START_LIMIT = 60
STEP_LIMIT = 20
DRIVER_UNKNOWN_COMMAND = 1  # the driver's status for a command it does not have


class WalkError(Exception):
    pass


def wine_env(prefix, display=None):
    env = dict(os.environ)
    env.update(WINEPREFIX=str(prefix), WINEARCH=harness.WINEARCH, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    if display is not None:
        env["DISPLAY"] = display
    return env


def run_wine(prefix, args, display=None, limit=STEP_LIMIT):
    """A short Wine command, its output read from a file: Wine's helper processes
    may inherit whatever it writes to and outlive it."""
    with tempfile.TemporaryFile() as out:
        try:
            status = subprocess.run([harness.WINE] + args, env=wine_env(prefix, display), stdin=subprocess.DEVNULL,
                                    stdout=out, stderr=subprocess.STDOUT, timeout=limit,
                                    start_new_session=True).returncode
        except subprocess.TimeoutExpired:
            raise WalkError("wine %s did not finish in %d s" % (" ".join(args), limit))
        out.seek(0)
        return status, out.read().decode("latin-1")


def associate_documents(prefix, display=None):
    """A fresh Wine prefix has no program for .DOC files, so the installer would
    skip its document. Windows without a word processor of its own opens them with
    WordPad, as the prefix already does for .RTF; the demo does the same."""
    status, output = run_wine(prefix, ["reg", "add", r"HKCR\.doc", "/ve", "/d", "rtffile", "/f"], display)
    if status != 0:
        raise WalkError("cannot associate .DOC files with WordPad: " + output.strip())


# -- what an installer run left behind ------------------------------------------


def packed_saver_name(packer, installer):
    result = subprocess.run([str(packer), "inspect", str(installer)], capture_output=True, text=True,
                            timeout=STEP_LIMIT)
    match = re.search(r'^\s*saver\s+"([^"]+)"', result.stdout, re.MULTILINE)
    if result.returncode != 0 or match is None:
        raise WalkError("saverpack inspect %s failed: %s" % (installer, (result.stdout + result.stderr).strip()))
    return match.group(1)


def installer_face(packer, installer):
    """The installer's icon and version information (what Explorer, the download
    bar and the UAC prompt show of it), as `saverpack inspect` lists them."""
    result = subprocess.run([str(packer), "inspect", str(installer)], capture_output=True, text=True,
                            timeout=STEP_LIMIT)
    lines = result.stdout.splitlines()
    start = next((i for i, line in enumerate(lines) if line.startswith("  icon ")), len(lines))
    return [line[2:] for line in lines[start:] if line.startswith("  ")]


def packed_saver_bytes(packer, installer):
    with tempfile.TemporaryDirectory() as scratch:
        out = pathlib.Path(scratch) / "saver"
        result = subprocess.run([str(packer), "extract", str(installer), str(out)], capture_output=True, text=True,
                                timeout=STEP_LIMIT)
        if result.returncode != 0:
            raise WalkError("saverpack extract %s failed: %s" % (installer, (result.stdout + result.stderr).strip()))
        return out.read_bytes()


def find_ignoring_case(directory, name):
    for entry in directory.iterdir() if directory.is_dir() else []:
        if entry.name.lower() == name.lower():
            return entry
    return None


def profile_value(path, section, key):
    """A value of a Windows .INI file; None when it has none."""
    if not path.exists():
        return None
    current = None
    for line in path.read_text(encoding="latin-1").splitlines():
        line = line.strip()
        if line.startswith("[") and line.endswith("]"):
            current = line[1:-1].strip().lower()
        elif current == section.lower() and "=" in line and not line.startswith(";"):
            name, value = line.split("=", 1)
            if name.strip().lower() == key.lower():
                return value.strip()
    return None


def leftover_temporary_files(prefix):
    """Files that the preview and the document step make in the temporary
    directory ("QJX....TMP", "QJX....DOC"); both remove theirs when done."""
    roots = [prefix / "drive_c" / "users", prefix / "drive_c" / "windows" / "temp"]
    return sorted(str(p.relative_to(prefix)) for root in roots if root.is_dir()
                  for p in root.rglob("*") if p.name.upper().startswith("QJX"))


class Settings:
    """How the screen-saver settings and SYSTEM.INI's saver path are read back:
    through the driver, with the calls Windows programs use, when the driver has
    those commands; otherwise from the registry, where Wine keeps the settings."""

    def __init__(self, prefix, display, driver=None):
        self.prefix, self.display, self.driver = prefix, display, driver

    def screen_saver(self):
        if self.driver is not None:
            try:
                answer = self.driver("saver-settings")
                return answer["active"], answer["timeout"], "SystemParametersInfo"
            except harness.DriverError as error:
                if error.status != DRIVER_UNKNOWN_COMMAND:
                    raise
        values = []
        for name in ("ScreenSaveActive", "ScreenSaveTimeOut"):
            status, output = run_wine(self.prefix, ["reg", "query", r"HKCU\Control Panel\Desktop", "/v", name],
                                      self.display)
            match = re.search(r"REG_\w+\s+(\S+)", output) if status == 0 else None
            values.append(int(match.group(1), 0) if match else None)
        return values[0], values[1], "the registry"

    def resolves_to(self, windows_path, installed):
        """Whether a Windows path (a short one, say) names the installed file."""
        if self.driver is not None:
            try:
                answer = self.driver("long-path", windows_path)
                return answer["exists"] and answer["path"].lower().endswith("\\" + installed.name.lower())
            except harness.DriverError as error:
                if error.status != DRIVER_UNKNOWN_COMMAND:
                    raise
        result = subprocess.run(["winepath", "-u", windows_path], env=wine_env(self.prefix, self.display),
                                stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=STEP_LIMIT,
                                start_new_session=True)
        unix = pathlib.Path(result.stdout.strip())
        return result.returncode == 0 and unix.exists() and unix.samefile(installed)

    def apps_entry(self, key):
        """The Uninstall key's values as the wide calls read them; None when they
        cannot be read here (no driver) or the key is missing."""
        if self.driver is None:
            return None
        answer = self.driver("reg-values", "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + key)
        return answer["values"] if answer["exists"] else None


def promised_entries(installer):
    """The Apps & features entries that the demo's winget manifest promises, or None."""
    import yaml  # from python3-yaml, which install-deps.sh installs
    found = list((installer.parent / "manifests").rglob("*.installer.yaml"))
    if len(found) != 1:
        return None
    return yaml.safe_load(found[0].read_text(encoding="utf-8")).get("AppsAndFeaturesEntries")


def describe_settings(active, timeout):
    if active is None and timeout is None:
        return "not set, Wine's defaults apply"
    return "active %s, timeout %s s" % (active, timeout)


def report(prefix, installer, packer, settings, before=None):
    """Prints what the installer left in the prefix; returns the problems found."""
    problems = []
    name = packed_saver_name(packer, installer)
    face = installer_face(packer, installer)
    print("The installer, as Explorer shows it before it runs:")
    for line in face:
        print("  " + line)
    if not any(line.startswith("icon ") for line in face) or not any(line.startswith("file version ") for line in face):
        problems.append("the installer has no icon or no version information")
    windows = prefix / "drive_c" / "windows"
    installed = find_ignoring_case(windows, name)
    print("Installed:")
    if installed is None:
        print("  C:\\windows\\%s: missing" % name)
        problems.append("the saver was not installed as C:\\windows\\%s" % name)
        return problems
    data = installed.read_bytes()
    same = data == packed_saver_bytes(packer, installer)
    print("  C:\\windows\\%s  %d bytes, %s the saver packed in %s" %
          (installed.name, len(data), "identical to" if same else "DIFFERENT FROM", installer.name))
    print("    (on this machine: %s)" % installed)
    if not same:
        problems.append("the installed saver differs from the packed one")

    scrnsave = profile_value(windows / "system.ini", "boot", "SCRNSAVE.EXE")
    if scrnsave is None:
        print("  SYSTEM.INI [boot] SCRNSAVE.EXE: not set")
        problems.append("SYSTEM.INI names no screen saver")
    else:
        names_it = settings.resolves_to(scrnsave, installed)
        print("  SYSTEM.INI [boot] SCRNSAVE.EXE=%s  (%s)" %
              (scrnsave, "the short name of the installed saver" if names_it else "NOT the installed saver"))
        if not names_it:
            problems.append("SYSTEM.INI's SCRNSAVE.EXE does not name the installed saver")

    active, timeout, source = settings.screen_saver()
    shown = describe_settings(active, timeout)
    if before is not None:
        shown += " (before the install: %s)" % describe_settings(*before)
    print("  screen saver: %s, read back through %s" % (shown, source))
    if active != 1 or timeout != MINUTES * 60:
        problems.append("the screen saver is not active with %d minutes (%s)" % (MINUTES, shown))

    key = "ScreenSaver_" + name
    entry = settings.apps_entry(key)
    if settings.driver is not None:
        if entry is None:
            print("  Apps & features: no entry %s" % key)
            problems.append("no Apps & features entry")
        else:
            registered = {"DisplayName": entry.get("DisplayName"), "Publisher": entry.get("Publisher"),
                          "DisplayVersion": entry.get("DisplayVersion"), "ProductCode": key}
            same = promised_entries(installer) == [registered]
            print("  Apps & features: %s, %r by %r, version %r; removed by %s  (%s the winget manifest)" %
                  (key, registered["DisplayName"], registered["Publisher"], registered["DisplayVersion"],
                   entry.get("UninstallString"), "as promised by" if same else "NOT as in"))
            if not same:
                problems.append("the Apps & features entry differs from the winget manifest's")

    leftovers = leftover_temporary_files(prefix)
    print("  temporary files left: %s" % (", ".join(leftovers) if leftovers else "none"))
    if leftovers:
        problems.append("temporary files were left behind")
    return problems


# -- the walk on Xvfb -----------------------------------------------------------


class DemoSession(harness.Harness):
    """The harness's screen and process keeping, with the demo's own prefix: made
    fresh from the harness's template, and left in place after the run."""

    def __init__(self, build_dir, prefix):
        super().__init__(build_dir, "demo")
        self.demo_prefix = prefix

    def new_prefix(self):
        for process in self.processes:
            process.kill()
        self.stop_wineserver()
        if self.demo_prefix.exists():
            # A server of an earlier run, on whatever screen, must not serve this one.
            subprocess.run(["wineserver", "-k"], env=wine_env(self.demo_prefix), stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
            shutil.rmtree(self.demo_prefix)
        self.demo_prefix.parent.mkdir(parents=True, exist_ok=True)
        subprocess.run(["cp", "-a", str(self.template), str(self.demo_prefix)], check=True, timeout=120)
        self.prefix = self.demo_prefix
        subprocess.run([harness.WINE, "cmd", "/c", "exit"], env=self.wine_env(), stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120, start_new_session=True)

    def stop_wineserver(self):
        # Let the server end on its own first: it writes the registry as it goes,
        # and the report and a person looking later both want it complete.
        if self.prefix is not None and self.prefix.exists() and not any(p.running() for p in self.processes):
            try:
                subprocess.run(["wineserver", "-w"], env=self.wine_env(), stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=STEP_LIMIT)
            except subprocess.TimeoutExpired:
                pass
        super().stop_wineserver()


class Walk:
    def __init__(self, session, installer, shots_dir):
        self.h = session
        self.installer = installer
        self.shots_dir = shots_dir
        self.shots = []
        self.problems = []
        self.step = "starting"

    def driver(self, *args, limit=STEP_LIMIT):
        return self.h.driver(*[str(a) for a in args], timeout=limit + 5)

    def ms(self, seconds):
        return str(int(seconds * 1000))

    def shoot(self, name, screen, what):
        path = self.shots_dir / (name + ".png")
        screen.save_png(path)
        self.shots.append((path, what))
        return path

    def say(self, text):
        print("  " + text, flush=True)

    def run(self):
        h = self.h
        self.step = "starting the installer"
        self.stub = h.launch(self.installer)
        main = self.driver("window", MAIN_WINDOW_CLASS, self.ms(START_LIMIT), limit=START_LIMIT)
        self.pid = main["pid"]
        self.say("the installer covers the screen (window %s, Windows process %d)" % (main["rect"], self.pid))

        self.before = self.read_settings()
        prompt = self.install_prompt()
        self.preview(prompt)
        self.install(prompt)
        self.document()
        self.done_prompt()
        return self.finish()

    def read_settings(self):
        active, timeout, _ = Settings(self.h.prefix, self.h.display, self.driver).screen_saver()
        return active, timeout

    def install_prompt(self):
        self.step = "the install prompt"
        prompt = self.expect_dialog(ID_PREVIEW)
        controls = {c["id"]: c for c in prompt["controls"]}
        text = controls[ID_PROMPT_TEXT]["text"]
        if "install Demo Saver as a Windows screen saver" not in text:
            raise WalkError("the prompt says: %r" % text)
        self.driver("idle", prompt["hwnd"])
        self.prompt_screen = self.h.settled_screenshot()
        self.shoot("1-install-prompt", self.prompt_screen, "the backdrop and the install prompt")
        self.say("install prompt: %r..., minutes %s, make-default box %s" %
                 (text.split(".")[0], controls[ID_MINUTES]["text"],
                  "ticked" if controls[ID_MAKE_DEFAULT]["checked"] else "clear"))
        return prompt

    def expect_dialog(self, control):
        """The installer's dialog that has `control`; when a message box comes
        instead, what it says."""
        try:
            return self.driver("dialog", self.pid, self.ms(STEP_LIMIT), "--control", control)
        except harness.DriverError as error:
            try:
                box = self.driver("message-box", self.pid, "0")
            except harness.DriverError:
                raise error
            raise WalkError("the installer shows a message box instead: %r" % box["message"])

    def preview(self, prompt):
        self.step = "the preview"
        self.driver("press", prompt["hwnd"], ID_PREVIEW)
        # The installer pauses a second, unpacks the saver and starts it with /S.
        saver = self.driver("window", SAVER_WINDOW_CLASS, self.ms(STEP_LIMIT))
        if saver["rect"] != [0, 0, harness.SCREEN_WIDTH, harness.SCREEN_HEIGHT]:
            raise WalkError("the saver's window is %s, not the whole screen" % saver["rect"])
        time.sleep(PREVIEW_SECONDS)
        first = self.h.screenshot()
        time.sleep(0.5)
        second = self.h.screenshot()
        self.shoot("2-preview", second, "the demo saver running full-screen as a preview")
        if first.data == second.data:
            raise WalkError("the saver's screen did not change in half a second: no animation")
        if different_pixels(second, self.prompt_screen) < harness.SCREEN_WIDTH * harness.SCREEN_HEIGHT // 2:
            raise WalkError("the saver does not cover the installer")
        how = self.end_saver(saver)
        self.driver("wait-gone", saver["hwnd"], self.ms(STEP_LIMIT))
        # Back in the prompt: its thread takes messages again once the saver has ended.
        self.driver("idle", prompt["hwnd"], self.ms(STEP_LIMIT))
        again = self.driver("dialog", self.pid, self.ms(STEP_LIMIT), "--control", ID_PREVIEW)
        if again["hwnd"] != prompt["hwnd"]:
            raise WalkError("after the preview the install prompt is not the one from before")
        self.say("preview: the saver ran full-screen and animated; ended by %s; back at the prompt" % how)

    def end_saver(self, saver):
        """A key press, as a user would end it; WM_CLOSE where the driver cannot press keys."""
        try:
            self.driver("key", saver["hwnd"], VK_SPACE)
            return "a key press"
        except harness.DriverError as error:
            if error.status != DRIVER_UNKNOWN_COMMAND:
                raise
        self.driver("close", saver["hwnd"])
        return "closing its window"

    def install(self, prompt):
        self.step = "Install"
        hwnd = prompt["hwnd"]
        controls = {c["id"]: c for c in self.driver("dialog", self.pid, "0", "--control", ID_PREVIEW)["controls"]}
        if not controls[ID_MAKE_DEFAULT]["checked"]:
            self.driver("click", hwnd, ID_MAKE_DEFAULT)
        self.driver("set-text", hwnd, ID_MINUTES, MINUTES)
        self.driver("press", hwnd, IDOK)
        self.step = "the wait box"
        frames, seconds = self.watch_wait_box(prompt["rect"])
        if not frames:
            raise WalkError("no wait box came up in the middle of the screen")
        blank = [f for f in frames if f[2] < MIN_TEXT_PIXELS]
        # The picture kept is a blank one when there is one: that is what to look into.
        screen, box, _ = blank[0] if blank else max(frames, key=lambda f: f[2])
        path = self.shoot("3-wait-box", screen, "the wait box while the saver is written")
        self.say("wait box: up for %.1f s while the saver was written, at %s; its text on %d of %d screenshots" %
                 (seconds, list(box), len(frames) - len(blank), len(frames)))
        if seconds < MIN_WAIT_BOX_SECONDS:
            self.problems.append("the wait box was up for only %.1f s, too short to be read" % seconds)
        if blank:
            # The installer sets the box's text and goes on without taking
            # messages; under Wine a drawing reaches the screen only once the
            # thread looks for messages.
            self.problems.append("the wait box showed no text on %d of %d screenshots (see %s)" %
                                 (len(blank), len(frames), path))

    def watch_wait_box(self, prompt_rect):
        """Screenshots of the wait box, each with the box's rectangle and the
        pixels of text on it, and how long the box stayed up. From Install until
        the document viewer closes, the installer takes no messages, so the driver
        cannot ask it about its windows: the screen tells instead. The box is up
        while something covers the middle of the backdrop that is not the prompt,
        and the backdrop's left edge is still to be seen."""
        backdrop = self.prompt_screen.pixel(2, harness.SCREEN_HEIGHT // 2)
        middle = (harness.SCREEN_WIDTH // 2, harness.SCREEN_HEIGHT // 2)
        frames, first_seen = [], None
        deadline = time.monotonic() + STEP_LIMIT
        while time.monotonic() < deadline:
            screen = self.h.screenshot()
            now = time.monotonic()
            backdrop_shows = screen.pixel(2, middle[1]) == backdrop
            up = (backdrop_shows and screen.pixel(*middle) != backdrop
                  and not same_area(screen, self.prompt_screen, prompt_rect))
            if up:
                if first_seen is None:
                    first_seen = now
                box = box_around_middle(screen)
                frames.append((screen, box, marked_pixels(screen, box)))
            elif first_seen is not None:
                return frames, now - first_seen
            elif not backdrop_shows:
                break
        return frames, (time.monotonic() - first_seen if frames else 0.0)

    def document(self):
        """The installer opens its document with the program associated with .DOC
        (in the demo's prefix WordPad) and waits until it is closed."""
        self.step = "the document"
        viewer = self.driver("window", VIEWER_WINDOW_CLASS, self.ms(STEP_LIMIT))
        self.driver("idle", viewer["hwnd"], self.ms(STEP_LIMIT))
        viewer = self.driver("rect", viewer["hwnd"])
        self.shoot("4-document", self.h.settled_screenshot(), "the demo's document in WordPad")
        if "QJX" not in viewer["text"].upper() or ".DOC" not in viewer["text"].upper():
            raise WalkError("the viewer shows %r, not the installer's temporary .DOC file" % viewer["text"])
        self.say("document: WordPad opened %r, maximised %s" % (viewer["text"], viewer["rect"]))
        self.driver("close", viewer["hwnd"])
        try:
            self.driver("wait-gone", viewer["hwnd"], self.ms(STEP_LIMIT))
        except harness.DriverError:
            raise WalkError("WordPad did not close: %s" % json.dumps(self.driver("window", VIEWER_WINDOW_CLASS)))

    def done_prompt(self):
        self.step = "the done prompt"
        done = self.expect_dialog(ID_PROMPT_TEXT)
        text = {c["id"]: c["text"] for c in done["controls"]}[ID_PROMPT_TEXT]
        expected = "will blank your screen after a period of %d minute(s) of inactivity" % MINUTES
        if "Demo Saver has been installed" not in text or expected not in text:
            raise WalkError("the done prompt says: %r" % text)
        self.driver("idle", done["hwnd"])
        self.shoot("5-done-prompt", self.h.settled_screenshot(), "the done prompt")
        self.say("done prompt: %r" % text.split("\n")[-1])
        self.step = "Done"
        waiter = self.h.start_driver("wait-exit", self.pid, self.ms(STEP_LIMIT))
        self.h.wait_for_line(waiter, timeout=STEP_LIMIT)
        self.driver("press", done["hwnd"], IDOK)
        waiter.wait(STEP_LIMIT + 5)
        self.exit_code = self.h.last_answer(waiter)["exit_code"]

    def finish(self):
        self.step = "the end of the installer"
        status = self.stub.wait(STEP_LIMIT)
        self.say("the installer ended: exit code %d (shell status %d)" % (self.exit_code, status))
        problems = self.problems
        if self.exit_code != EXPECTED_EXIT_CODE or status != EXPECTED_EXIT_CODE:
            problems.append("the installer's exit status is %d, not %d" % (self.exit_code, EXPECTED_EXIT_CODE))
        return problems


def box_around_middle(screen):
    """The rectangle of whatever covers the middle of the backdrop. The backdrop
    is a vertical gradient, so each row's colour is the one at its left edge."""
    middle_x, middle_y = screen.width // 2, screen.height // 2
    covered = lambda x, y: screen.pixel(x, y) != screen.pixel(2, y)
    left = middle_x
    while left > 3 and covered(left - 1, middle_y):
        left -= 1
    right = middle_x
    while right < screen.width - 1 and covered(right + 1, middle_y):
        right += 1
    inside = left + 2  # inside the border, left of any text
    top = middle_y
    while top > 0 and covered(inside, top - 1):
        top -= 1
    bottom = middle_y
    while bottom < screen.height - 1 and covered(inside, bottom + 1):
        bottom += 1
    return left, top, right + 1, bottom + 1


def marked_pixels(screen, rect, border=4):
    """Pixels inside a box, its border left out, that differ from its commonest
    colour: the drawing on a plain face."""
    left, top, right, bottom = rect
    pixels = [screen.pixel(x, y) for y in range(top + border, bottom - border)
              for x in range(left + border, right - border)]
    if not pixels:
        return 0
    face, count = collections.Counter(pixels).most_common(1)[0]
    return len(pixels) - count


def same_area(a, b, rect):
    """Whether two screenshots agree inside a rectangle (left, top, right, bottom)."""
    left, top, right, bottom = rect
    width = a.width
    for y in range(max(top, 0), min(bottom, a.height)):
        start, end = (y * width + max(left, 0)) * 3, (y * width + min(right, width)) * 3
        if a.data[start:end] != b.data[start:end]:
            return False
    return True


def different_pixels(a, b):
    return sum(1 for i in range(0, len(a.data), 3) if a.data[i:i + 3] != b.data[i:i + 3])


def walk(args):
    installer = args.installer.resolve()
    out_dir = installer.parent
    prefix = out_dir / "wineprefix"
    for old in out_dir.glob("*.png"):
        old.unlink()
    missing = harness.missing_tools()
    if missing:
        raise WalkError("missing programs: %s (scripts/install-deps.sh installs them)" % ", ".join(missing))

    print("Walking through %s on a private Xvfb screen, Wine prefix %s" % (installer, prefix), flush=True)
    with DemoSession(args.build_dir, prefix) as session:
        associate_documents(session.prefix, session.display)
        walker = Walk(session, installer, out_dir)
        try:
            problems = walker.run()
        except (harness.HarnessError, WalkError, KeyError) as error:
            failure = out_dir / "failure.png"
            try:
                session.screenshot().save_png(failure)
                where = "; the screen at that moment: %s" % failure
            except Exception:  # the screen may be what failed
                where = ""
            raise WalkError("at %s: %s%s" % (walker.step, error, where))
        settings = Settings(session.prefix, session.display, walker.driver)
        print()
        problems += report(prefix, installer, args.packer, settings, walker.before)
    print()
    print("Screenshots:")
    for path, what in walker.shots:
        print("  %s  %s" % (path, what))
    print("Exit status of the installer: %d" % walker.exit_code)
    return problems


def wait_for_wineserver(prefix):
    """Waits, within a limit, until the prefix's server has ended: only then is its
    registry complete, and nothing of Wine's is left running."""
    try:
        subprocess.run(["wineserver", "-w"], env=wine_env(prefix), stdin=subprocess.DEVNULL, timeout=STEP_LIMIT)
    except subprocess.TimeoutExpired:
        subprocess.run(["wineserver", "-k"], env=wine_env(prefix), stdin=subprocess.DEVNULL, timeout=STEP_LIMIT)


def report_only(args):
    prefix = args.prefix.resolve()
    wait_for_wineserver(prefix)
    try:
        return report(prefix, args.installer.resolve(), args.packer, Settings(prefix, os.environ.get("DISPLAY")))
    finally:
        wait_for_wineserver(prefix)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    sub = parser.add_subparsers(dest="command", required=True)
    walk_parser = sub.add_parser("walk", help="walk through the installer on Xvfb")
    walk_parser.add_argument("--build-dir", type=pathlib.Path, required=True,
                             help="the Windows build (saverstub.exe, e2e_driver.exe)")
    report_parser = sub.add_parser("report", help="describe what a run left in a prefix")
    report_parser.add_argument("--prefix", type=pathlib.Path, required=True)
    for p in (walk_parser, report_parser):
        p.add_argument("--installer", type=pathlib.Path, required=True)
        p.add_argument("--packer", type=pathlib.Path, required=True, help="the host's saverpack")
    args = parser.parse_args()

    # make's Ctrl-C, or a kill: unwind, so that the session ends every process it started.
    def terminate(signum, frame):
        raise KeyboardInterrupt
    signal.signal(signal.SIGTERM, terminate)

    try:
        problems = walk(args) if args.command == "walk" else report_only(args)
    except WalkError as error:
        print("demo: the walkthrough failed %s" % error, file=sys.stderr)
        return 1
    except KeyboardInterrupt:
        print("demo: interrupted", file=sys.stderr)
        return 130
    if problems:
        print("demo: " + "; ".join(problems), file=sys.stderr)
        return 1
    if args.command == "walk":
        print("demo: the installer went through every step as it should")
    else:
        print("demo: the saver is installed and active as the installer was asked")
    return 0


if __name__ == "__main__":
    sys.exit(main())
