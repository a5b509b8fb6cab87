"""Secure mail servers for the mail TLS test, with a CA and a certificate
for "mail.test" that openssl makes at every run (tls_peers.make_files).

    mail_tls_peers.py serve DIR   the SMTP servers and scripted peers (until killed)
    mail_tls_peers.py run CMD...  make the files, start everything, run CMD, check, stop
    mail_tls_peers.py demo DIR MAILDIR ADDRESS PORT USER PASSWORD
                                  make the files in DIR and run one aiosmtpd on
                                  ADDRESS:PORT that requires STARTTLS and AUTH
                                  (until killed), storing into MAILDIR

127.0.16.1, aiosmtpd storing byte for byte into DIR/maildir, AUTH PLAIN and
LOGIN for bob / secret required before MAIL:
  587  STARTTLS required (530 before it), AUTH only through TLS
  465  TLS from the first byte
  2587 STARTTLS required, AUTH LOGIN only
127.0.16.2, Dovecot on DIR/popbox (two messages the runner writes), bob / secret:
  110  STLS          995  TLS from the first byte
127.0.16.3, scripted peers that record every byte they receive into DIR/NAME.bin:
  25   notls:  EHLO offers AUTH PLAIN LOGIN but no STARTTLS
  110  nostls: a POP3 greeting, then "-ERR" to STLS
  465  cut:    reads the ClientHello, sends half a ServerHello, hangs up
  587  midway: offers STARTTLS and AUTH, answers STARTTLS with 220, then
               reads the ClientHello and hangs up

After the test: every message in DIR/maildir and every inbox the test wrote
(DIR/inbox_*.txt) must hold the original messages byte for byte, and no
recorded clear text may hold AUTH or the password in any form.
"""
import base64
import functools
import os
import shutil
import socket
import ssl
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import dovecot_peer  # noqa: E402
import peerlib  # noqa: E402
import tls_peers  # noqa: E402

SMTP_HOST, POP_HOST, SCRIPT_HOST = "127.0.16.1", "127.0.16.2", "127.0.16.3"
USER, PASSWORD = "bob", "secret"
SECRET_FORMS = [PASSWORD.encode(), base64.b64encode(PASSWORD.encode()),
                base64.b64encode(b"\0" + USER.encode() + b"\0" + PASSWORD.encode())]


def server_context(folder):
    return tls_peers.context(folder)


class Authenticator:
    def __init__(self, user=USER, password=PASSWORD):
        self.user, self.password = user.encode(), password.encode()

    def __call__(self, server, session, envelope, mechanism, auth_data):
        from aiosmtpd.smtp import AuthResult
        ok = auth_data.login == self.user and auth_data.password == self.password
        return AuthResult(success=ok, handled=False)


def demo(folder, maildir, address, port, user, password):
    from aiosmtpd.controller import Controller
    from smtp_maildir_handler import ExactMaildir
    tls_peers.make_files(folder)
    server = Controller(ExactMaildir(maildir), hostname=address, port=int(port),
                        tls_context=server_context(folder), require_starttls=True, auth_require_tls=True,
                        authenticator=Authenticator(user, password), auth_required=True,
                        auth_exclude_mechanism=["CRAM-MD5"])
    server.start()
    try:
        while True:
            time.sleep(3600)
    finally:
        server.stop()


def start_smtp(folder):
    from aiosmtpd.controller import Controller
    from smtp_maildir_handler import ExactMaildir
    handler = ExactMaildir(os.path.join(folder, "maildir"))
    common = dict(authenticator=Authenticator(), auth_required=True, auth_exclude_mechanism=["CRAM-MD5"])
    starttls = Controller(handler, hostname=SMTP_HOST, port=587, tls_context=server_context(folder),
                          require_starttls=True, auth_require_tls=True, **common)
    # aiosmtpd does not know a connection that is TLS from the first byte is
    # encrypted: AUTH is allowed there without its STARTTLS.
    implicit = Controller(handler, hostname=SMTP_HOST, port=465, ssl_context=server_context(folder),
                          auth_require_tls=False, **common)
    login_only = dict(common, auth_exclude_mechanism=["CRAM-MD5", "PLAIN"])
    login = Controller(handler, hostname=SMTP_HOST, port=2587, tls_context=server_context(folder),
                       require_starttls=True, auth_require_tls=True, **login_only)
    controllers = [starttls, implicit, login]
    for c in controllers:
        c.start()
    return controllers


def recorder(name, folder):
    path = os.path.join(folder, name + ".bin")

    def record(conn):
        data = conn.recv(65536)
        if data:
            with open(path, "ab") as f:
                f.write(data)
        return data
    return record


def talk(conn, record, script):
    """script: (reply, read after it) pairs; stops when the client hangs up."""
    for reply, read in script:
        conn.sendall(reply)
        if read and not record(conn):
            return False
    return True


def notls(conn, folder):
    record = recorder("notls", folder)
    talk(conn, record, [(b"220 mail.test ESMTP\r\n", True),
                        (b"250-mail.test\r\n250-AUTH PLAIN LOGIN\r\n250 SIZE 1000000\r\n", True),
                        (b"221 bye\r\n", False)])


def midway(conn, folder):
    record = recorder("midway", folder)
    if talk(conn, record, [(b"220 mail.test ESMTP\r\n", True),
                           (b"250-mail.test\r\n250-STARTTLS\r\n250 AUTH PLAIN LOGIN\r\n", True),
                           (b"220 go ahead\r\n", False)]):
        conn.recv(65536)  # the ClientHello; then the peer is gone


def nostls(conn, folder):
    record = recorder("nostls", folder)
    talk(conn, record, [(b"+OK POP3 ready\r\n", True), (b"-ERR no TLS here\r\n", True), (b"+OK bye\r\n", False)])


def cut(conn, folder):
    tls_peers.cut(conn, server_context(folder))


def serve(folder):
    controllers = start_smtp(folder)
    for port, handler in ((25, notls), (110, nostls), (465, cut), (587, midway)):
        threading.Thread(target=peerlib.serve_tcp,
                         args=(SCRIPT_HOST, port, functools.partial(handler, folder=folder)),
                         daemon=True).start()
    try:
        while True:
            time.sleep(3600)
    finally:
        for c in controllers:
            c.stop()


def pop_messages():
    """Two messages with a binary attachment each, CRLF, one with a dot line."""
    out = []
    for k in range(2):
        blob = bytes((i * 31 + k) & 0xFF for i in range(3000 + k * 7777))
        body = base64.encodebytes(blob).replace(b"\n", b"\r\n")
        out.append(b"From: alice@mail.test\r\nTo: bob@mail.test\r\nSubject: pop %d\r\n"
                   b"MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"b\"\r\n\r\n"
                   b"--b\r\nContent-Type: text/plain\r\n\r\n.a line with a dot\r\n"
                   b"--b\r\nContent-Type: application/octet-stream\r\nContent-Transfer-Encoding: base64\r\n"
                   b"Content-Disposition: attachment; filename=\"blob%d.bin\"\r\n\r\n" % (k, k)
                   + body + b"--b--\r\n")
    return out


def inbox_messages(path):
    """The message texts of an inbox file, with the POP3 dot-stuffing undone."""
    data = open(path, "rb").read()
    parts = data.split(b"BEGIN MESSAGE\r\n")[1:]
    texts = []
    for part in parts:
        text = part[:part.rfind(b".\r\nEND MESSAGE\r\n")]
        lines = text.split(b"\r\n")
        texts.append(b"\r\n".join(l[1:] if l.startswith(b"..") else l for l in lines))
    return texts


def check(folder, messages):
    problems = []
    for name in sorted(os.listdir(folder)):
        if name.startswith("inbox_") and name.endswith(".txt"):
            got = inbox_messages(os.path.join(folder, name))
            if sorted(got) != sorted(messages):
                problems.append("%s: %d messages, not those on the server" % (name, len(got)))
    for name in ("notls.bin", "midway.bin", "nostls.bin"):
        path = os.path.join(folder, name)
        clear = open(path, "rb").read() if os.path.exists(path) else b""
        if not clear:
            problems.append("%s: the peer recorded nothing" % name)
        if any(word in clear for word in (b"AUTH", b"USER", b"PASS")) or any(form in clear for form in SECRET_FORMS):
            problems.append("%s: a credential went out in clear: %r" % (name, clear[:200]))
    return problems


def run(argv):
    # A folder of its own per run; Dovecot (as nobody) must reach the mailbox in it.
    folder = tempfile.mkdtemp(prefix="mail_tls_", dir=os.getcwd())
    os.chmod(folder, 0o755)
    tls_peers.make_files(folder)
    os.chmod(folder, 0o755)
    messages = pop_messages()
    popbox = os.path.join(folder, "popbox")
    for sub in ("cur", "new", "tmp"):
        os.makedirs(os.path.join(popbox, sub))
    for k, text in enumerate(messages):
        with open(os.path.join(popbox, "new", "%d.zenk%d" % (int(time.time()), k)), "wb") as f:
            f.write(text)
    conf = dovecot_peer.write_config(folder, popbox, POP_HOST, USER, PASSWORD, 110,
                                     (os.path.join(folder, "server.pem"), os.path.join(folder, "server.key"), 995))
    env = {"ZENK_MAILTLS_FILES": "Z:" + folder.replace("/", "\\")}
    with peerlib.Peers() as peers:
        peers.start("smtp", [peerlib.PY, os.path.abspath(__file__), "serve", folder], wait=(SMTP_HOST, 587))
        peers.start("dovecot", ["dovecot", "-F", "-c", conf], wait=(POP_HOST, 110))
        for host, port in ((SMTP_HOST, 465), (SMTP_HOST, 2587), (POP_HOST, 995), (SCRIPT_HOST, 25),
                           (SCRIPT_HOST, 110), (SCRIPT_HOST, 465), (SCRIPT_HOST, 587)):
            if not peerlib.wait_port(host, port):
                print(f"mail tls peer: {host}:{port} not listening", file=sys.stderr)
                return 1
        # The readiness probes above left nothing behind but empty records.
        for name in ("notls.bin", "midway.bin", "nostls.bin"):
            path = os.path.join(folder, name)
            if os.path.exists(path):
                os.remove(path)
        status = peers.run_test(argv, env=env)
    problems = check(folder, messages)
    for p in problems:
        print("mail tls check: " + p, file=sys.stderr)
    status = status or (1 if problems else 0)
    if status == 0:
        shutil.rmtree(folder, ignore_errors=True)
    return status


if __name__ == "__main__":
    if sys.argv[1:2] == ["serve"]:
        serve(sys.argv[2])
    elif sys.argv[1:2] == ["run"]:
        sys.exit(run(sys.argv[2:]))
    elif sys.argv[1:2] == ["demo"] and len(sys.argv) == 8:
        demo(*sys.argv[2:])
    else:
        sys.exit(__doc__)
