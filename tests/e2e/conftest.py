"""pytest set-up for the end-to-end tests: one Wine session (prefix, Xvfb, wineserver) for the
whole run, ended also when the run is interrupted; on a failure the report carries each
viewer's trace and exit status, the requests the simulator saw and a screenshot."""
import os
import sys

import pytest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402


@pytest.fixture(scope="session", autouse=True)
def wine_session():
    session = harness.session()
    yield session
    harness.close_session()


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    outcome = yield
    report = outcome.get_result()
    if report.when != "call" or not report.failed:
        return
    test = getattr(item, "_testcase", None) or getattr(item, "instance", None)
    lines = []
    for n, viewer in enumerate(getattr(test, "viewers", []) or []):
        lines.append("viewer %d: pid %s, exit status %s" % (n, viewer.pid, viewer.exit_code))
        lines += ["  " + line for line in viewer.trace()]
    server = getattr(test, "server", None)
    if server is not None:
        lines.append("requests the simulator saw:")
        lines += ["  %.3f %s (%d bytes)%s" % (r.time, r.request_line, len(r.body), "  [curl]" if r.from_curl else "")
                  for r in server.matching(lambda r: True)]
    os.makedirs(harness.ARTIFACTS, exist_ok=True)
    shot = os.path.join(harness.ARTIFACTS, "failed-%s.png" % item.name)
    if harness.session().screenshot(shot):
        lines.append("screenshot: " + shot)
    report.sections.append(("viewer and simulator", "\n".join(lines)))
