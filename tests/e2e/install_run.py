"""What the installation tests share: the texts the stub shows, a view of the
prefix's system (the Windows directory, SYSTEM.INI, the screen-saver settings,
the probe's log) and one run of an installer from its install prompt to its end.

    session = InstallSession(h)
    run = InstallRun(session, test, "full", title="Aurora Drift", saver=session.probe)
    run.install()
    done = run.done_prompt()
    run.finish()
"""

import json
import os
import time
import unittest

import harness
import installer_writer

IDOK, IDCANCEL = 1, 2
IDC_MAKE_DEFAULT, IDC_PROMPT_TEXT, IDC_MINUTES, IDC_PREVIEW, IDC_MINUTES_SPIN = 101, 102, 103, 104, 10103
IDC_CREDIT, IDC_DONE_TEXT, IDC_SETTINGS = 101, 102, 105
IDC_WAIT_TEXT = 101
VK_ESCAPE = 0x1B
NO_ID = 0xFFFF

PROMPT_FORMAT = (
    "You are about to install %s as a Windows screen saver. Click on Proceed to complete the installation or "
    "on Cancel to abort.\n\nClick on Preview to view the screen saver prior to installing it. Note that your "
    "mouse must remain stationary after you click on Preview until you wish to terminate the preview.")
INSTALLED_FORMAT = (
    "%s has been installed as a Windows screen saver. You can change its settings at any time with the Screen "
    "saver settings button, or later by searching Windows for \"screen saver\".\n\n")
ACTIVE_FORMAT = ("Your new screen saver is active, and will blank your screen after a period of %d minute(s) "
                 "of inactivity.")
NOT_ACTIVE = "Your new screen saver is not yet active. Click Screen saver settings and choose it from the list."
WAIT_FORMAT = "Installing %s\r\nPlease wait..."
WAIT_BUFFER = 260
WRITE_ERROR = "There has been an error writing your screen saver."

PROBE_LOG = "e2e-probe.log"  # C:\e2e-probe.log, written by e2e_probe.exe
VIEWER = "viewer.exe"         # C:\viewer.exe, the program associated with .DOC


def prompt_text(title):
    return PROMPT_FORMAT % title


def done_text(title, choice):
    state = ACTIVE_FORMAT % (choice & 0x7F) if choice & 0x80 else NOT_ACTIVE
    return INSTALLED_FORMAT % title + state


def wait_text(title):
    """The wait text as the stub's 260-byte buffer holds it: cut, never overrun."""
    return (WAIT_FORMAT % title)[:WAIT_BUFFER - 1]


def centred(rect, screen=(harness.SCREEN_WIDTH, harness.SCREEN_HEIGHT)):
    left, top, right, bottom = rect
    width, height = right - left, bottom - top
    return [(screen[0] - width) // 2, (screen[1] - height) // 2] == [left, top]


class InstallSession:
    """The system of one harness's current prefix, as the tests look at it."""

    def __init__(self, h):
        self.h = h
        self.probe_exe = h.build_dir / "e2e_probe.exe"
        if not self.probe_exe.exists():
            raise harness.HarnessError("%s is not built" % self.probe_exe)
        self.probe = self.probe_exe.read_bytes()

    @property
    def drive_c(self):
        return self.h.prefix / "drive_c"

    @property
    def windows_dir(self):
        return self.drive_c / "windows"

    def host_path(self, path):
        """The host path of a C:\\ path of the prefix, matching names without
        regard to case as Windows does."""
        if path[:3].upper() != "C:\\":
            raise harness.HarnessError("not a C:\\ path: %r" % path)
        host = self.drive_c
        for part in [p for p in path[3:].split("\\") if p]:
            names = os.listdir(host) if host.is_dir() else []
            match = [n for n in names if n.lower() == part.lower()]
            host = host / (match[0] if match else part)
        return host

    def run_windows_program(self, *args):
        process = self.h.launch(*args)
        status = process.wait()
        if status != 0:
            raise harness.HarnessError("%s -> %d: %s" % (" ".join(map(str, args)), status, process.output()))

    def register_viewer(self):
        """Makes the probe the program that opens .DOC files."""
        (self.drive_c / VIEWER).write_bytes(self.probe)
        self.run_windows_program("reg", "add", "HKCR\\.doc", "/ve", "/d", "e2edoc", "/f")
        self.run_windows_program("reg", "add", "HKCR\\e2edoc\\shell\\open\\command", "/ve", "/d",
                                 '"C:\\%s" "%%1"' % VIEWER, "/f")

    def record_control_panel(self):
        """Makes the probe the system's control.exe, which Wine would otherwise
        run from its built-ins whatever lies in system32."""
        (self.windows_dir / "system32" / "control.exe").write_bytes(self.probe)
        self.run_windows_program("reg", "add", "HKCU\\Software\\Wine\\DllOverrides", "/v", "control.exe", "/d",
                                 "native", "/f")

    def wait_for_probe_runs(self, count):
        """The probe's runs once there are `count` of them (or the wait is over)."""
        deadline = time.monotonic() + harness.DEFAULT_WAIT
        while len(self.probe_runs()) < count and time.monotonic() < deadline:
            time.sleep(0.05)
        return self.probe_runs()

    def clear_probe_log(self):
        (self.drive_c / PROBE_LOG).unlink(missing_ok=True)

    def probe_runs(self):
        """One dict per run of the probe since the log was last cleared."""
        log = self.drive_c / PROBE_LOG
        if not log.exists():
            return []
        return [json.loads(line) for line in log.read_text(encoding="latin-1").splitlines() if line.strip()]

    def saver_settings(self, active=None, seconds=None):
        """(active, timeout in seconds), as SystemParametersInfo reports them; set first when given."""
        args = ["saver-settings"] + ([active, seconds] if active is not None else [])
        answer = self.h.driver(*args)
        return answer["active"], answer["timeout"]

    def system_ini(self):
        path = self.windows_dir / "system.ini"
        return path.read_text(encoding="latin-1") if path.exists() else ""

    def boot_saver(self):
        """SCRNSAVE.EXE of SYSTEM.INI's [boot] section, or None."""
        section = None
        for line in self.system_ini().splitlines():
            line = line.strip()
            if line.startswith("[") and line.endswith("]"):
                section = line[1:-1].lower()
            elif section == "boot" and "=" in line:
                key, value = line.split("=", 1)
                if key.strip().lower() == "scrnsave.exe":
                    return value.strip()
        return None

    def long_path(self, path):
        return self.h.driver("long-path", path)

    def snapshot(self):
        """What an installation may change: the entries of C:\\ and of the
        Windows directory (with their sizes), SYSTEM.INI and the settings."""
        def entries(directory):
            return {entry.name: (entry.is_dir(), entry.stat().st_size if entry.is_file() else 0)
                    for entry in os.scandir(directory) if entry.name != PROBE_LOG}
        return {"C:": entries(self.drive_c), "windows": entries(self.windows_dir), "system.ini": self.system_ini(),
                "settings": self.saver_settings()}


class InstallRun:
    """One installer, started and standing at its install prompt."""

    def __init__(self, session, test, name, **installer):
        self.session, self.test, self.h = session, test, session.h
        self.title = installer.get("title", "Test Saver")
        data = installer.pop("data", None)  # an installer made elsewhere, e.g. signed
        switches = installer.pop("switches", ())  # the installer's command line
        if data is None:
            installer.setdefault("saver", session.probe)
            data = installer_writer.build_installer(self.h.stub.read_bytes(), **installer)
        self.stub = self.h.launch(self.h.write_installer(name + ".exe", data), *switches)
        self.watcher = None
        self.window = self.h.driver("window", "VelquorInstaller")
        self.pid = self.window["pid"]
        self.prompt = self.h.driver("dialog", self.pid, "--control", IDC_MINUTES_SPIN)
        self.test.assertEqual(self.prompt["owner"], self.window["hwnd"], "the prompt is owned by the main window")
        self.test.assertTrue(centred(self.prompt["rect"]), self.prompt["rect"])

    def control(self, dialog, control_id):
        found = [c for c in dialog["controls"] if c["id"] == control_id]
        self.test.assertEqual(len(found), 1, "control %d of %s" % (control_id, dialog["controls"]))
        return found[0]

    def text(self, hwnd, control_id):
        return self.h.driver("text", hwnd, control_id)["text"]

    def wide_text(self, hwnd, control_id):
        """The text as the wide calls read it: what the user sees, in any script."""
        return self.h.driver("wide-text", hwnd, control_id)["text"]

    def prompt_press(self, control_id):
        self.h.driver("press", self.prompt["hwnd"], control_id)

    def install(self, make_default=True, minutes=None):
        """Sets the box and the minutes as given and presses Install; a watcher
        catches the wait box, which stands for only a second."""
        prompt = self.prompt["hwnd"]
        if minutes is not None:
            self.h.driver("set-text", prompt, IDC_MINUTES, str(minutes))
        if not make_default:
            self.test.assertEqual(self.h.driver("click", prompt, IDC_MAKE_DEFAULT)["checked"], 0)
        self.watcher = self.h.start_driver("dialog", self.pid, 15000, "--control", IDC_WAIT_TEXT, "--not", prompt)
        self.prompt_press(IDOK)

    def wait_box(self):
        """The wait box the watcher found; its text is read afterwards, because
        the stub's thread does not answer while it writes the saver."""
        box = self.h.wait_for_line(self.watcher)
        self.test.assertEqual([c["id"] for c in box["controls"]], [IDC_WAIT_TEXT], "a wait box with its text only")
        self.test.assertEqual(box["owner"], self.window["hwnd"])
        self.test.assertTrue(centred(box["rect"]), box["rect"])
        return box

    def message_box(self):
        return self.h.driver("message-box", self.pid)

    def done_prompt(self):
        done = self.h.driver("dialog", self.pid, "--control", IDC_DONE_TEXT, "--not", self.prompt["hwnd"])
        self.test.assertEqual([c["id"] for c in done["controls"]],
                              [IDOK, IDC_DONE_TEXT, IDC_CREDIT, NO_ID, IDC_SETTINGS])
        self.test.assertEqual(done["owner"], self.window["hwnd"])
        self.test.assertTrue(centred(done["rect"]), done["rect"])
        return done

    def expect_exit(self, end, status):
        """Runs `end` (a step that should end the stub) and checks its exit status."""
        waiter = self.h.start_driver("wait-exit", self.pid)
        self.h.wait_for_line(waiter)
        end()
        self.test.assertEqual(waiter.wait(), 0, waiter.output())
        self.test.assertEqual(self.h.last_answer(waiter)["exit_code"], status, "exit code seen by Windows")
        self.test.assertEqual(self.stub.wait(), harness.shell_status(status), "exit status seen by the shell")
        self.h.driver("wait-gone", self.window["hwnd"])

    def cancel(self):
        """Cancel in the install prompt: the stub ends with 1602."""
        self.expect_exit(lambda: self.prompt_press(IDCANCEL), harness.CANCELLED)

    def finish(self, done, status=harness.INSTALLED):
        """Presses Done; the stub ends with `status`: 0 when the saver was written."""
        self.expect_exit(lambda: self.h.driver("press", done["hwnd"], IDOK), status)

    def kill(self):
        self.stub.kill()
        if self.watcher is not None:
            self.watcher.kill()


def open_module_session(name):
    """One harness and one prefix for a whole test module, with the viewer
    registered; returns (harness, session). The module closes the harness in
    its tearDownModule."""
    h = harness.Harness(harness.BUILD_DIR, name).__enter__()
    session = InstallSession(h)
    session.register_viewer()
    InstallTestCase.session = session
    return h, session


class InstallTestCase(unittest.TestCase):
    """Each test starts with an empty probe log, and whatever run it started is
    killed when it ends, however it ends."""

    session = None

    def setUp(self):
        self.session.clear_probe_log()
        self.run_ = None

    def tearDown(self):
        if self.run_ is not None:
            self.run_.kill()

    def start(self, name, **installer):
        self.run_ = InstallRun(self.session, self, name, **installer)
        return self.run_
