#!/usr/bin/env python3
"""Runs the Windows unit tests (win_tests.exe) under Wine; GoogleTest writes its own JUnit
report. Usage: run.py REPORT.xml [gtest arguments]."""
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tests", "bed"))
from winenv import WineSession  # noqa: E402

BIN = os.environ.get("TESSEL_BIN", os.path.join(ROOT, "build", "win", "bin"))


def main():
    report = os.path.abspath(sys.argv[1])
    exe = os.path.join(BIN, "win_tests.exe")
    if os.path.exists(report):
        os.unlink(report)
    with WineSession() as w:
        r = w.wine(exe, "--gtest_output=xml:" + w.windows_path(report), *sys.argv[2:], timeout=600)
    out = (r.stdout + r.stderr).decode("utf-8", "replace").replace("\r", "")
    print("\n".join(l for l in out.splitlines() if "fixme:" not in l and "err:" not in l))
    return r.returncode


if __name__ == "__main__":
    sys.exit(main())
