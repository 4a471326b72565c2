"""pytest set-up for the end-to-end tests: one Wine session (prefix, Xvfb, wineserver) for the
whole run, ended also when the run is interrupted; on a failure the report carries each
viewer's trace and state, the requests the simulator saw and a screenshot, all taken
before the test's own clean-up (see E2ETest.tearDown)."""
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
    text = getattr(test, "failure_report", None)
    if text:
        report.sections.append(("viewer and simulator", text))
