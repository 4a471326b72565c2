#!/usr/bin/env python3
"""Runs the Windows unit tests and the end-to-end tests under one Wine session and prints
'N passed, N failed'."""
import argparse
import os
import re
import sys
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import harness  # noqa: E402


def run_win_unit_tests():
    exe = os.path.join(harness.BIN, "win_tests.exe")
    if not os.path.exists(exe):
        print("win unit tests: win_tests.exe missing")
        return 0, 1
    r = harness.session().wine(exe, "--gtest_brief=1", timeout=600)
    out = (r.stdout + r.stderr).decode("utf-8", "replace").replace("\r", "")
    print("\n".join(l for l in out.splitlines() if "fixme:" not in l and "err:" not in l))
    passed = re.search(r"\[  PASSED  \] (\d+) test", out)
    failed = re.search(r"\[  FAILED  \] (\d+) test", out)
    p = int(passed.group(1)) if passed else 0
    f = int(failed.group(1)) if failed else (0 if passed and r.returncode == 0 else 1)
    print("win unit tests: %d passed, %d failed" % (p, f))
    return p, f


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("pattern", nargs="?", default="test_*.py")
    ap.add_argument("-k", dest="names", action="append", help="only tests whose name holds this")
    ap.add_argument("--no-win-unit", action="store_true")
    args = ap.parse_args()
    started = time.time()
    passed = failed = 0
    try:
        if not args.no_win_unit:
            p, f = run_win_unit_tests()
            passed += p
            failed += f
        loader = unittest.TestLoader()
        if args.names:
            loader.testNamePatterns = ["*%s*" % n for n in args.names]
        suite = loader.discover(HERE, pattern=args.pattern)
        result = unittest.TextTestRunner(verbosity=2, stream=sys.stdout).run(suite)
        bad = len(result.failures) + len(result.errors) + len(result.unexpectedSuccesses)
        passed += result.testsRun - bad - len(result.skipped)
        failed += bad
        print("e2e: %d passed, %d failed (%.0f s)" % (result.testsRun - bad - len(result.skipped), bad,
                                                    time.time() - started))
    finally:
        harness.close_session()
    print("%d passed, %d failed" % (passed, failed))
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
