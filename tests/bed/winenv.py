"""A Wine prefix with a virtual X display, for running the viewer as on Windows.

Shared by the end-to-end tests and the demo. A prefix template is made once and kept in
the cache folder; each session works on a fresh copy of it, so tests never share state.
"""
import os
import shutil
import signal
import subprocess
import tempfile
import time

CACHE = os.environ.get("TESSEL_CACHE", os.path.join(os.path.expanduser("~"), ".cache", "tessel"))
TEMPLATE = os.path.join(CACHE, "wine-template")
BIN = os.environ.get("TESSEL_BIN", os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(
    os.path.abspath(__file__)))), "build", "win", "bin"))


def _base_env(prefix):
    # Wine's WinINet reads http_proxy, which Windows' does not; a test sets what it needs.
    env = {k: v for k, v in os.environ.items() if not k.lower().endswith("_proxy")}
    env.update(WINEPREFIX=prefix, WINEARCH="win64", WINEDEBUG="-all", WINEDLLOVERRIDES="winemenubuilder.exe=d")
    return env


def _make_template():
    os.makedirs(CACHE, exist_ok=True)
    work = tempfile.mkdtemp(prefix="wine-template-", dir=CACHE)
    env = _base_env(work)
    subprocess.run(["wineboot", "-i"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    # Without a window manager a top-level window takes 2 s to go away: use the virtual desktop.
    for key, name, value in [
        (r"HKCU\Software\Wine\Explorer", "Desktop", "Default"),
        (r"HKCU\Software\Wine\Explorer\Desktops", "Default", "1280x900"),
    ]:
        subprocess.run(["wine", "reg", "add", key, "/v", name, "/t", "REG_SZ", "/d", value, "/f"], env=env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    subprocess.run(["wineserver", "-w"], env=env, check=True)
    fonts = os.path.join(work, "drive_c", "windows", "Fonts")
    os.makedirs(fonts, exist_ok=True)
    for f in os.listdir("/usr/share/wine/fonts"):
        shutil.copy(os.path.join("/usr/share/wine/fonts", f), fonts)
    if os.path.exists(TEMPLATE):
        shutil.rmtree(TEMPLATE, ignore_errors=True)
    os.rename(work, TEMPLATE)


class WineSession:
    """screen: the X screen and Wine desktop size; log_pixels: the display's DPI (Windows'
    LogPixels, 96 = 100 %), for a display that is scaled."""

    def __init__(self, keep=False, screen="1280x900", log_pixels=None):
        if not os.path.isdir(os.path.join(TEMPLATE, "drive_c")):
            _make_template()
        self.root = tempfile.mkdtemp(prefix="tessel-wine-")
        self.prefix = os.path.join(self.root, "prefix")
        shutil.copytree(TEMPLATE, self.prefix, symlinks=True)
        self.env = _base_env(self.prefix)
        self.screen = screen
        if screen != "1280x900" or log_pixels:
            # Settings read when the server starts: written before it does.
            values = [(r"HKCU\Software\Wine\Explorer\Desktops", "Default", "REG_SZ", screen)]
            if log_pixels:
                values.append((r"HKCU\Control Panel\Desktop", "LogPixels", "REG_DWORD", str(log_pixels)))
            for key, name, kind, value in values:
                subprocess.run(["wine", "reg", "add", key, "/v", name, "/t", kind, "/d", value, "/f"], env=self.env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
            subprocess.run(["wineserver", "-w"], env=self.env, check=True)
        self._xvfb = None
        self._start_display()
        # A persistent server keeps each wine start short.
        self._server = subprocess.Popen(["wineserver", "-f", "-p"], env=self.env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.keep = keep

    def _start_display(self):
        r, w = os.pipe()
        self._xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-nolisten", "tcp", "-screen", "0",
                                       self.screen + "x24"], pass_fds=(w,), stdout=subprocess.DEVNULL,
                                      stderr=subprocess.DEVNULL)
        os.close(w)
        number = b""
        deadline = time.time() + 20
        while not number.endswith(b"\n") and time.time() < deadline:
            chunk = os.read(r, 16)
            if not chunk:
                break
            number += chunk
        os.close(r)
        self.display = ":" + number.decode().strip()
        self.env["DISPLAY"] = self.display

    def c_drive(self, *parts):
        return os.path.join(self.prefix, "drive_c", *parts)

    @staticmethod
    def windows_path(unix_path):
        return "Z:" + os.path.abspath(unix_path).replace("/", "\\")

    def _env_for(self, debugstr, locale=None, extra=None, channels=""):
        env = dict(self.env)
        env.update(extra or {})
        if locale:
            # Wine's ANSI code page follows it: ru_RU.UTF-8 gives 1251, ja_JP.UTF-8 932.
            env["LC_ALL"] = locale
        if debugstr:
            # Where OutputDebugString goes in this Wine; "timestamps" adds the tick count.
            env["WINEDEBUG"] = "-all,warn+seh" + (",+timestamp" if debugstr == "timestamps" else "") + channels
        return env

    def wine(self, *args, debugstr=False, timeout=120, locale=None):
        """Runs to its end. Output goes through files: Wine's helper processes inherit the
        standard handles and would hold a pipe open long after the program ended."""
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            p = subprocess.run(["wine", *args], env=self._env_for(debugstr, locale), stdout=out, stderr=err,
                               stdin=subprocess.DEVNULL, timeout=timeout)
            out.seek(0)
            err.seek(0)
            return subprocess.CompletedProcess(p.args, p.returncode, out.read(), err.read())

    def start(self, *args, debugstr=False, locale=None, env=None, channels=""):
        """Starts in the background; see Started for its output. env: variables the program
        gets besides the session's; channels: more of Wine's trace (",trace+process")."""
        return Started(["wine", *args], self._env_for(debugstr, locale, env, channels))

    def reg_add(self, key, name, value, kind="REG_SZ"):
        # reg.exe has been seen to fail once in many runs with no message at all; the
        # value is what counts, so a failed add is tried again and the value read back.
        for _ in range(3):
            r = self.wine("reg", "add", key, "/v", name, "/t", kind, "/d", value, "/f")
            if r.returncode == 0:
                return
            q = self.wine("reg", "query", key, "/v", name)
            if q.returncode == 0 and b"    %s\r\n" % value.encode("latin-1", "replace") in q.stdout:
                return
        raise RuntimeError("reg add failed with status %s: %r %r" % (r.returncode, r.stdout[-500:], r.stderr[-500:]))

    def reg_delete(self, key):
        self.wine("reg", "delete", key, "/f")

    def trust(self, der_path):
        """This prefix trusts the certificate authority in der_path from now on, as Windows
        trusts one among the user's roots (programs started later see it); the Linux
        system's own store is left alone."""
        r = self.wine(os.path.join(BIN, "winprobe.exe"), "trust", self.windows_path(der_path))
        if r.returncode != 0 or not r.stdout.startswith(b"trusted"):
            raise RuntimeError("trust failed with status %s: %r" % (r.returncode, r.stdout[-200:]))

    def screenshot(self, path):
        return subprocess.run(["import", "-display", self.display, "-window", "root", path],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0

    def close(self):
        subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for p in (self._server, self._xvfb):
            if p and p.poll() is None:
                p.send_signal(signal.SIGTERM)
                try:
                    p.wait(10)
                except subprocess.TimeoutExpired:
                    p.kill()
        if not self.keep:
            shutil.rmtree(self.root, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


class Started:
    """A background Wine process whose output is collected in files."""

    def __init__(self, argv, env):
        self._out = tempfile.TemporaryFile()
        self._err = tempfile.TemporaryFile()
        self.proc = subprocess.Popen(argv, env=env, stdout=self._out, stderr=self._err, stdin=subprocess.DEVNULL)

    def wait(self, timeout):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()

    def _read(self, f):
        f.flush()
        f.seek(0)
        return f.read()

    @property
    def stdout(self):
        return self._read(self._out)

    @property
    def stderr(self):
        return self._read(self._err)
