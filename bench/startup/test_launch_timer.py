#!/usr/bin/env python3
"""The start-up benchmark's timer: it must time only the window asked for, in
the process it started, notice a program that ends or never shows the window,
and leave no program running behind it."""

import pathlib
import sys
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import startup_bench  # noqa: E402  (puts tests/e2e on the path)
from startup_bench import ENDED, FOUND, MINIMAL_RULES, PROMPT_RULES, TIMED_OUT, USAGE  # noqa: E402

import harness  # noqa: E402

H = None
TIMER = None


def setUpModule():
    global H, TIMER
    H = harness.Harness(harness.BUILD_DIR, "launch-timer").__enter__()
    TIMER = startup_bench.StartupTimer(H, poll_ms=5)


def tearDownModule():
    H.__exit__(None, None, None)


class LaunchTimer(unittest.TestCase):
    def assert_ended(self, pid):
        self.assertEqual(H.driver("windows", pid)["windows"], [], "program %d still has windows" % pid)

    def test_minimal_window_is_found_and_ended(self):
        status, answer = TIMER.run(MINIMAL_RULES, TIMER.minimal)
        self.assertEqual(status, FOUND, answer)
        self.assertGreater(answer["first_window_ms"], 0.0, "the first window was not noted")
        self.assert_ended(answer["pid"])

    def test_install_prompt_is_found(self):
        status, answer = TIMER.run(PROMPT_RULES, startup_bench.demo_installer(H))
        self.assertEqual(status, FOUND, answer)
        self.assert_ended(answer["pid"])

    def test_other_dialog_of_the_stub_is_not_the_prompt(self):
        # A damaged installer's box is a dialog of the stub with an IDOK button
        # ("OK") but no prompt text: it must not stop the clock.
        damaged = H.write_installer("damaged.exe", H.stub.read_bytes())
        for rules in (PROMPT_RULES, ["--dialog-control", "1=Install"]):
            with self.subTest(rules=rules):
                status, answer = TIMER.run(rules, damaged, timeout_ms=2000)
                self.assertEqual(status, TIMED_OUT, answer)
                self.assertGreaterEqual(answer["ms"], 2000.0)
        # The same box does match a rule that asks for what it holds.
        status, answer = TIMER.run(["--dialog-control", "1=OK", "--dialog-control", "0xFFFF"], damaged)
        self.assertEqual(status, FOUND, answer)
        self.assert_ended(answer["pid"])

    def test_window_of_another_process_does_not_count(self):
        # One minimal window stays up; the timed one's class test must not take it.
        keeper = H.launch(TIMER.minimal)
        try:
            H.driver("window", startup_bench.MINIMAL_CLASS)
            status, answer = TIMER.run(MINIMAL_RULES, "C:\\windows\\system32\\cmd.exe", "/c", "exit 7")
        finally:
            keeper.kill()
        self.assertEqual(status, ENDED, answer)
        self.assertEqual(answer["exit_code"], 7, "the quoted argument reached the program")

    def test_program_that_ends_without_a_window_is_noticed_at_once(self):
        status, answer = TIMER.run(MINIMAL_RULES, "C:\\windows\\system32\\cmd.exe", "/c", "exit 3",
                                   timeout_ms=20000)
        self.assertEqual(status, ENDED, answer)
        self.assertEqual(answer["exit_code"], 3)
        self.assertLess(answer["ms"], 10000.0, "waited for the time limit instead of the process")

    def test_bad_usage_is_refused(self):
        cases = [
            ("no condition", []),
            ("two kinds of condition", MINIMAL_RULES + ["--dialog-control", "1"]),
            ("control id not a number", ["--dialog-control", "OK"]),
            ("control id out of range", ["--dialog-control", "70000"]),
        ]
        for name, rules in cases:
            with self.subTest(name):
                status, answer = TIMER.run(rules, TIMER.minimal)
                self.assertEqual(status, USAGE, answer)


if __name__ == "__main__":
    harness.main()
