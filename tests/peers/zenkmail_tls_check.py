"""Checks zenkmail send and fetch with the secure-mail options, as a user
runs them (run by mail_tls_peers.py, whose servers and files it uses).

    zenkmail_tls_check.py WINE ZENKMAIL_EXE

One table of runs: deliveries through STARTTLS and TLS with AUTH (password
from a file and from ZENKMAIL_PASSWORD), a download through STLS into an
inbox the runner compares with the server's messages, a count through TLS,
the refusals (no STARTTLS, dropped after STARTTLS, STLS refused, untrusted
CA) with their exit codes and texts, and a password on the command line,
which send refuses.
"""
import os
import subprocess
import sys

import peerlib  # beside this script

WINE, EXE = sys.argv[1], sys.argv[2]
FILES = os.environ["ZENK_MAILTLS_FILES"]          # Windows form, for zenkmail
FOLDER = FILES[2:].replace("\\", "/")             # the same folder for Python
PASSWORD_FILE = os.path.join(FOLDER, "password.txt")
with open(PASSWORD_FILE, "w") as f:
    f.write("secret\r\n")
PW = ["--password-file", FILES + "\\password.txt"]
TRUST = ["--cafile", FILES + "\\ca.pem", "--tls-name", "mail.test"]
MESSAGE = ["--from", "alice@mail.test", "--to", "bob@mail.test", "--subject", "zenkmail over TLS"]

CASES = [
    # (what, argv, extra environment, exit code, text in the output)
    ("send through STARTTLS, password from a file",
     ["send", "--server", "127.0.16.1", "--port", "587", "--starttls", "--user", "bob"] + PW + TRUST + MESSAGE,
     {}, 0, "delivered"),
    ("send through TLS on 465, password from the environment",
     ["send", "--server", "127.0.16.1", "--tls", "--user", "bob"] + TRUST + MESSAGE,
     {"ZENKMAIL_PASSWORD": "secret"}, 0, "127.0.16.1:465 with TLS, logging in"),
    ("send: STARTTLS not offered",
     ["send", "--server", "127.0.16.3", "--starttls", "--user", "bob"] + PW + TRUST + MESSAGE,
     {}, 1, "[43] the server does not offer STARTTLS"),
    ("send: dropped after STARTTLS",
     ["send", "--server", "127.0.16.3", "--port", "587", "--starttls", "--user", "bob"] + PW + TRUST + MESSAGE,
     {}, 1, "[40] the TLS handshake failed"),
    ("send: no password on the command line",
     ["send", "--server", "127.0.16.1", "--password", "secret"] + MESSAGE, {}, 2, "never taken from the command line"),
    ("send: a user without a password",
     ["send", "--server", "127.0.16.1", "--starttls", "--user", "bob"] + MESSAGE, {}, 2, "no password"),
    ("fetch through STLS",
     ["fetch", "--server", "127.0.16.2", "--starttls", "--user", "bob"] + PW + TRUST +
     ["--inbox", FILES + "\\inbox_zenkmail.txt"], {}, 0, "2 message(s) in"),
    ("fetch --check through TLS on 995",
     ["fetch", "--server", "127.0.16.2", "--tls", "--user", "bob", "--check"] + TRUST,
     {"ZENKMAIL_PASSWORD": "secret"}, 0, "2 message(s) waiting"),
    ("fetch: STLS refused",
     ["fetch", "--server", "127.0.16.3", "--starttls", "--user", "bob", "--check"] + PW + TRUST,
     {}, 1, "(status 43)"),
    ("fetch: untrusted CA",
     ["fetch", "--server", "127.0.16.2", "--tls", "--user", "bob", "--check"] + PW +
     ["--cafile", FILES + "\\rogue.pem", "--tls-name", "mail.test"], {}, 1, "(status 41)"),
    ("fetch: bad port", ["fetch", "--server", "127.0.16.2", "--port", "70000", "--user", "bob", "--check"] + PW,
     {}, 2, "--port takes 1 to 65535"),
]

failures = []
for what, argv, env, code, text in CASES:
    full_env = dict(os.environ)
    full_env.pop("ZENKMAIL_PASSWORD", None)
    full_env.update(env)
    p = subprocess.run([WINE, EXE] + argv, capture_output=True, timeout=60, env=full_env)
    out, err = p.stdout.decode("latin-1"), p.stderr.decode("latin-1")
    peerlib.relay_wine_log(err)
    if p.returncode == code and text in out + err:
        print("ok: %s" % what)
    else:
        failures.append(what)
        print("FAILED: %s (exit %d, expected %d with %r)\n%s%s" % (what, p.returncode, code, text, out, err))
    if "secret" in out + err:
        failures.append(what + ": the password was printed")
sys.exit(1 if failures else 0)
