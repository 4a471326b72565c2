"""End-to-end harness: one Wine session per test run, the shipped viewer started as a host
application would start it, the print-server simulator on its own loopback address."""
import atexit
import codecs
import itertools
import os
import signal
import sys
import tempfile
import time
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tests", "bed"))

from print_server import PrintServer  # noqa: E402
import tracelines as TRACE  # noqa: E402
from winenv import WineSession  # noqa: E402

BIN = os.environ.get("TESSEL_BIN", os.path.join(ROOT, "build", "win", "bin"))
ARTIFACTS = os.environ.get("TESSEL_ARTIFACTS", os.path.join(ROOT, "build", "e2e-artifacts"))
CURL = os.path.join(os.environ.get("TESSEL_CACHE", os.path.join(os.path.expanduser("~"), ".cache", "tessel")),
                    "curl", "curl.exe")
PROP = "tessel"  # the executable's base name
INSTALL_KEY = r"HKLM\SOFTWARE\Quorvex\Vanta Deskhub"

_session = None
# Each test gets its own loopback address, so port 80 is never shared or in TIME_WAIT; the
# second byte is this run's own, so two runs on one machine never meet.
_run_net = 20 + os.getpid() % 200
_addresses = itertools.count(20)


def _interrupted(*_):
    # As Ctrl-C: pytest stops the run and its fixtures close the session.
    raise KeyboardInterrupt


def session():
    global _session
    if _session is None:
        _session = WineSession()
        # Xvfb, wineserver and the prefix go also when the run is interrupted.
        atexit.register(close_session)
        signal.signal(signal.SIGTERM, _interrupted)
    return _session


def close_session():
    global _session
    if _session is not None:
        _session.close()
        _session = None


def new_address():
    return "127.%d.%d.%d" % ((_run_net,) + divmod(next(_addresses), 250))


class Viewer:
    """One run of the viewer, started through winprobe with an exact command line."""

    def __init__(self, tail, exe=None, wine=None, locale=None, env=None, channels=""):
        self.wine = wine or session()
        fd, self.tail_file = tempfile.mkstemp(suffix=".txt")
        with os.fdopen(fd, "wb") as f:
            f.write(tail.encode("utf-8"))
        exe = exe or os.path.join(BIN, "tessel.exe")
        self.started = time.time()
        self.proc = self.wine.start(os.path.join(BIN, "winprobe.exe"), "run", self.wine.windows_path(exe),
                                    self.wine.windows_path(self.tail_file), debugstr=True, locale=locale,
                                    env=env, channels=channels)
        self.exit_code = None
        self._pid = None

    @property
    def pid(self):
        """The viewer's Windows process id, as its launcher reports it once it started."""
        deadline = time.time() + 30
        while self._pid is None and time.time() < deadline:
            for line in self.proc.stdout.decode("latin-1").splitlines():
                if line.startswith("pid "):
                    self._pid = int(line.split()[1])
            if self._pid is None:
                if self.proc.proc.poll() is not None and time.time() > deadline - 25:
                    break
                time.sleep(0.05)
        return self._pid

    def probe(self, *args, timeout=60):
        """winprobe against this viewer's own window: PROP stands for "this process"."""
        args = [str(a) for a in args]
        if len(args) > 1 and args[1] == PROP:
            args[1] = "pid:%s" % self.pid
        r = self.wine.wine(os.path.join(BIN, "winprobe.exe"), *args, timeout=timeout)
        return r.returncode, r.stdout.decode("utf-8", "replace").replace("\r", "")

    def wait_window(self, timeout_ms=20000):
        """The window is there and its initialisation is over: its property is set (after the
        size, the start page and the showing; the window exists before all of them)."""
        code, _ = self.probe("wait", PROP, timeout_ms)
        return code == 0 and self.wait_trace(TRACE.NAVIGATE_START_PAGE, timeout_ms / 1000) is not None

    def info(self):
        _, out = self.probe("info", PROP, PROP)
        result = {}
        for line in out.splitlines():
            key, _, value = line.partition(" ")
            result[key] = value
        return result

    def watch(self, ms):
        """How the window answers another process meanwhile: WM_NULL every 50 ms for `ms`
        milliseconds; the worst answer time in ms, and whether Windows would call it hung."""
        _, out = self.probe("watch", PROP, ms)
        result = {}
        for line in out.splitlines():
            key, _, value = line.partition(" ")
            if value.isdigit():
                result[key] = int(value)
        return result

    def wait_exit(self, timeout=30):
        code = self.proc.wait(timeout)
        if code is not None:
            self.exit_code = code
            self.ended = time.time()
        return code

    def running(self):
        return self.proc.proc.poll() is None

    def trace(self):
        lines = []
        for raw in self.proc.stderr.decode("utf-8", "replace").splitlines():
            if "OutputDebugStringA" in raw and '"tessel: ' in raw:
                text = raw.split('"tessel: ', 1)[1]
                # Wine cuts a long string short and marks it with "..." after the quote.
                text = text[:-4] if text.endswith('"...') else text[:-1] if text.endswith('"') else text
                # Wine writes the text C-escaped.
                text = codecs.decode(text.encode("latin-1", "replace"), "unicode_escape")
                lines.append(text.rstrip("\n"))
        return lines

    def wait_trace(self, prefix, timeout=20):
        deadline = time.time() + timeout
        while time.time() < deadline:
            for line in self.trace():
                if line.startswith(prefix):
                    return line
            if not self.running():
                break
            time.sleep(0.1)
        for line in self.trace():
            if line.startswith(prefix):
                return line
        return None

    def close(self):
        if self.running():
            self.probe("close", PROP)
            if self.wait_exit(30) is None:
                # The Windows process outlives its Linux launcher: end both, so no window
                # of this run is taken for the next run's.
                if self.pid:
                    self.wine.wine("taskkill", "/f", "/pid", str(self.pid))
                self.proc.kill()
        try:
            os.unlink(self.tail_file)
        except OSError:
            pass


def platform_argv(line):
    """A command line the program formed, split as Windows splits it for the program started
    with it (CommandLineToArgvW: the program name by CreateProcess's rule, the rest by the C
    runtime's); Wine quotes a child's path itself, so the child cannot tell."""
    fd, path = tempfile.mkstemp(suffix=".txt")
    with os.fdopen(fd, "wb") as f:
        f.write(line.encode("utf-8"))
    try:
        r = session().wine(os.path.join(BIN, "winprobe.exe"), "argv", session().windows_path(path))
    finally:
        os.unlink(path)
    return r.stdout.decode("utf-8").replace("\r", "").split("\n")[:-1]


def processes(name):
    """How many processes of that executable run in the Wine session."""
    r = session().wine(os.path.join(BIN, "winprobe.exe"), "count", name)
    return int(r.stdout.decode().split()[1])


def wait_no_processes(name, timeout=15):
    deadline = time.time() + timeout
    while processes(name) and time.time() < deadline:
        time.sleep(0.2)
    return processes(name)


def quoted(**params):
    return " ".join('"%s=%s"' % kv for kv in params.items())


class E2ETest(unittest.TestCase):
    """Gives each test a simulator on its own address and closes what it started."""

    login = "200"
    result = "ok"

    def setUp(self):
        self.started = time.time()
        self.failure_report = None
        self.address = new_address()
        self.server = PrintServer(self.address, 80, 8080, login=self.login, result=self.result)
        self.viewers = []

    def tearDown(self):
        # Under pytest the failure is already recorded on the result (its _excinfo); under
        # plain unittest the outcome says so.
        outcome = getattr(self, "_outcome", None)
        failed = outcome is not None and (not outcome.success or bool(getattr(outcome.result, "_excinfo", None)))
        if failed:
            self.failure_report = self.describe()  # while the viewers still run
        for v in self.viewers:
            v.close()
        self.server.close()

    def describe(self):
        """The viewers' state and traces, the simulator's requests and a screenshot."""
        lines = []
        for n, v in enumerate(self.viewers):
            state = "running" if v.running() else "exit status %s" % v.exit_code
            lines.append("viewer %d: pid %s, %s" % (n, v.pid, state))
            lines += ["  " + line for line in v.trace()]
        lines.append("requests the simulator saw:")
        lines += ["  %+.3f s %s (%d bytes)%s" % (r.time - self.started, r.request_line, len(r.body),
                                                 "  [curl]" if r.from_curl else "")
                  for r in self.server.matching(lambda r: True)]
        os.makedirs(ARTIFACTS, exist_ok=True)
        shot = os.path.join(ARTIFACTS, "failed-%s.png" % self._testMethodName)
        if session().screenshot(shot):
            lines.append("screenshot: " + shot)
        return "\n".join(lines)

    def launch(self, tail, wine=None, locale=None, env=None, channels=""):
        v = Viewer(tail, wine=wine, locale=locale, env=env, channels=channels)
        self.viewers.append(v)
        return v

    def params(self, **extra):
        p = {"ServerIP": self.address, "URL": self.server.viewer_url}
        p.update(extra)
        return {k: v for k, v in p.items() if v is not None}

    def ready(self, v):
        """The window is up and the viewer page was asked for: later navigations are not
        overtaken by the start sequence's own."""
        self.assertTrue(v.wait_window())
        self.assertIsNotNone(self.server.wait_for(lambda r: r.path == "/viewer" and r.method != "DELETE"))

    def launch_params(self, wine=None, locale=None, env=None, channels="", **extra):
        return self.launch(quoted(**self.params(**extra)), wine=wine, locale=locale, env=env, channels=channels)
