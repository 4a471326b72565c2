"""Viewer start-up on the wire: the login request, the input document, the first navigation."""
import os
import tempfile
import time

from harness import TRACE, E2ETest, new_address, quoted

ACCEPT = ("audio/x-aiff, audio/basic, audio/midi, audio/mpeg, audio/wav, image/jpeg, image/gif, "
          "image/jpg, image/png, image/mng, image/bmp, text/plain, text/html, text/htm")


def is_login(r):
    return r.path == "/wt4/login"


def is_viewer(r):
    return r.path == "/viewer" and r.method in ("GET", "POST")


class Login(E2ETest):
    def test_login_request_exactly_as_sent_and_the_order_of_events(self):
        v = self.launch_params()
        login = self.server.wait_for(is_login)
        viewer = self.server.wait_for(is_viewer)
        self.assertIsNotNone(login)
        self.assertEqual(login.port, 80)
        self.assertEqual(login.request_line, "GET /wt4/login HTTP/1.0")
        self.assertIn("Accept: " + ACCEPT, login.header_lines)
        self.assertIn("User-Agent: FOOBW/1.0", login.header_lines)
        self.assertEqual([n for n, _ in login.headers].count("User-Agent"), 1)
        self.assertIsNone(login.header("Content-Type"))
        self.assertEqual(login.body, b"")
        self.assertEqual(login.header("Content-Length") in (None, "0"), True)
        self.assertIsNotNone(viewer)
        self.assertLess(login.time, viewer.time)
        trace = v.trace()
        start = [i for i, l in enumerate(trace) if l.startswith(TRACE.NAVIGATE_START_PAGE)]
        logged = [i for i, l in enumerate(trace) if l.startswith(TRACE.LOGIN)]
        asked = [i for i, l in enumerate(trace) if l.startswith(TRACE.NAVIGATE_VIEWER)]
        self.assertTrue(start and logged and asked, trace)
        # The login goes out while the start page loads; the viewer request waits for both.
        self.assertLess(start[0], asked[0])
        self.assertLess(logged[0], asked[0])
        print("\n    launch -> login on the wire: %.0f ms; login -> viewer request: %.0f ms"
              % ((login.time - v.started) * 1000, (viewer.time - login.time) * 1000))

    def test_session_cookie_of_the_login_comes_back_on_the_viewer_request(self):
        self.launch_params()
        viewer = self.server.wait_for(is_viewer)
        self.assertIsNotNone(viewer)
        self.assertIn("TESSELSESSION=s4711", viewer.header("Cookie") or "")


class LoginAnswers(E2ETest):
    def run_with(self, login):
        self.server.login = login
        v = self.launch_params()
        viewer = self.server.wait_for(is_viewer, timeout=40)
        self.assertIsNotNone(viewer, login)
        v.close()
        return viewer

    def test_any_status_leads_to_the_viewer(self):
        for status in ("401", "404", "500", "redirect"):
            viewer = self.run_with(status)
            hops = [r.path for r in self.server.matching(lambda r: r.path.startswith("/wt4/"))]
            # A redirect is followed by the login itself: one hop to its target.
            self.assertEqual(hops, ["/wt4/login", "/wt4/login/final"] if status == "redirect" else ["/wt4/login"])
            self.assertLess(self.server.matching(lambda r: r.path.startswith("/wt4/"))[-1].time, viewer.time)
            self.server.requests.clear()

    def test_refused_login_connection_leads_to_the_viewer_promptly(self):
        nobody = new_address()  # nothing listens on port 80 there
        p = self.params(ServerIP=nobody)
        v = self.launch(quoted(**p))
        viewer = self.server.wait_for(is_viewer, timeout=20)
        self.assertIsNotNone(viewer)
        self.assertLess(viewer.time - v.started, 10)
        self.assertIn(TRACE.LOGIN_SEND_FAILED, v.trace())


class InputDocument(E2ETest):
    def document(self, data):
        fd, path = tempfile.mkstemp(suffix=" input.xml")
        with os.fdopen(fd, "wb") as f:
            f.write(data)
        self.addCleanup(os.unlink, path)
        from harness import session
        return session().windows_path(path)

    def viewer_request(self, **extra):
        self.launch_params(**extra)
        r = self.server.wait_for(is_viewer)
        self.assertIsNotNone(r)
        return r

    def test_document_is_posted_in_text_mode_with_the_header(self):
        # Text mode is TextMode's; here the document reaches the wire as it reads: CR LF as LF,
        # a lone CR and NUL kept, nothing from the Ctrl-Z on.
        doc = b'<?xml version="1.0"?>\r\n<job>\x00\xe9\r\r\n</job>\r\n'
        r = self.viewer_request(InputPath=self.document(doc + b"\x1a<b/>"))
        self.assertEqual(r.method, "POST")
        self.assertEqual(r.body, doc.replace(b"\r\n", b"\n"))
        self.assertEqual(r.header("Content-Type"), "text/xml")

    def test_empty_document_is_an_empty_post(self):
        r = self.viewer_request(InputPath=self.document(b""))
        self.assertEqual(r.method, "POST")
        self.assertEqual(r.body, b"")
        self.assertEqual(r.header("Content-Type"), "text/xml")

    def test_no_or_unreadable_document_is_a_get(self):
        for path in (None, "C:\\no\\such\\file.xml", "C:\\windows"):
            self.server.requests.clear()
            r = self.viewer_request(InputPath=path)
            self.assertEqual(r.method, "GET", path)
            self.assertIsNone(r.header("Content-Type"), path)
            self.assertEqual(r.body, b"")
            for v in self.viewers:
                v.close()

    def test_forwarded_parameters_in_byte_order(self):
        r = self.viewer_request(lang="de", Zoom="2", a1="x", **{"9up": "y"}, OutputPath="C:\\o.xml",
                                WindowWidth="1000", WindowHeight="700")
        self.assertEqual(r.target, "/viewer?9up=y&Zoom=2&a1=x&lang=de")
