"""A forward HTTP proxy on loopback that alone knows the print server's name, as a company
network's proxy does; records every request it is sent as (method, address, from curl).
With signin="negotiate" (and realm, a kerberos.Realm) it answers curl's requests 407 Negotiate
until they carry a valid token; WinINet's go through unasked, as Wine's cannot sign in."""
import http.client
import http.server
import threading
import urllib.parse


class Forwarded(tuple):
    """(method, address, from curl); principal: who signed in to the proxy; upstream: the
    header names sent on to the server (None when the request went no further)."""

    def __new__(cls, method, address, curl):
        record = super().__new__(cls, (method, address, curl))
        record.principal = None
        record.upstream = None
        return record


class ForwardProxy(http.server.ThreadingHTTPServer):
    def __init__(self, host, names, port=3128, signin=None, realm=None):
        self.names = {k.lower(): v for k, v in names.items()}  # name -> address
        self.acceptor = None
        if signin == "negotiate":
            from negotiate import Acceptor
            self.acceptor = Acceptor(realm.service_keytab)
        self.requests = []
        super().__init__((host, port), _Forward)
        self.address = "%s:%d" % self.server_address
        threading.Thread(target=self.serve_forever, daemon=True).start()

    def close(self):
        self.shutdown()
        self.server_close()


class _Forward(http.server.BaseHTTPRequestHandler):
    def forward(self):
        url = urllib.parse.urlsplit(self.path)
        record = Forwarded(self.command, self.path, "curl/" in self.headers.get("User-Agent", ""))
        self.server.requests.append(record)
        body = self.rfile.read(int(self.headers.get("Content-Length") or 0))
        if record[2] and self.server.acceptor:
            record.principal = self.server.acceptor.principal(self.headers.get("Proxy-Authorization"))
            if record.principal is None:
                self.send_response(407, "Proxy Authentication Required")
                for k, v in (("Proxy-Authenticate", "Negotiate"), ("Content-Length", "0"), ("Connection", "close")):
                    self.send_header(k, v)
                return self.end_headers()
        address = self.server.names.get((url.hostname or "").lower())
        if url.scheme != "http" or not address:
            return self.send_error(502)
        headers = {k: v for k, v in self.headers.items() if not k.lower().startswith("proxy-")}
        record.upstream = list(headers)
        upstream = http.client.HTTPConnection(address, url.port or 80, timeout=30)
        upstream.request(self.command, urllib.parse.urlunsplit(("", "", url.path or "/", url.query, "")), body, headers)
        answer = upstream.getresponse()
        data = answer.read()
        self.send_response(answer.status, answer.reason)
        for k, v in answer.getheaders():
            if k.lower() not in ("content-length", "connection", "transfer-encoding"):
                self.send_header(k, v)
        self.send_header("Content-Length", str(len(data)))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(data)
        upstream.close()

    do_GET = do_POST = do_DELETE = do_HEAD = forward

    def log_message(self, *args):
        pass
