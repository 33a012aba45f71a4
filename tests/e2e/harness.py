"""End-to-end harness: runs the real stub under Wine on a private Xvfb screen,
drives it with e2e_driver.exe and reads the screen pixel by pixel.

    with Harness(build_dir, "backdrop") as h:
        stub = h.launch(h.write_installer("a.exe", installer_bytes))
        window = h.driver("window", "VelquorInstaller")
        screen = h.screenshot()

Every process the harness starts is ended by its id when the block is left, on
every path; the prefix's wineserver is killed; every wait has a time limit, so a
hung stub fails its test instead of hanging the build.
"""

import fcntl
import json
import os
import pathlib
import select
import shutil
import signal
import subprocess
import time

SCREEN_WIDTH, SCREEN_HEIGHT = 1024, 768
SOURCE_DIR = pathlib.Path(__file__).resolve().parent.parent.parent
MAKE_PREFIX = SOURCE_DIR / "scripts" / "make-wine-prefix.sh"
CONVERT = "/usr/bin/convert"  # the one on PATH may be a stand-in
SKIP = 77  # CTest's SKIP_RETURN_CODE for the e2e tests

DEFAULT_WAIT = 20.0

# The installer's exit statuses. The shell sees only their low 8 bits; Windows
# programs (the driver's wait-exit and run) see all 32.
INSTALLED, INVALID_PARAMETER, CANCELLED, NOT_WRITTEN, DAMAGED = 0, 87, 1602, 1603, 1620


def shell_status(status):
    return status & 0xFF


def windows_path(path):
    """A host file's path as Wine's Z: drive shows it."""
    return "Z:" + str(pathlib.Path(path).resolve()).replace("/", "\\")

# The build's architecture, as CTest passes it: win32, or win64 for the 64-bit
# build of the tests on machines that cannot run 32-bit programs. Debian's `wine`
# always takes the 32-bit loader when it is installed, so the 64-bit one is named.
WINEARCH = os.environ.get("SAVERSTUB_WINEARCH", "win32")
WINE = "/usr/lib/wine/wine64" if WINEARCH == "win64" else "wine"


class HarnessError(Exception):
    pass


class DriverError(HarnessError):
    def __init__(self, args, status, output):
        super().__init__("e2e_driver %s -> status %d: %s" % (" ".join(args), status, output.strip()))
        self.status = status
        self.output = output


def missing_tools():
    """Names of the host programs the harness needs and cannot find."""
    needed = ["Xvfb", WINE, "wineserver", "import"]
    missing = [tool for tool in needed if shutil.which(tool) is None]
    if not os.access(CONVERT, os.X_OK):
        missing.append(CONVERT)
    return missing


class Screen:
    """One screenshot, as 8-bit RGB."""

    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, data

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])

    def row(self, y):
        start = y * self.width * 3
        raw = self.data[start:start + self.width * 3]
        return [tuple(raw[i:i + 3]) for i in range(0, len(raw), 3)]

    def save_png(self, path):
        raw = pathlib.Path(str(path) + ".rgb")
        raw.write_bytes(self.data)
        subprocess.run([CONVERT, "-size", "%dx%d" % (self.width, self.height), "-depth", "8", "rgb:%s" % raw,
                        str(path)], check=True, timeout=DEFAULT_WAIT)
        raw.unlink()


class Process:
    """A Windows program started under Wine; its output goes to a file, never to a
    pipe, because Wine's helper processes may inherit it and outlive the program."""

    def __init__(self, popen, log_path):
        self.popen, self.log_path = popen, log_path

    @property
    def pid(self):
        return self.popen.pid

    def running(self):
        return self.popen.poll() is None

    def wait(self, timeout=DEFAULT_WAIT):
        try:
            return self.popen.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise HarnessError("process %d still running after %.0f s" % (self.pid, timeout))

    def output(self):
        return self.log_path.read_text(encoding="latin-1") if self.log_path.exists() else ""

    def kill(self):
        if self.popen.poll() is None:
            try:
                os.kill(self.popen.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            try:
                self.popen.wait(timeout=DEFAULT_WAIT)
            except subprocess.TimeoutExpired:
                pass


ACTIVE = []  # harnesses started and not yet stopped


class Harness:
    def __init__(self, build_dir, name, width=SCREEN_WIDTH, height=SCREEN_HEIGHT, dpi=None, headless=False):
        """A screen of `width` x `height`; with `dpi`, Wine's system DPI in the
        harness's prefixes (by default the template's, 96). `headless`: no screen
        at all, as for a service account without a desktop; windows and message
        boxes cannot be created then."""
        self.build_dir = pathlib.Path(build_dir).resolve()
        self.name = name
        self.width, self.height, self.dpi = width, height, dpi
        self.headless = headless
        self.root = self.build_dir / "e2e"
        self.work = self.root / ("%s-%d" % (name, os.getpid()))
        self.artifacts = self.root / ("%s-artifacts" % name)
        self.template = self.root / "wineprefix-template"
        self.stub = self.build_dir / "saverstub.exe"
        self.driver_exe = self.build_dir / "e2e_driver.exe"
        self.display = None
        self.xvfb = None
        self.xvfb_pipe = None
        self.processes = []
        self.prefix = None
        self.counter = 0
        # The Unix locale of the programs started from now on, e.g. "de_AT.UTF-8":
        # Wine takes each process's display language from it. None: the caller's.
        self.locale = None

    # -- set-up and tear-down ------------------------------------------------

    def __enter__(self):
        try:
            self.start()
        except BaseException:
            self.stop()
            raise
        return self

    def __exit__(self, *exc):
        self.stop()
        return False

    def start(self):
        ACTIVE.append(self)
        for path in (self.stub, self.driver_exe):
            if not path.exists():
                raise HarnessError("%s is not built" % path)
        self.remove_stale_work()
        self.work.mkdir(parents=True)
        shutil.rmtree(self.artifacts, ignore_errors=True)
        if not self.headless:
            self.start_xvfb()
        self.ensure_template()
        self.new_prefix()

    def stop(self):
        if self in ACTIVE:
            ACTIVE.remove(self)
        for process in reversed(self.processes):
            process.kill()
        self.processes = []
        self.stop_wineserver()
        if self.xvfb is not None:
            if self.xvfb.poll() is None:
                self.xvfb.terminate()
                try:
                    self.xvfb.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    self.xvfb.kill()
                    self.xvfb.wait(timeout=10)
            self.xvfb = None
        if self.xvfb_pipe is not None:
            os.close(self.xvfb_pipe)
            self.xvfb_pipe = None
        shutil.rmtree(self.work, ignore_errors=True)

    def remove_stale_work(self):
        """Work directories (with their 590 MB prefix copies) of runs that were
        killed outright and had no chance to clean up."""
        for old in self.root.glob(self.name + "-*"):
            pid = old.name[len(self.name) + 1:]
            if not pid.isdigit():
                continue
            try:
                os.kill(int(pid), 0)
                alive = int(pid) != os.getpid()
            except ProcessLookupError:
                alive = False
            except PermissionError:
                alive = True
            if not alive:
                shutil.rmtree(old, ignore_errors=True)

    def start_xvfb(self):
        # Xvfb picks a free display itself and writes its number once it accepts
        # connections, so two test runs never fight over one display. It may write
        # the number again later and dies if nobody holds the pipe, so the read end
        # stays open as long as the server runs.
        read_end, write_end = os.pipe()
        self.xvfb_pipe = read_end
        try:
            with open(self.work / "xvfb.log", "wb") as log:
                self.xvfb = subprocess.Popen(
                    ["Xvfb", "-displayfd", str(write_end), "-noreset", "-screen", "0",
                     "%dx%dx24" % (self.width, self.height), "-nolisten", "tcp"],
                    pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                    stderr=log, start_new_session=True)
        finally:
            os.close(write_end)
        ready, _, _ = select.select([read_end], [], [], DEFAULT_WAIT)
        number = os.read(read_end, 64).decode().strip() if ready else ""
        if not number.isdigit():
            raise HarnessError("Xvfb did not start: " + (self.work / "xvfb.log").read_text())
        self.display = ":" + number

    def wine_env(self, prefix=None):
        env = dict(os.environ)
        env.update(WINEPREFIX=str(prefix or self.prefix), WINEARCH=WINEARCH, WINEDEBUG="-all",
                   WINEDLLOVERRIDES="mscoree,mshtml=")
        env.pop("WAYLAND_DISPLAY", None)
        if self.locale is not None:
            env["LC_ALL"] = self.locale
        if self.display is None:
            env.pop("DISPLAY", None)
        else:
            env["DISPLAY"] = self.display
        if WINEARCH == "win64":
            env["WINELOADER"] = WINE
        return env

    def ensure_template(self):
        # Made once per build directory, with the screen's DISPLAY set; every run
        # copies it. A lock keeps parallel tests from making it twice.
        self.root.mkdir(parents=True, exist_ok=True)
        with open(self.root / "template.lock", "w") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)
            if not (self.template / ".saverstub-ready").exists():
                subprocess.run([str(MAKE_PREFIX), str(self.template)], env=self.wine_env(self.template),
                               stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                               timeout=300, check=True)

    def new_prefix(self):
        """Gives the following runs a clean copy of the template prefix (1.5 s):
        for cases that change the system. Ends every program still running."""
        for process in self.processes:
            process.kill()
        self.stop_wineserver()
        self.counter += 1
        prefix = self.work / ("prefix%d" % self.counter)
        subprocess.run(["cp", "-a", str(self.template), str(prefix)], check=True, timeout=120)
        old, self.prefix = self.prefix, prefix
        if old is not None:
            shutil.rmtree(old, ignore_errors=True)
        if self.dpi is not None:
            # Wine reads the system DPI when its processes start: set it, then
            # start the prefix's server and helpers afresh below.
            subprocess.run([WINE, "reg", "add", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels", "/t",
                            "REG_DWORD", "/d", str(self.dpi), "/f"], env=self.wine_env(), stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120, check=True,
                           start_new_session=True)
            self.stop_wineserver()
        # Start the wineserver and Wine's helpers with nothing of ours: they outlive
        # the programs, and a pipe they inherit would keep its reader waiting.
        subprocess.run([WINE, "cmd", "/c", "exit"], env=self.wine_env(), stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120, start_new_session=True)

    def stop_wineserver(self):
        if self.prefix is None or not self.prefix.exists():
            return
        for flag in ("-k", "-w"):
            try:
                subprocess.run(["wineserver", flag], env=self.wine_env(), stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
            except subprocess.TimeoutExpired:
                pass

    # -- running programs ----------------------------------------------------

    def path(self, name):
        return self.work / name

    def write_installer(self, name, data):
        path = self.work / name
        path.write_bytes(data)
        return path

    def launch(self, exe, *args):
        """Starts a Windows program; it is killed by its id when the harness stops."""
        self.counter += 1
        log = self.work / ("%s-%d.log" % (pathlib.Path(exe).stem, self.counter))
        with open(log, "wb") as out:
            popen = subprocess.Popen([WINE, str(exe)] + [str(a) for a in args], env=self.wine_env(),
                                     stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT,
                                     start_new_session=True)
        process = Process(popen, log)
        self.processes.append(process)
        return process

    def driver(self, *args, timeout=DEFAULT_WAIT):
        """Runs one driver command and returns its JSON answer."""
        process = self.start_driver(*args)
        try:
            status = process.wait(timeout)
        finally:
            process.kill()
        output = process.output()
        if status != 0:
            raise DriverError([str(a) for a in args], status, output)
        return json.loads(output.strip().splitlines()[-1])

    def start_driver(self, *args):
        """Starts a driver command in the background (e.g. wait-exit)."""
        return self.launch(self.driver_exe, *args)

    def wait_for_line(self, process, timeout=DEFAULT_WAIT):
        """The first line a background driver prints, as JSON."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            # Whether it still runs is asked before its output is read: a driver
            # that prints its line and ends in between is not taken for silent.
            running = process.running()
            lines = process.output().splitlines()
            if lines and lines[0].endswith("}"):
                return json.loads(lines[0])
            if not running:
                raise HarnessError("driver ended: " + process.output())
            time.sleep(0.02)
        raise HarnessError("no answer from the driver in %.0f s" % timeout)

    def last_answer(self, process):
        """The last line a finished background driver printed, as JSON."""
        lines = process.output().strip().splitlines()
        if not lines:
            raise HarnessError("the driver printed nothing")
        return json.loads(lines[-1])

    # -- the screen ----------------------------------------------------------

    def screenshot(self):
        raw = self.work / "screen.rgb"
        subprocess.run(["import", "-display", self.display, "-window", "root", "-depth", "8", "rgb:%s" % raw],
                       check=True, timeout=DEFAULT_WAIT, stdin=subprocess.DEVNULL)
        data = raw.read_bytes()
        if len(data) != self.width * self.height * 3:
            raise HarnessError("screenshot has %d bytes" % len(data))
        return Screen(self.width, self.height, data)

    def settled_screenshot(self, timeout=10.0):
        """A screenshot taken once two in a row agree: Wine hands its drawing to
        the X server a little after the program has drawn it."""
        deadline = time.monotonic() + timeout
        previous = self.screenshot()
        while True:
            time.sleep(0.1)
            current = self.screenshot()
            if current.data == previous.data or time.monotonic() > deadline:
                return current
            previous = current

    def keep(self, screen, name):
        """Saves a screenshot next to the build for a person to look at."""
        self.artifacts.mkdir(parents=True, exist_ok=True)
        path = self.artifacts / (name + ".png")
        screen.save_png(path)
        return path


# -- running a test file -----------------------------------------------------

BUILD_DIR = None


def main():
    """Entry point of a test file: test_x.py --build-dir DIR [unittest options]."""
    import argparse
    import sys
    import unittest

    global BUILD_DIR
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", required=True)
    args, rest = parser.parse_known_args()
    BUILD_DIR = args.build_dir
    missing = missing_tools()
    if missing:
        print("skipped: missing " + ", ".join(missing))
        sys.exit(SKIP)

    # CTest ends a test that runs too long with SIGTERM. Clean up right here
    # (the test framework would take an exception for one failed case and go
    # on), so that no Xvfb or Wine process outlives the test.
    def terminate(signum, frame):
        for active in list(ACTIVE):
            active.stop()
        print("terminated by signal %d" % signum, flush=True)
        os._exit(128 + signum)

    signal.signal(signal.SIGTERM, terminate)
    unittest.main(module="__main__", argv=[sys.argv[0]] + rest, verbosity=2)
