"""From the viewer page to the result file: curl.exe downloads it into a working file beside
"OutputPath", the program moves it into place, then curl deletes it on the server."""
import os
import shutil
import tempfile
import time
from urllib.parse import quote

from harness import (BIN, CURL, INSTALL_KEY, TRACE, E2ETest, PROP, PrintServer, new_address, platform_argv,
                     processes, quoted, session, wait_no_processes)
from forward_proxy import ForwardProxy  # noqa: E402 (tests/bed, on the path the harness sets)

TOOL_FOLDER = r"C:\Program Files\Common Files\Quorvex"
TOOL = TOOL_FOLDER + r"\curl.exe"
EARLIER = b"<earlier result/>\n"
# The bounds the program gives each run (connect 30 s, no progress for 60 s) and slack.
STALL_BOUND = 60 + 30


def is_result_download(r):
    return r.from_curl and r.method == "GET" and r.path.startswith("/jobs/")


def is_delete(r):
    return r.method == "DELETE"


class ResultTest(E2ETest):
    @classmethod
    def setUpClass(cls):
        w = session()
        folder = w.c_drive("Program Files", "Common Files", "Quorvex")
        os.makedirs(folder, exist_ok=True)
        shutil.copy(CURL, os.path.join(folder, "curl.exe"))
        w.reg_add(INSTALL_KEY, "CommonFiles", TOOL_FOLDER)

    @staticmethod
    def tool_copy():
        return session().c_drive("Program Files", "Common Files", "Quorvex", "curl.exe")

    def setUp(self):
        super().setUp()
        self.out_dir = tempfile.mkdtemp(prefix="result out ")
        self.addCleanup(shutil.rmtree, self.out_dir, True)
        self.output = os.path.join(self.out_dir, "job result.xml")

    def finish(self, **extra):
        """Launches with a document; the viewer page sends the browser on to the result."""
        doc = os.path.join(self.out_dir, "input.xml")
        with open(doc, "wb") as f:
            f.write(b"<job/>\r\n")
        p = dict(InputPath=session().windows_path(doc), OutputPath=session().windows_path(self.output),
                 finish="auto")
        p.update(extra)
        return self.launch_params(**p)

    def earlier_result(self):
        with open(self.output, "wb") as f:
            f.write(EARLIER)

    def navigate_to(self, path):
        """Launches, waits for the viewer page, then sends the browser to a result of its own."""
        v = self.launch_params(OutputPath=session().windows_path(self.output))
        self.ready(v)
        v.probe("copydata", PROP, 2558, "ok", self.server.base + path)
        return v

    def runs(self, v):
        return [line[len(TRACE.RUN):] for line in v.trace() if line.startswith(TRACE.RUN)]

    def assertNotDelivered(self, v, earlier=None):
        """Exit 2, nothing deleted, "OutputPath" as it was, no working file left behind."""
        self.assertEqual(v.wait_exit(STALL_BOUND + 30), 2, v.trace())
        self.assertEqual(self.server.matching(is_delete), [])
        if earlier is None:
            self.assertFalse(os.path.exists(self.output))
        else:
            with open(self.output, "rb") as f:
                self.assertEqual(f.read(), earlier)
        self.assertEqual(sorted(os.listdir(self.out_dir)),
                         sorted(n for n in ("input.xml", os.path.basename(self.output))
                                if os.path.exists(os.path.join(self.out_dir, n))))
        self.assertEqual([n for n in os.listdir(self.out_dir) if n.startswith("~tessel")], [])


class WholeRoute(ResultTest):
    def test_launch_to_result_file_and_delete(self):
        self.earlier_result()  # an earlier run's result is replaced
        v = self.finish()
        self.assertEqual(v.wait_exit(60), 0, v.trace())
        posted = self.server.wait_for(lambda r: r.method == "POST" and r.path == "/viewer", 1)
        self.assertIsNotNone(posted)
        self.assertEqual(posted.body, b"<job/>\n")
        located = self.server.wait_for(lambda r: not r.from_curl and r.path == "/jobs/4711/result.xml", 1)
        download = self.server.wait_for(is_result_download, 1)
        delete = self.server.wait_for(is_delete, 1)
        self.assertIsNotNone(located)
        self.assertIsNotNone(download)
        self.assertIsNotNone(delete)
        self.assertEqual(download.target, "/jobs/4711/result.xml")
        self.assertEqual(delete.request_line.split(" ")[1], "/viewer?file=result.xml")
        self.assertLess(download.answered, delete.time)
        with open(self.output, "rb") as f:
            self.assertEqual(f.read(), self.server.document)
        self.assertEqual(sorted(os.listdir(self.out_dir)), ["input.xml", "job result.xml"])
        # Wine quotes a child's program path itself; Windows does not. Read the lines the
        # program formed by Windows' rules: curl's path must come out whole.
        download_line, delete_line = self.runs(v)
        download_args, delete_args = platform_argv(download_line), platform_argv(delete_line)
        self.assertEqual(download_args[:2], [TOOL, "-q"])
        self.assertEqual(delete_args[:2], [TOOL, "-q"])
        self.assertEqual(delete_args[-1], self.server.viewer_url + "?file=result.xml")
        print("\n    result location -> DELETE request: %.0f ms; delete -> exit: %.0f ms"
              % ((delete.time - located.time) * 1000, (v.ended - delete.time) * 1000))

    def test_globbing_characters_are_fetched_as_written(self):
        path = "/jobs/{a,b}/[1-3].xml"
        v = self.navigate_to(path)
        self.assertEqual(v.wait_exit(60), 0, v.trace())
        # curl asked once, for the location the browser reached; its brackets reached curl as
        # written and were not expanded (the browser itself encodes the braces; Wine cuts the
        # traced line before the location).
        located = self.server.wait_for(lambda r: not r.from_curl and r.path.endswith(".xml"), 1)
        downloads = self.server.matching(is_result_download)
        self.assertEqual([d.target for d in downloads], [located.target])
        self.assertTrue(located.target.endswith("/[1-3].xml"), located.target)
        self.assertEqual(len(self.server.matching(is_delete)), 1)


class Languages(ResultTest):
    """Letters beyond the code page: 1252 (the default, where only wide calls carry Cyrillic or
    CJK), 1251 (ru_RU) and 932 (ja_JP)."""

    def deliver_in(self, folder, locale=None, encoding=None):
        """Document and result in `folder`; with an encoding, the parameters in a file there."""
        where = os.path.join(self.out_dir, folder)
        os.makedirs(where)
        doc, out, params_file = (os.path.join(where, folder + ext) for ext in (" in.xml", ".xml", ".txt"))
        with open(doc, "wb") as f:
            f.write(b"<job/>\r\n")
        params = self.params(InputPath=session().windows_path(doc), OutputPath=session().windows_path(out),
                             finish="auto")
        self.server.requests.clear()
        if encoding:
            with open(params_file, "w", encoding=encoding, newline="\r\n") as f:
                f.write("".join("%s=%s\n" % kv for kv in params.items()))
        v = self.launch(session().windows_path(params_file) if encoding else quoted(**params), locale=locale)
        label = (folder, locale, encoding)
        self.assertEqual(v.wait_exit(60), 0, (label, v.trace()))
        self.assertEqual(self.server.wait_for(lambda r: r.method == "POST", 1).body, b"<job/>\n", label)
        with open(out, "rb") as f:
            self.assertEqual(f.read(), self.server.document, label)
        self.assertEqual(len(self.server.matching(is_delete)), 1, label)
        self.assertEqual([n for n in os.listdir(where) if n.startswith("~tessel")], [], label)

    def test_folders_beyond_the_code_page_deliver(self):
        self.deliver_in("\u041e\u0442\u0447\u0451\u0442\u044b")
        self.deliver_in("\u5831\u544a \u30e6\u30fc\u30b6\u30fc")
        self.deliver_in("R\u00e9sultats", locale="ja_JP.UTF-8")
        self.deliver_in("\u5831\u544a", locale="ja_JP.UTF-8")
        self.deliver_in("\u0414\u043c\u0438\u0442\u0440\u0438\u0439", locale="ru_RU.UTF-8", encoding="utf-8-sig")
        self.deliver_in("\u0412\u044b\u0432\u043e\u0434", locale="ru_RU.UTF-8", encoding="utf-16")

    def test_forwarded_cyrillic_value_reaches_the_page_as_its_letters(self):
        title = "\u041e\u0442\u0447\u0451\u0442"
        self.ready(self.launch_params(locale="ru_RU.UTF-8", title=title))
        target = self.server.wait_for(lambda r: r.path == "/viewer", 1).target.encode("latin-1")
        # The code page's bytes under Wine; UTF-8 where Windows is set to send it.
        self.assertTrue(any(b"title=" + t in target for t in (title.encode("cp1251"), quote(title).encode())), target)


class Unreachable(ResultTest):
    def test_refused_viewer_request_shows_the_program_page_and_try_again_delivers(self):
        later = new_address()  # nothing listens there yet
        v = self.finish(URL="http://%s:8080/viewer" % later)
        page = v.wait_trace(TRACE.NAVIGATE_UNREACHABLE, 40)
        self.assertIsNotNone(page, v.trace())
        self.assertIn("/html/unreachable.html?lang=en&reason=", page)
        self.assertTrue(v.running())
        server = PrintServer(later, 80, 8080)
        self.addCleanup(server.close)
        v.probe("copydata", PROP, 2558, "ok", "tessel:retry")  # the page's "Try again"
        self.assertEqual(v.wait_exit(60), 0, v.trace())
        self.assertEqual(len(self.server.matching(lambda r: r.path == "/wt4/login")), 2, "logged in again")
        self.assertEqual(server.wait_for(lambda r: r.method == "POST", 1).body, b"<job/>\n")
        with open(self.output, "rb") as f:
            self.assertEqual(f.read(), server.document)


class NoTransfer(ResultTest):
    def test_no_output_path_ends_with_0_and_an_empty_one_with_2(self):
        v = self.finish(OutputPath=None)
        self.assertEqual(v.wait_exit(60), 0)
        self.assertIn(TRACE.RESULT_NO_OUTPUT_PATH, v.trace())
        v = self.finish(OutputPath="")
        self.assertEqual(v.wait_exit(60), 2, v.trace())
        self.assertIn(TRACE.RESULT_OUTPUT_PATH_EMPTY, v.trace())
        self.assertEqual(self.server.matching(lambda r: r.from_curl), [])

    def test_missing_registry_value_runs_nothing(self):
        # A relative folder and a missing curl.exe: IsAbsoluteFolder and ResultRetrievalWin.
        w = session()
        try:
            w.reg_delete(INSTALL_KEY)
            v = self.finish()
            self.assertNotDelivered(v)
            self.assertIn(TRACE.RESULT_NO_TOOL, v.trace())
        finally:
            w.reg_add(INSTALL_KEY, "CommonFiles", TOOL_FOLDER)
        self.assertEqual(self.server.matching(lambda r: r.from_curl), [])


class FailedDownload(ResultTest):
    def test_http_error_keeps_the_result_on_the_server(self):
        self.server.result = "500"  # curl's own -f reading; a cut is the delivery's unit test
        v = self.finish()
        self.assertNotDelivered(v)
        self.assertIsNotNone(self.server.wait_for(is_result_download, 1))
        self.assertIn(TRACE.RESULT_DOWNLOAD_FAILED, v.trace())

    def test_redirect_to_curl_is_not_the_result_whatever_curls_own_configuration_says(self):
        # A configuration file beside curl.exe that would make it follow the redirect.
        rc = os.path.join(os.path.dirname(self.tool_copy()), "_curlrc")
        with open(rc, "w") as f:
            f.write("location\n")
        self.addCleanup(os.unlink, rc)
        self.server.result = "redirect"
        self.earlier_result()
        v = self.finish()
        self.assertNotDelivered(v, earlier=EARLIER)
        self.assertIsNotNone(self.server.wait_for(is_result_download, 1))
        self.assertEqual(self.server.matching(lambda r: r.from_curl and r.path == "/wt4/login"), [])

    def test_stalled_transfer_ends_within_its_bound(self):
        self.server.result = "stall"
        v = self.finish()
        download = self.server.wait_for(is_result_download, 60)
        self.assertIsNotNone(download)
        self.assertNotDelivered(v)
        held = v.ended - download.time
        self.assertLess(held, STALL_BOUND)
        print("\n    stalled transfer held the run %.1f s" % held)


class WhileCurlRuns(ResultTest):
    """The window keeps answering while curl runs; curl never outlives the viewer."""

    def stalled(self):
        self.server.result = "stall"
        v = self.finish()
        self.assertIsNotNone(self.server.wait_for(is_result_download, 60))
        return v

    def test_window_answers_and_a_close_cancels_the_transfer(self):
        self.earlier_result()
        v = self.stalled()
        answers = v.watch(6000)
        self.assertLess(answers["worst"], 2000, answers)
        self.assertEqual(answers["hung"], 0, answers)
        closed = time.time()
        v.probe("close", PROP)
        self.assertNotDelivered(v, earlier=EARLIER)
        self.assertIn(TRACE.RESULT_DOWNLOAD_CANCELLED, v.trace())
        self.assertEqual(wait_no_processes("curl.exe"), 0)
        print("\n    stalled transfer: worst answer %d ms; close -> exit %.1f s"
              % (answers["worst"], v.ended - closed))

    def test_end_of_session_during_a_transfer_leaves_no_curl_and_no_working_file(self):
        v = self.stalled()
        self.assertIn("answer 1", v.probe("send", PROP, 0x11, 0)[1])  # WM_QUERYENDSESSION: at once
        v.probe("send", PROP, 0x16, 1)  # WM_ENDSESSION: the process may be ended once it returns
        self.assertEqual(processes("curl.exe"), 0)
        self.assertEqual([n for n in os.listdir(self.out_dir) if n.startswith("~tessel")], [])
        self.assertNotDelivered(v)
        self.assertIn(TRACE.END_SESSION, v.trace())

    def test_viewer_ended_from_outside_leaves_no_curl_and_the_next_run_sweeps(self):
        v = self.stalled()
        session().wine("taskkill", "/f", "/pid", str(v.pid))
        self.assertIsNotNone(v.wait_exit(30))
        self.assertEqual(wait_no_processes("curl.exe"), 0)
        left = [n for n in os.listdir(self.out_dir) if n.startswith("~tessel")]
        self.assertEqual(len(left), 3, "the ended run's working files: body, head, message")
        self.server.result = "ok"
        w = self.finish()
        self.assertEqual(w.wait_exit(60), 0, w.trace())
        self.assertEqual(sorted(os.listdir(self.out_dir)), ["input.xml", "job result.xml"])

class PageRoute(ResultTest):
    """The result takes the route the page took: its proxy, its session, its patience with a
    transient failure or a held file, any folder. Proxy variables that only curl would read point nowhere."""

    # (Not http_proxy or no_proxy: Wine's WinINet reads them, Windows' does not.)
    NOWHERE = {"ALL_PROXY": "http://127.0.0.1:9", "HTTPS_PROXY": "http://127.0.0.1:9"}
    SETTINGS = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings"

    def delivered(self, v):
        self.assertEqual(v.wait_exit(90), 0, v.trace())
        with open(self.output, "rb") as f:
            self.assertEqual(f.read(), self.server.document)
        self.assertEqual(len(self.server.matching(is_delete)), 1)
        self.assertEqual([n for n in os.listdir(os.path.dirname(self.output)) if n.startswith("~tessel")], [])

    def hold_output(self, ms):
        """Another program holds the earlier result open without delete sharing."""
        self.earlier_result()
        holder = session().start(os.path.join(BIN, "winprobe.exe"), "hold", session().windows_path(self.output),
                                 str(ms))
        deadline = time.time() + 30
        while b"held" not in holder.stdout and time.time() < deadline:
            time.sleep(0.05)
        pid = holder.stdout.decode().split()[1]
        self.addCleanup(session().wine, "taskkill", "/f", "/pid", pid)
        return holder

    def test_a_server_only_the_system_proxy_reaches(self):
        name = "printserver.test"
        self.server.name = name
        proxy = ForwardProxy(new_address(), {name: self.address})
        self.addCleanup(proxy.close)
        w = session()
        w.reg_add(self.SETTINGS, "ProxyServer", "http=%s;https=%s" % (proxy.address, proxy.address))
        w.reg_add(self.SETTINGS, "ProxyOverride", "<local>;*.example")
        w.reg_add(self.SETTINGS, "ProxyEnable", "1", kind="REG_DWORD")
        self.addCleanup(w.reg_add, self.SETTINGS, "ProxyEnable", "0", kind="REG_DWORD")
        v = self.finish(ServerIP=name, URL=self.server.viewer_url, env=self.NOWHERE)
        self.delivered(v)
        self.assertEqual([(m, t) for m, t, curl in proxy.requests if curl],
                         [("GET", self.server.result_url()), ("DELETE", self.server.viewer_url + "?file=result.xml")])
        self.assertIn(TRACE.ROUTE + "http://" + proxy.address, v.trace())

    def test_the_pages_session_reaches_curl_and_no_command_line(self):
        self.server.session = True
        v = self.finish(env=self.NOWHERE, channels=",trace+process")
        self.delivered(v)
        for request in (self.server.wait_for(is_result_download, 1), self.server.wait_for(is_delete, 1)):
            self.assertIn("VIEW=v42", request.header("Cookie"))
        self.assertIn(TRACE.SESSION_HANDED_OVER, v.trace())
        self.assertIn(TRACE.ROUTE + "direct", v.trace())
        launched = v.proc.stderr.decode("latin-1")
        self.assertIn("curl.exe", launched[launched.find("CreateProcessInternalW"):], "the channel shows curl's start")
        for secret in PrintServer.SESSION:
            self.assertNotIn(secret, launched)

    def test_a_transient_failure_and_a_held_file_are_waited_out(self):
        self.server.result = "cutonce"
        self.hold_output(8000)
        v = self.finish()
        self.delivered(v)
        self.assertEqual(len(self.server.matching(is_result_download)), 2)
        self.assertTrue(any(line.startswith(TRACE.RESULT_MOVE_HELD) for line in v.trace()), v.trace())

    def test_a_file_held_past_the_bound_loses_nothing(self):
        self.hold_output(60000)
        v = self.finish()
        self.assertNotDelivered(v, earlier=EARLIER)
        self.assertTrue(any(line.startswith(TRACE.RESULT_NOT_MOVED) for line in v.trace()), v.trace())

    # A folder longer than a current directory may be: ResultDeliveryWin (the stand-in tool
    # opens its working files by the same relative names in the short form).


# A location crafted to add curl arguments cannot be staged end to end: the browser control
# percent-encodes blanks and quotes before the program reads the location. The program's own
# escaping is proved by CurlCommand.LocationCannotAddArguments (native), by the
# curl_command fuzz target (every line read back by Windows' rules) and by
# CurlCommandWin.PlatformReadsTheCurlPathWhole (CommandLineToArgvW).
