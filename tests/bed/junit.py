#!/usr/bin/env python3
"""JUnit XML for the test command: `case` writes a one-case report for a check that has no
report of its own (a fuzz target, the demo); `sum` adds up reports and prints the closing
line "N passed, N failed"; a report named with --expect that is missing counts as one failure."""
import argparse
import os
import sys
import xml.etree.ElementTree as ET
from xml.sax.saxutils import escape, quoteattr


def write_case(path, suite, name, failure=None, seconds=0.0):
    body = "" if failure is None else "<failure message=%s>%s</failure>" % (quoteattr(failure[:200]),
                                                                          escape(failure))
    with open(path, "w") as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n<testsuite name=%s tests="1" failures="%d">'
                '<testcase classname=%s name=%s time="%.3f">%s</testcase></testsuite>\n'
                % (quoteattr(suite), failure is not None, quoteattr(suite), quoteattr(name), seconds, body))


def count(path):
    """(passed, failed) of one report; an unreadable report counts as one failure."""
    try:
        root = ET.parse(path).getroot()
    except (OSError, ET.ParseError) as e:
        print("%s: unreadable report (%s)" % (path, e))
        return 0, 1
    passed = failed = 0
    for case in root.iter("testcase"):
        if case.find("failure") is not None or case.find("error") is not None:
            failed += 1
            print("FAILED %s.%s" % (case.get("classname"), case.get("name")))
        elif case.find("skipped") is not None or case.get("status") in ("notrun", "disabled"):
            continue
        else:
            passed += 1
    return passed, failed


def main():
    ap = argparse.ArgumentParser()
    sub = ap.add_subparsers(dest="verb", required=True)
    c = sub.add_parser("case")
    c.add_argument("path")
    c.add_argument("suite")
    c.add_argument("name")
    c.add_argument("--failure")
    c.add_argument("--seconds", type=float, default=0.0)
    s = sub.add_parser("sum")
    s.add_argument("reports", nargs="*")
    s.add_argument("--expect", action="append", default=[],
                   help="a report every run must leave; one that is missing counts as a failure of its layer")
    args = ap.parse_args()
    if args.verb == "case":
        write_case(args.path, args.suite, args.name, args.failure, args.seconds)
        return 0
    passed, failed = 0, 0
    # A layer that crashed or never started leaves no report: that is a failure, not silence.
    for path in args.expect:
        if not os.path.exists(path):
            print("%-28s missing: its layer did not report" % os.path.relpath(path))
            failed += 1
    for path in sorted(set(args.reports) | set(p for p in args.expect if os.path.exists(p))):
        p, f = count(path)
        print("%-28s %4d passed, %d failed" % (os.path.relpath(path), p, f))
        passed, failed = passed + p, failed + f
    print("%d passed, %d failed" % (passed, failed))
    return 0 if failed == 0 and passed > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
