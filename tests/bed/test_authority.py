"""A certificate authority of the test bed's own, "Tessel Test Authority", and server
certificates for the simulator's HTTPS port, made with the openssl command.

    certs = make(folder)            # the authority, a certificate it signed, a self-signed one
    certs.ca_der                    # what a Wine prefix is told to trust (WineSession.trust)
    certs.trusted, certs.untrusted  # Server: .cert, .key (PEM), .pin, .context(), for localhost
    certs.authority.server("t7", dns=["127.20.0.7"], ips=["127.20.0.7"])   # a test's own address

Wine's name check reads only DNS names, so a server reached by its address carries the
address as a DNS name too (Windows accepts that as well). Everything lives in the folder
given, a certificate under its name; what is there already is used again, so give each
test session a folder of its own. All keys are EC P-256: the lot takes about 0.3 s.
"""
import base64
import hashlib
import os
import ssl
import subprocess

CA_NAME = "Tessel Test Authority"
DAYS = "30"


def _openssl(*args, stdin=None):
    return subprocess.run(["openssl", *args], input=stdin, check=True, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE).stdout


def _key(path):
    if not os.path.exists(path):
        _openssl("genpkey", "-algorithm", "EC", "-pkeyopt", "ec_paramgen_curve:P-256", "-out", path)
    return path


def _sign(folder, out, csr_key, extensions, subject, ca=None):
    """A certificate for csr_key, signed by ca (cert, key) or by csr_key itself."""
    ext = os.path.join(folder, os.path.basename(out) + ".ext")
    with open(ext, "w") as f:
        f.write("\n".join(extensions) + "\n")
    csr = _openssl("req", "-new", "-key", csr_key, "-subj", "/CN=" + subject)
    signer = ["-CA", ca[0], "-CAkey", ca[1], "-set_serial", str(int.from_bytes(os.urandom(8), "big"))] if ca \
        else ["-signkey", csr_key]
    try:
        _openssl("x509", "-req", *signer, "-days", DAYS, "-sha256", "-extfile", ext, "-out", out, stdin=csr)
    finally:
        os.unlink(ext)


def _server_extensions(dns, ips):
    return ["basicConstraints = critical, CA:FALSE", "keyUsage = critical, digitalSignature",
            "extendedKeyUsage = serverAuth",
            "subjectAltName = " + ", ".join(["DNS:" + d for d in dns] + ["IP:" + i for i in ips])]


def spki_pin(cert):
    """curl's --pinnedpubkey for a PEM certificate: sha256// and the base64 of the SHA-256
    of its SubjectPublicKeyInfo (the PEM public key's body is that DER)."""
    pem = _openssl("x509", "-in", cert, "-pubkey", "-noout").decode()
    der = base64.b64decode("".join(l for l in pem.splitlines() if l and not l.startswith("-----")))
    return "sha256//" + base64.b64encode(hashlib.sha256(der).digest()).decode()


class Server:
    def __init__(self, cert, key):
        self.cert = cert
        self.key = key

    @property
    def pin(self):
        return spki_pin(self.cert)

    def context(self):
        """A server-side context for PrintServer(tls=...)."""
        ctx = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        ctx.load_cert_chain(self.cert, self.key)
        return ctx


class Authority:
    def __init__(self, folder):
        os.makedirs(folder, exist_ok=True)
        self.folder = folder
        self.key = _key(os.path.join(folder, "ca.key"))
        self.cert = os.path.join(folder, "ca.pem")
        self.der = os.path.join(folder, "ca.der")
        if not os.path.exists(self.der):
            _sign(folder, self.cert, self.key, ["basicConstraints = critical, CA:TRUE",
                                                "keyUsage = critical, keyCertSign, cRLSign",
                                                "subjectKeyIdentifier = hash"], CA_NAME)
            _openssl("x509", "-in", self.cert, "-outform", "DER", "-out", self.der)
        # One key serves every server certificate it signs: a new name costs a signature only.
        self.server_key = _key(os.path.join(folder, "server.key"))

    def server(self, name, dns=("localhost",), ips=("127.0.0.1",)):
        """A server certificate this authority signed, for those DNS names and addresses
        (Wine's name check reads only the DNS names; Windows' reads the addresses too)."""
        cert = os.path.join(self.folder, name + ".pem")
        if not os.path.exists(cert):
            _sign(self.folder, cert, self.server_key, _server_extensions(dns, ips) +
                  ["authorityKeyIdentifier = keyid"], (list(dns) + list(ips))[0], ca=(self.cert, self.key))
        return Server(cert, self.server_key)

    def self_signed(self, name, dns=("localhost",), ips=("127.0.0.1",)):
        """A certificate that signed itself, with a key of its own: nobody trusts it."""
        key = _key(os.path.join(self.folder, name + ".key"))
        cert = os.path.join(self.folder, name + ".pem")
        if not os.path.exists(cert):
            _sign(self.folder, cert, key, _server_extensions(dns, ips), (list(dns) + list(ips))[0])
        return Server(cert, key)


class Certificates:
    def __init__(self, authority):
        self.authority = authority
        self.ca_pem = authority.cert
        self.ca_der = authority.der
        self.trusted = authority.server("localhost")
        self.untrusted = authority.self_signed("untrusted")


def make(folder):
    """The authority, a certificate it signed for localhost and 127.0.0.1, and a self-signed
    one for the same names."""
    return Certificates(Authority(folder))
