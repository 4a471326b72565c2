#!/usr/bin/env python3
"""Print-server simulator: the login resource, the viewer page, result documents and
their deletion, on loopback. Records every request raw, as it arrived on the wire.

Used by the end-to-end tests (as a library) and by the demo (as a program).
"""
import argparse
import html
import json
import socket
import sys
import threading
import time
import urllib.parse

RESULT_DOCUMENT = (b'<?xml version="1.0" encoding="UTF-8"?>\n'
                   b'<job id="4711" status="done"><pages>3</pages><copies>1</copies></job>\n')


class Request:
    def __init__(self, port, head, body, started):
        self.port = port
        self.time = started
        lines = head.decode("latin-1").split("\r\n")
        self.request_line = lines[0]
        parts = self.request_line.split(" ")
        self.method = parts[0] if parts else ""
        self.target = parts[1] if len(parts) > 1 else ""
        self.version = parts[2] if len(parts) > 2 else ""
        self.header_lines = [l for l in lines[1:] if l]
        self.headers = []
        for line in self.header_lines:
            name, _, value = line.partition(":")
            self.headers.append((name.strip(), value.strip()))
        self.body = body
        self.answered = None
        self.principal = None  # who signed in, with signin="negotiate"
        url = urllib.parse.urlsplit(self.target)
        self.path = url.path
        self.query = url.query

    def header(self, name):
        for n, v in self.headers:
            if n.lower() == name.lower():
                return v
        return None

    @property
    def from_curl(self):
        return (self.header("User-Agent") or "").startswith("curl/")

    def as_dict(self):
        return {"time": self.time, "port": self.port, "request_line": self.request_line,
                "headers": self.header_lines, "body_size": len(self.body)}

    def __repr__(self):
        return "<%s %s %d bytes>" % (self.method, self.target, len(self.body))


class PrintServer:
    """login: 200 (with a session cookie), any other status, "redirect", "loop",
    "silent" (accepts, never answers), "reset" or "slow" (200 after 3 s). result: "ok", "500" or
    "close" for every client; "cut" (half the document, then the connection ends), "cutonce"
    (so on the first try only), "stall" (half, then silence), "redirect" (302 to the login) or
    "slow" (the document after 3 s) for the transfer tool only; "resetonce" (the first connection
    after the browser was given the result (with tls: and the server was asked OPTIONS), the
    tool's, is reset as soon as its first bytes arrive: with tls, in the middle of the handshake;
    later ones are served).
    delete: "ok" or "500".
    signin: "negotiate" (with realm, a kerberos.Realm) answers the transfer tool's requests for
    the result and its DELETE 401 Negotiate until they carry a valid token, and keeps the
    client's principal in the request; "basic" answers them 401 Basic whatever they carry.
    The login and the browser are never asked to sign in (Wine's WinINet cannot).
    session: the viewer's answer sets an HttpOnly cookie; the result and its delete are
    served only to a request that carries it and the login's (403 otherwise).
    name: the server's name in the addresses it hands out (one only a proxy may know).
    tls: an ssl.SSLContext (test_authority's Server.context()) that makes the viewer port speak
    HTTPS; the login stays plain HTTP on its own port. A client that refused the certificate
    (its handshake failed, or it hung up before a request) leaves its reason in tls_failures."""

    SESSION = ("TESSELSESSION=s4711", "VIEW=v42")

    def __init__(self, host="127.0.0.1", login_port=80, viewer_port=0, login="200", result="ok",
                 delete="ok", document=RESULT_DOCUMENT, on_request=None, session=False, name=None, tls=None,
                 signin=None, realm=None):
        self.host = host
        self.name = name or host
        self.session = session
        self.login = str(login)
        self.result = result
        self.delete = delete
        self.document = document
        self.on_request = on_request
        self.signin = signin
        self._acceptor = None
        if signin == "negotiate":
            from negotiate import Acceptor  # python3-gssapi, only where sign-in is tested
            self._acceptor = Acceptor(realm.service_keytab)
        self.requests = []
        self.tls = tls
        self.tls_failures = []
        self.resets = 0
        self._lock = threading.Condition()
        self._stop = threading.Event()
        self._sockets = []
        self._threads = []
        self.login_port = self._listen(login_port)
        self.viewer_port = self.login_port if viewer_port == login_port else self._listen(viewer_port)

    # Addresses the viewer is given.
    @property
    def base(self):
        return "%s://%s:%d" % ("https" if self.tls else "http", self.name, self.viewer_port)

    @property
    def viewer_url(self):
        return self.base + "/viewer"

    def result_url(self, name="result.xml", folder="/jobs/4711/"):
        return self.base + folder + name

    def _listen(self, port):
        s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        s.bind((self.host, port))
        s.listen(64)
        s.settimeout(0.2)
        self._sockets.append(s)
        t = threading.Thread(target=self._accept, args=(s,), daemon=True)
        t.start()
        self._threads.append(t)
        return s.getsockname()[1]

    def _accept(self, s):
        while not self._stop.is_set():
            try:
                conn, _ = s.accept()
            except (socket.timeout, OSError):
                continue
            threading.Thread(target=self._serve, args=(conn, s.getsockname()[1]), daemon=True).start()

    def _serve(self, conn, port):
        conn.settimeout(30)
        try:
            if port == self.viewer_port and self._reset_once(conn):
                return
            if port == self.viewer_port and self.tls:
                try:
                    conn = self.tls.wrap_socket(conn, server_side=True)
                except OSError as e:
                    return self._tls_failed(str(e))
            buf = b""
            while b"\r\n\r\n" not in buf:
                chunk = conn.recv(65536)
                if not chunk:
                    if port == self.viewer_port and self.tls and not buf:
                        # Wine's WinINet completes the handshake before it checks the
                        # certificate: a refusal shows as a hang-up before the request.
                        self._tls_failed("closed before a request")
                    return
                buf += chunk
            started = time.time()
            head, _, rest = buf.partition(b"\r\n\r\n")
            length = 0
            for line in head.split(b"\r\n")[1:]:
                name, _, value = line.partition(b":")
                if name.strip().lower() == b"content-length":
                    length = int(value.strip() or 0)
            body = rest
            while len(body) < length:
                chunk = conn.recv(min(1 << 20, length - len(body)))
                if not chunk:
                    break
                body += chunk
            req = Request(port, head, body[:length], started)
            with self._lock:
                self.requests.append(req)
                self._lock.notify_all()
            if self.on_request:
                self.on_request(req)
            self._answer(conn, req)
            req.answered = time.time()
        except OSError:
            pass
        finally:
            try:
                conn.close()
            except OSError:
                pass

    def _tls_failed(self, reason):
        with self._lock:
            self.tls_failures.append(reason)
            self._lock.notify_all()

    def _reset_once(self, conn):
        # The browser has its result before the program starts the tool: the next connection
        # is the tool's.
        with self._lock:
            # With tls, the viewer asks Windows' HTTP layer about the server first (OPTIONS).
            if self.result != "resetonce" or self.resets or not any(
                    r.path.startswith("/jobs/") and not r.from_curl for r in self.requests) or (
                    self.tls and not any(r.method == "OPTIONS" for r in self.requests)):
                return False
            self.resets += 1
        conn.recv(65536)
        conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, b"\1\0\0\0\0\0\0\0")
        return True

    def _send(self, conn, status, body=b"", headers=()):
        reason = {200: "OK", 302: "Found", 502: "Bad Gateway", 401: "Unauthorized", 403: "Forbidden", 404: "Not Found",
                  500: "Internal Server Error"}.get(status, "Status")
        lines = ["HTTP/1.1 %d %s" % (status, reason), "Content-Length: %d" % len(body), "Connection: close"]
        lines += list(headers)
        conn.sendall(("\r\n".join(lines) + "\r\n\r\n").encode("latin-1") + body)

    def _in_session(self, req):
        cookies = [c.strip() for c in (req.header("Cookie") or "").split(";")]
        return not self.session or all(c in cookies for c in self.SESSION)

    def _answer(self, conn, req):
        if self.signin and req.from_curl and (req.path.startswith("/jobs/") or req.method == "DELETE"):
            if self._acceptor:
                req.principal = self._acceptor.principal(req.header("Authorization"))
            if req.principal is None:
                scheme = "Negotiate" if self._acceptor else 'Basic realm="x"'
                return self._send(conn, 401, b"sign in first", ["WWW-Authenticate: " + scheme])
        if req.path.startswith("/jobs/") or req.method == "DELETE":
            if not self._in_session(req):
                return self._send(conn, 403, b"not your session")
        if req.path == "/wt4/login":
            return self._answer_login(conn, req)
        if req.path == "/wt4/login/final":
            return self._send(conn, 200, b"ok", ["Set-Cookie: TESSELSESSION=s4711; Path=/"])
        if req.path == "/viewer" and req.method == "DELETE":
            return self._send(conn, 500 if self.delete == "500" else 200, b"deleted\n")
        if req.path == "/viewer":
            return self._answer_viewer(conn, req)
        if req.path.startswith("/jobs/"):
            return self._answer_result(conn, req)
        return self._send(conn, 404, b"not found")

    def _answer_result(self, conn, req):
        # cut, stall and redirect meet only the transfer tool: the browser, with its session
        # cookie, gets the document, so its location still ends in the result's name.
        mode = self.result if req.from_curl or self.result in ("500", "close") else "ok"
        if mode == "cutonce":
            with self._lock:
                mode = "cut" if not any(r.from_curl and r.path.startswith("/jobs/") and r is not req
                                        for r in self.requests) else "ok"
        if mode == "cut":
            head = "HTTP/1.1 200 OK\r\nContent-Length: %d\r\nContent-Type: text/xml\r\n\r\n" % len(self.document)
            conn.sendall(head.encode("latin-1") + self.document[:len(self.document) // 2])
            conn.shutdown(socket.SHUT_RDWR)
            return None
        if mode == "stall":
            head = "HTTP/1.1 200 OK\r\nContent-Length: %d\r\nContent-Type: text/xml\r\n\r\n" % len(self.document)
            conn.sendall(head.encode("latin-1") + self.document[:len(self.document) // 2])
            self._stop.wait(300)  # goes quiet until the simulator stops
            return None
        if mode == "slow":
            self._stop.wait(3)
            return self._send(conn, 200, self.document, ["Content-Type: text/xml"])
        if mode == "redirect":
            # As a server sends a client without the page's session to its login page.
            return self._send(conn, 302, b"<html><body>please log in</body></html>",
                              ["Location: /wt4/login", "Content-Type: text/html"])
        if mode == "500":
            return self._send(conn, 500, b"<html><body>server error</body></html>")
        if mode == "close":
            conn.shutdown(socket.SHUT_RDWR)
            return None
        return self._send(conn, 200, self.document, ["Content-Type: text/xml"])

    def _answer_login(self, conn, req):
        mode = self.login
        if mode == "silent":
            self._stop.wait(120)  # holds the connection until the simulator stops
            return None
        if mode == "slow":
            self._stop.wait(3)
            mode = "200"
        if mode == "reset":
            conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, b"\1\0\0\0\0\0\0\0")
            return None
        if mode == "redirect":
            return self._send(conn, 302, b"", ["Location: /wt4/login/final"])
        if mode == "loop":
            return self._send(conn, 302, b"", ["Location: /wt4/login"])
        status = int(mode)
        headers = ["Set-Cookie: TESSELSESSION=s4711; Path=/"] if status == 200 else []
        return self._send(conn, status, b"ok" if status == 200 else b"no", headers)

    def _answer_viewer(self, conn, req):
        params = urllib.parse.parse_qs(req.query)
        session = ["Set-Cookie: %s; Path=/; HttpOnly" % self.SESSION[1]] if self.session else []
        if params.get("finish") == ["auto"]:
            # Stands for the user finishing the job in the page, after a moment's work.
            delay = params.get("delay", ["0"])[0]
            self._stop.wait(min(int(delay) if delay.isdigit() else 0, 10000) / 1000.0)
            folder = "/jobs/%s/" % ("n" * int(params["longresult"][0]) if "longresult" in params else "4711")
            return self._send(conn, 302, b"", ["Location: " + self.result_url(folder=folder)] + session)
        doc = req.body.decode("utf-8", "replace")
        page = """<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>Print job 4711</title>
<style>body{font:14px sans-serif;margin:24px} pre{background:#f3f3f3;padding:12px}</style></head>
<body><h1>Print job 4711</h1>
<p>Parameters: %s</p>
<p>Document received (%d bytes):</p><pre>%s</pre>
<p><a href="%s">Finish the job</a> &middot; <a href="%s/viewer?action=LogoutAndExit">Log out</a></p>
</body></html>""" % (html.escape(req.query), len(req.body), html.escape(doc), self.result_url(), self.base)
        return self._send(conn, 200, page.encode("utf-8"), ["Content-Type: text/html; charset=utf-8"] + session)

    def wait_for(self, predicate, timeout=20.0):
        """The first request matching predicate, waiting for it up to timeout."""
        deadline = time.time() + timeout
        with self._lock:
            while True:
                for r in self.requests:
                    if predicate(r):
                        return r
                left = deadline - time.time()
                if left <= 0:
                    return None
                self._lock.wait(left)

    def wait_until(self, condition, timeout=20.0):
        """Whether condition() (asked under the lock, after each request or refused handshake)
        became true within timeout."""
        deadline = time.time() + timeout
        with self._lock:
            while not condition():
                left = deadline - time.time()
                if left <= 0:
                    return False
                self._lock.wait(left)
            return True

    def matching(self, predicate):
        with self._lock:
            return [r for r in self.requests if predicate(r)]

    def close(self):
        self._stop.set()
        for s in self._sockets:
            s.close()
        for t in self._threads:
            t.join(2)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--host", default="127.0.0.1")
    ap.add_argument("--login-port", type=int, default=80)
    ap.add_argument("--viewer-port", type=int, default=8080)
    ap.add_argument("--login", default="200")
    ap.add_argument("--log", help="file that receives one JSON line per request")
    args = ap.parse_args()
    log = open(args.log, "a") if args.log else None

    def report(req):
        line = json.dumps(req.as_dict())
        if log:
            log.write(line + "\n")
            log.flush()
        print("%s  %s  (%d bytes)" % (time.strftime("%H:%M:%S"), req.request_line, len(req.body)), flush=True)

    server = PrintServer(args.host, args.login_port, args.viewer_port, login=args.login, on_request=report)
    print("print server on %s, viewer at %s" % (args.host, server.viewer_url), flush=True)
    try:
        while True:
            time.sleep(3600)
    except KeyboardInterrupt:
        pass
    finally:
        server.close()


if __name__ == "__main__":
    sys.exit(main())
