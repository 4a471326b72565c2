"""A forward HTTP proxy on loopback that alone knows the print server's name, as a company
network's proxy does; records every request it forwards as (method, address, from curl)."""
import http.client
import http.server
import threading
import urllib.parse


class ForwardProxy(http.server.ThreadingHTTPServer):
    def __init__(self, host, names, port=3128):
        self.names = {k.lower(): v for k, v in names.items()}  # name -> address
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
        self.server.requests.append((self.command, self.path, "curl/" in self.headers.get("User-Agent", "")))
        address = self.server.names.get((url.hostname or "").lower())
        if url.scheme != "http" or not address:
            return self.send_error(502)
        body = self.rfile.read(int(self.headers.get("Content-Length") or 0))
        headers = {k: v for k, v in self.headers.items() if not k.lower().startswith("proxy-")}
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
