"""The result takes the page's trust: the user's Windows sign-in where the page would sign in,
the server's certificate as Windows judges it, this machine always direct."""
import os
import tempfile

from harness import TRACE, PrintServer, new_address, session
from forward_proxy import ForwardProxy  # noqa: E402 (tests/bed, on the path the harness sets)
from kerberos import Realm  # noqa: E402
import test_authority  # noqa: E402
from test_result import ResultTest, is_delete, is_result_download

SETTINGS = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings"
_certificates = None


def certificates():
    """The bed's authority, trusted by the session's prefix, and its two server certificates."""
    global _certificates
    if _certificates is None:
        _certificates = test_authority.make(tempfile.mkdtemp(prefix="tessel-authority-"))
        session().trust(_certificates.ca_der)
    return _certificates


class PagesTrust(ResultTest):
    def delivered(self, v, server):
        self.assertEqual(v.wait_exit(90), 0, v.trace())
        with open(self.output, "rb") as f:
            self.assertEqual(f.read(), server.document)
        # One DELETE taken: where the server signs in, the one that carried the user's logon.
        self.assertEqual(len(server.matching(lambda r: is_delete(r) and (not server.signin or r.principal))), 1)

    def use_proxy(self, proxy, bypass=None):
        w = session()
        w.reg_add(SETTINGS, "ProxyServer", proxy.address)
        if bypass is not None:
            w.reg_add(SETTINGS, "ProxyOverride", bypass)
            self.addCleanup(w.reg_add, SETTINGS, "ProxyOverride", "")
        w.reg_add(SETTINGS, "ProxyEnable", "1", kind="REG_DWORD")
        self.addCleanup(w.reg_add, SETTINGS, "ProxyEnable", "0", kind="REG_DWORD")

    def realm(self, *hosts):
        realm = Realm(hosts=hosts).start()
        self.addCleanup(realm.close)
        return realm

    def local_server(self, **options):
        """A print server addressed as "localhost", on a port of its own."""
        server = PrintServer("127.0.0.1", 0, 0, name="localhost", **options)
        self.addCleanup(server.close)
        return server

    def test_this_machine_is_reached_direct_with_a_proxy_configured(self):
        # Wine's own HTTP layer sends even loopback through the proxy, so the page goes there;
        # the tool goes direct, as Windows' page would.
        proxy = ForwardProxy(new_address(), {self.address: self.address})
        self.addCleanup(proxy.close)
        self.use_proxy(proxy)
        v = self.finish()
        self.delivered(v, self.server)
        self.assertEqual([r for r in proxy.requests if r[2]], [], "curl never went through the proxy")
        self.assertTrue(self.server.matching(is_result_download))
        self.assertIn(TRACE.ROUTE + "direct", v.trace())

    def test_a_proxy_that_asks_for_windows_sign_in(self):
        name = "printserver.test"
        self.server.name = name
        address = new_address()
        realm = self.realm(address)
        proxy = ForwardProxy(address, {name: self.address}, signin="negotiate", realm=realm)
        self.addCleanup(proxy.close)
        self.use_proxy(proxy)
        v = self.finish(ServerIP=name, URL=self.server.viewer_url, env=realm.env)
        self.delivered(v, self.server)
        signed = [(r[0], r.principal) for r in proxy.requests if r[2] and r.upstream is not None]
        self.assertEqual(signed, [("GET", realm.user), ("DELETE", realm.user)])
        self.assertNotIn("Proxy-Authorization", sum((r.upstream for r in proxy.requests if r.upstream), []))

    def test_a_server_that_signs_in_where_the_zone_allows(self):
        realm = self.realm("localhost")
        server = self.local_server(signin="negotiate", realm=realm)
        w = session()
        # The name in the Local intranet zone, whose default is automatic logon there only.
        key = SETTINGS + r"\ZoneMap\Domains\localhost"
        w.reg_add(key, "http", "1", kind="REG_DWORD")
        self.addCleanup(w.wine, "reg", "delete", key, "/f")
        for zone in ("1", "3"):
            w.reg_add(SETTINGS + r"\Zones" + "\\" + zone, "1A00", str(0x20000), kind="REG_DWORD")
        v = self.finish(URL=server.viewer_url, env=realm.env)
        self.delivered(v, server)
        self.assertIn(TRACE.SIGN_IN_ALLOWED, v.trace())
        signed = [(r.method, r.principal) for r in server.matching(lambda r: r.from_curl and r.principal)]
        self.assertEqual(signed, [("GET", realm.user), ("DELETE", realm.user)])

        # In the Internet zone the same server is not signed in to; nor where it asks for Basic.
        w.wine("reg", "delete", key, "/f")
        for options, schemes in (({"signin": "negotiate", "realm": realm}, "Negotiate"), ({"signin": "basic"}, "Basic")):
            server = self.local_server(**options)
            if os.path.exists(self.output):
                os.unlink(self.output)
            v = self.finish(URL=server.viewer_url, env=realm.env)
            self.assertEqual(v.wait_exit(90), 2, v.trace())
            self.assertIn(TRACE.SIGN_IN_NOT_GIVEN + "401 " + schemes, v.trace())
            self.assertEqual(server.matching(lambda r: r.from_curl and r.header("Authorization")), [])
            self.assertEqual(server.matching(is_delete), [])

    def tls_server(self, certificate, **options):
        """An https print server at "localhost" whose login (port 80, plain http) shares the
        page's session with it; the result and its DELETE only for that session."""
        server = PrintServer("127.0.0.1", 80, 0, name="localhost", tls=certificate.context(), session=True, **options)
        self.addCleanup(server.close)
        return server

    def test_the_session_goes_only_to_a_certificate_windows_accepts(self):
        certs = certificates()
        server = self.tls_server(certs.trusted, result="resetonce")
        v = self.finish(ServerIP="localhost", URL=server.viewer_url)
        self.delivered(v, server)
        trace = v.trace()
        self.assertIn(TRACE.CERTIFICATE_ACCEPTED + "https://localhost:%d, key pinned" % server.viewer_port, trace)
        pinned = [line for line in self.runs(v) if "--pinnedpubkey " + certs.trusted.pin in line]
        self.assertEqual(len(pinned), 3, "the download, its second try after the reset, the delete")
        self.assertTrue(any(line.startswith(TRACE.RUN_AGAIN) for line in trace), "the reset was a transient failure")
        for request in server.matching(lambda r: r.from_curl):
            self.assertIn("VIEW=v42", request.header("Cookie") or "")

        # Nobody vouches for the result's server: curl takes it as before (-k), but without the
        # session. (Wine's control refuses such a page, so the viewer's page is a trusted one
        # and only the result lies there; the control's failed load still reports its address.)
        server.close()
        os.unlink(self.output)
        server = self.tls_server(certs.trusted)
        elsewhere = PrintServer("127.0.0.1", 0, 0, name="localhost", tls=certs.untrusted.context(), session=True)
        self.addCleanup(elsewhere.close)
        server.result_url = elsewhere.result_url
        v = self.finish(ServerIP="localhost", URL=server.viewer_url)
        # Wine's control asks the user about the certificate itself (Windows' asks our site,
        # which refuses it): the user says no.
        v.wait_trace(TRACE.SESSION_WITHHELD, timeout=60)
        for _ in range(100):
            if v.probe("dismiss", "Security Warning")[0] == 0 or not v.running():
                break
        self.assertEqual(v.wait_exit(90), 2, v.trace())
        self.assertIn(TRACE.CERTIFICATE_REFUSED + "https://localhost:%d, error 12045" % elsewhere.viewer_port, v.trace())
        curls = elsewhere.matching(lambda r: r.from_curl)
        self.assertTrue(curls, "curl asked for the result")
        self.assertEqual([r.header("Cookie") for r in curls], [None] * len(curls))
        self.assertEqual(server.matching(is_delete) + elsewhere.matching(is_delete), [])
