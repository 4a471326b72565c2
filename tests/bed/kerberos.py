"""A Kerberos realm of the test bed's own, on loopback: a KDC of its own, a user with a
ticket and service principals for the host names the tests use. Wine's Kerberos provider
uses the system's libkrb5, so curl.exe under Wine signs in when `.env` is in the environment
of the `wine` command that starts it or its parent: the provider reads the Unix environment,
never the Windows environment block a parent hands its child.

Made from nothing in a fraction of a second (MIT's tools: krb5-kdc, krb5-admin-server,
krb5-user), so each test session makes its own.
"""
import os
import shutil
import socket
import subprocess
import tempfile
import time


class Realm:
    """Realm(folder).start(): folder (new or empty; a temporary one by default) holds the
    database, the configuration, the keytabs and the user's ticket cache; close() ends the
    KDC. hosts: names for HTTP/<host> service principals; add_services() adds more later."""

    def __init__(self, folder=None, name="TESSEL.TEST", user="printop", hosts=("localhost",)):
        self.folder = folder or tempfile.mkdtemp(prefix="tessel-realm-")
        self._own_folder = folder is None
        self.name = name
        self.user = "%s@%s" % (user, name)
        self.hosts = []
        self._initial_hosts = list(hosts)
        self.user_keytab = self._path("user.keytab")
        self.service_keytab = self._path("service.keytab")
        self.ccache = self._path("ccache")
        self.port = None
        self._kdc = None
        self.env = {}
        self.start_seconds = None

    def _path(self, name):
        return os.path.join(self.folder, name)

    def _write_config(self):
        with open(self._path("krb5.conf"), "w") as f:
            # No DNS at all: names stay as the client wrote them, so a ticket is asked for
            # HTTP/<the host in the address> and nothing leaves loopback.
            f.write("[libdefaults]\n default_realm = %s\n dns_lookup_kdc = false\n dns_lookup_realm = false\n"
                    " dns_canonicalize_hostname = false\n rdns = false\n default_ccache_name = FILE:%s\n"
                    "[realms]\n %s = {\n  kdc = 127.0.0.1:%d\n }\n" % (self.name, self.ccache, self.name, self.port))
        with open(self._path("kdc.conf"), "w") as f:
            f.write("[kdcdefaults]\n kdc_listen = 127.0.0.1:%d\n kdc_tcp_listen = 127.0.0.1:%d\n"
                    "[realms]\n %s = {\n  database_name = %s\n  key_stash_file = %s\n  acl_file = %s\n }\n"
                    "[logging]\n kdc = FILE:%s\n" % (self.port, self.port, self.name, self._path("principal"),
                                                     self._path("stash"), self._path("kadm5.acl"),
                                                     self._path("kdc.log")))

    def _tool_env(self):
        env = dict(os.environ)
        env.update(KRB5_CONFIG=self._path("krb5.conf"), KRB5_KDC_PROFILE=self._path("kdc.conf"),
                   KRB5CCNAME="FILE:" + self.ccache)
        return env

    def _run(self, argv, stdin=None):
        r = subprocess.run(argv, input=stdin, env=self._tool_env(), capture_output=True, text=True)
        if r.returncode != 0:
            raise RuntimeError("%s failed (%d): %s%s" % (argv[0], r.returncode, r.stdout, r.stderr))
        return r

    def _kadmin(self, *commands):
        # kadmin.local ends with 0 whatever its commands did; what failed is on stderr.
        r = self._run(["kadmin.local", "-r", self.name], stdin="".join(c + "\n" for c in commands))
        failed = [l for l in r.stderr.splitlines() if l.strip() and not l.startswith("No policy specified")]
        if failed:
            raise RuntimeError("kadmin.local: " + "\n".join(failed))

    @staticmethod
    def _free_port():
        with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
            s.bind(("127.0.0.1", 0))
            return s.getsockname()[1]

    def start(self):
        try:
            return self._start()
        except BaseException:
            self.close()
            raise

    def _start(self):
        started = time.monotonic()
        os.makedirs(self.folder, exist_ok=True)
        self.port = self._free_port()
        self._write_config()
        self._run(["kdb5_util", "create", "-s", "-r", self.name, "-P", os.urandom(12).hex()])
        self._kadmin("addprinc -randkey " + self.user, "ktadd -k %s %s" % (self.user_keytab, self.user))
        # The port was free when asked for; another program may take it before the KDC
        # binds it, so a KDC that could not start is given another.
        for _ in range(5):
            if self._start_kdc():
                break
            self.port = self._free_port()
            self._write_config()
        else:
            raise RuntimeError("the KDC did not start: " + self._log())
        self._run(["kinit", "-k", "-t", self.user_keytab, self.user])
        self.add_services(*self._initial_hosts)
        self.env = {"KRB5_CONFIG": self._path("krb5.conf"), "KRB5CCNAME": "FILE:" + self.ccache}
        self.start_seconds = time.monotonic() - started
        return self

    def _start_kdc(self):
        self._kdc = subprocess.Popen(["krb5kdc", "-n", "-r", self.name], env=self._tool_env(),
                                     stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline and self._kdc.poll() is None:
            try:
                socket.create_connection(("127.0.0.1", self.port), timeout=1).close()
                if self._kdc.poll() is None:
                    return True
            except OSError:
                time.sleep(0.01)
        self._stop_kdc()
        return False

    def _log(self):
        try:
            with open(self._path("kdc.log")) as f:
                return f.read()[-2000:]
        except OSError:
            return ""

    def add_services(self, *hosts):
        """HTTP/<host> for each host name (or address) a client will use in its address;
        curl asks for HTTP/<the proxy's host> when it signs in to a proxy."""
        commands = []
        for host in hosts:
            if host not in self.hosts:
                principal = "HTTP/%s@%s" % (host, self.name)
                commands += ["addprinc -randkey " + principal, "ktadd -k %s %s" % (self.service_keytab, principal)]
                self.hosts.append(host)
        if commands:
            self._kadmin(*commands)

    def _stop_kdc(self):
        if self._kdc and self._kdc.poll() is None:
            self._kdc.terminate()
            try:
                self._kdc.wait(10)
            except subprocess.TimeoutExpired:
                self._kdc.kill()
                self._kdc.wait()

    def close(self):
        self._stop_kdc()
        if self._own_folder:
            shutil.rmtree(self.folder, ignore_errors=True)

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.close()
