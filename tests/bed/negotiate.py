"""The server's side of HTTP Negotiate sign-in: checks the token of an `Authorization:` or
`Proxy-Authorization: Negotiate <base64>` header against a service keytab.

Takes a raw Kerberos token (what Wine's provider sends) as well as one wrapped in SPNEGO
(what Windows sends). One token completes the exchange: Kerberos needs no second leg.
"""
import base64
import binascii
import threading

import gssapi


class Acceptor:
    def __init__(self, keytab):
        # No replay cache: nothing is written outside the realm's folder, and the test bed
        # has no attacker to replay a token.
        self._creds = gssapi.Credentials(usage="accept", store={b"keytab": keytab.encode(), b"rcache": b"none:"})
        self._lock = threading.Lock()

    def check(self, header_value):
        """(client principal, token for the answer's header) when the header holds a valid
        Negotiate token, else (None, None)."""
        scheme, _, data = (header_value or "").strip().partition(" ")
        if scheme.lower() != "negotiate" or not data.strip():
            return None, None
        try:
            token = base64.b64decode(data.strip(), validate=True)
        except (binascii.Error, ValueError):
            return None, None
        try:
            with self._lock:
                context = gssapi.SecurityContext(creds=self._creds, usage="accept")
                answer = context.step(token)
                if not context.complete:
                    return None, None
                return str(context.initiator_name), (base64.b64encode(answer).decode() if answer else None)
        except gssapi.exceptions.GSSError:
            return None, None

    def principal(self, header_value):
        return self.check(header_value)[0]
