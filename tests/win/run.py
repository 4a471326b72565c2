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
    # What speaks the user's language runs again where Windows speaks German and Hebrew,
    # each with a report of its own beside the first.
    runs = [(None, report, [])]
    if len(sys.argv) == 2 or all(a.startswith("--gtest_brief") for a in sys.argv[2:]):
        runs += [(locale, report.replace(".xml", "-%s.xml" % locale[:2]), ["--gtest_filter=EditMenu.*"])
                 for locale in ("de_DE.UTF-8", "he_IL.UTF-8")]
    status = 0
    with WineSession() as w:
        for locale, path, extra in runs:
            if os.path.exists(path):
                os.unlink(path)
            r = w.wine(exe, "--gtest_output=xml:" + w.windows_path(path), *sys.argv[2:], *extra, timeout=600,
                       locale=locale)
            out = (r.stdout + r.stderr).decode("utf-8", "replace").replace("\r", "")
            print("\n".join(l for l in out.splitlines() if "fixme:" not in l and "err:" not in l))
            status = status or r.returncode
    return status


if __name__ == "__main__":
    sys.exit(main())
