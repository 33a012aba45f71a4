#!/usr/bin/env python3
"""Start-up benchmark: how long the stub takes from launch to its install prompt
on the screen, against a minimal program of ours that opens one window, under
Wine on a private Xvfb screen.

    startup_bench.py --build-dir build/win32 [--runs 9] [--poll 5]

Everything runs in one harness session (one Xvfb, one prefix, one warm
wineserver). After one warm-up run of each, the two programs run alternately,
so a slow moment of the machine costs both alike. Each run is timed by
launch_timer.exe inside Wine, from just before CreateProcess until the window
is visible; the program is then ended. Prints a table and one summary line.
"""

import argparse
import json
import os
import pathlib
import signal
import statistics
import sys
import time

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent.parent / "tests" / "e2e"))

import harness  # noqa: E402
import installer_writer  # noqa: E402

IDOK, IDC_PROMPT_TEXT = 1, 102
MINIMAL_CLASS = "StartupBenchWindow"
# The install prompt: a dialog with the Install button and the prompt's text.
PROMPT_RULES = ["--dialog-control", "%d=Install" % IDOK, "--dialog-control", str(IDC_PROMPT_TEXT)]
MINIMAL_RULES = ["--window-class", MINIMAL_CLASS]
RUN_LIMIT_MS = 30000
# A pause between runs, outside the timed part: the ended program's windows and
# X resources are still being torn down when its process handle signals.
SETTLE_S = 0.2

# launch_timer's exit statuses
FOUND, USAGE, TIMED_OUT, ENDED, NOT_STARTED = 0, 1, 2, 3, 4


class TimerError(harness.HarnessError):
    def __init__(self, status, answer):
        super().__init__("launch_timer -> status %d: %s" % (status, answer))
        self.status, self.answer = status, answer


def windows_path(path):
    """The path of a host file as Wine's Z: drive shows it."""
    return "Z:" + str(pathlib.Path(path).resolve()).replace("/", "\\")


class StartupTimer:
    """Runs launch_timer.exe in a harness session."""

    def __init__(self, h, poll_ms=5):
        self.h = h
        self.poll_ms = poll_ms
        self.exe = h.build_dir / "bench" / "launch_timer.exe"
        self.minimal = h.build_dir / "bench" / "startup_minimal_window.exe"
        for path in (self.exe, self.minimal):
            if not path.exists():
                raise harness.HarnessError("%s is not built" % path)

    def run(self, rules, program, *args, timeout_ms=RUN_LIMIT_MS):
        """(exit status, JSON answer) of one timed start of `program`: a host
        path, or a string that Windows takes as it is."""
        if isinstance(program, pathlib.Path):
            program = windows_path(program)
        process = self.h.launch(self.exe, "--timeout", timeout_ms, "--poll", self.poll_ms, *rules, "--",
                                program, *args)
        try:
            status = process.wait(timeout_ms / 1000.0 + harness.DEFAULT_WAIT)
        finally:
            process.kill()
        lines = process.output().strip().splitlines()
        answer = json.loads(lines[-1]) if lines and lines[-1].startswith("{") else {"output": process.output()}
        return status, answer

    def time(self, rules, program, *args):
        """The answer of a start that must find its window."""
        status, answer = self.run(rules, program, *args)
        if status != FOUND:
            raise TimerError(status, answer)
        return answer

    def stub_prompt(self, installer):
        return self.time(PROMPT_RULES, installer)

    def minimal_window(self):
        return self.time(MINIMAL_RULES, self.minimal)


def demo_installer(h):
    """An installer like the demo's: logo and document inflated at start-up."""
    demo = harness.SOURCE_DIR / "demo"
    data = installer_writer.build_installer(
        h.stub.read_bytes(), title="Start-up Benchmark", description="Timed from launch to the install prompt.",
        colour=0x804020, timeout=10, saver=(h.build_dir / "e2e_probe.exe").read_bytes(), saver_name="STARTUP.SCR",
        document=(demo / "readme.rtf").read_bytes(), logo=installer_writer.demo_logo(), logo_alpha=True)
    return h.write_installer("startup.exe", data)


SESSION = []  # the harness of the running measurement, for the signal handler


def measure(build_dir, runs, poll_ms):
    """Lists of milliseconds: prompt, stub's first window, minimal window."""
    prompt, first, minimal = [], [], []
    with harness.Harness(build_dir, "startup") as h:
        SESSION.append(h)
        timer = StartupTimer(h, poll_ms)
        installer = demo_installer(h)
        timer.stub_prompt(installer)  # warm-up: page cache, Wine's DLLs, fonts
        timer.minimal_window()
        for _ in range(runs):
            time.sleep(SETTLE_S)
            answer = timer.stub_prompt(installer)
            prompt.append(answer["ms"])
            first.append(answer["first_window_ms"])
            time.sleep(SETTLE_S)
            minimal.append(timer.minimal_window()["ms"])
    return prompt, first, minimal


def row(label, values, sign=""):
    return "  %-34s %9s %9s %9s" % (label, *("%s%.1f" % (sign if v >= 0 else "", v) for v in
                                              (statistics.median(values), min(values), max(values))))


def report(runs, poll_ms, prompt, first, minimal):
    paired = [p - m for p, m in zip(prompt, minimal)]
    print("Start-up under Wine on Xvfb: %d runs of each, alternating, after one warm-up of each; "
          "polled every %d ms" % (runs, poll_ms))
    print("  %-34s %9s %9s %9s" % ("time from launch (ms)", "median", "min", "max"))
    print(row("stub: install prompt on screen", prompt))
    print(row("stub: first window (backdrop)", first))
    print(row("minimal program: its window", minimal))
    print(row("difference (prompt - minimal)", paired, "+"))
    print("  runs: prompt %s" % " ".join("%.0f" % v for v in prompt))
    print("        minimal %s" % " ".join("%.0f" % v for v in minimal))
    p, m = statistics.median(prompt), statistics.median(minimal)
    print("SUMMARY start-up: install prompt %.0f ms, minimal window %.0f ms (medians of %d runs under Wine/Xvfb); "
          "stub - minimal %+.0f ms (median of paired runs), %.2fx" % (p, m, runs, statistics.median(paired), p / m))


def stop_on_signal(signum, frame):
    """A kill: no Xvfb or Wine process may outlive the run. The harness leaves
    its ACTIVE list as soon as it starts to stop, so a signal that lands while
    it is stopping finds it only here; stopping it again finishes the job."""
    for session in set(SESSION + harness.ACTIVE):
        session.stop()
    os._exit(128 + signum)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build-dir", required=True, help="the Windows build (saverstub.exe, e2e_driver.exe)")
    parser.add_argument("--runs", type=int, default=9, help="timed runs of each program")
    parser.add_argument("--poll", type=int, default=5, help="milliseconds between looks at the screen")
    args = parser.parse_args()
    if args.runs < 1 or args.poll < 1:
        parser.error("--runs and --poll must be at least 1")
    signal.signal(signal.SIGTERM, stop_on_signal)
    missing = harness.missing_tools()
    if missing:
        print("SUMMARY start-up: not measured (missing %s)" % ", ".join(missing))
        return 0
    try:
        prompt, first, minimal = measure(args.build_dir, args.runs, args.poll)
    except harness.HarnessError as error:
        print("startup_bench: %s" % error, file=sys.stderr)
        print("SUMMARY start-up: FAILED (%s)" % error)
        return 1
    report(args.runs, args.poll, prompt, first, minimal)
    return 0


if __name__ == "__main__":
    sys.exit(main())
