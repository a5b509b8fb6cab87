"""Checks zenkmail fetch and scan as a user runs them (run by pop3_runner.py).

    zenkmail_fetch_check.py WINE ZENKMAIL_EXE

Exit codes and output for: --help, usage errors, a count-only check, a
refused password and a refused connection, refusals named by their command
(greeting, PASS, RETR) with the password never shown, a download with --delete from
Dovecot (127.0.3.2) that leaves the mailbox empty, and scans of that inbox
and of an inbox with an attachment, whose file must hold the sent bytes.
"""
import base64
import os
import subprocess
import sys

import peerlib  # beside this script

WINE, EXE = sys.argv[1], sys.argv[2]
WORK = os.environ["ZENK_POP3_WORK"]
check = peerlib.Checklist()
failures = check.failures


def run(*args):
    p = subprocess.run([WINE, EXE] + list(args), capture_output=True, timeout=60)
    err = p.stderr.decode("latin-1")
    peerlib.relay_wine_log(err)
    return p.returncode, p.stdout.decode("latin-1"), err




def winpath(path):
    return "Z:" + path.replace("/", "\\")


LOGIN = ["--server", "127.0.3.2", "--user", "bob", "--password", "secret"]

rc, out, err = run("fetch", "--help")
check("fetch --help", rc == 0 and "usage: zenkmail fetch" in out, out + err)
rc, out, err = run("fetch", "--server", "127.0.3.2")
check("fetch without user: usage error", rc == 2 and "required" in err, out + err)
rc, out, err = run("scan")
check("scan without inbox: usage error", rc == 2 and "--inbox is required" in err, out + err)
rc, out, err = run("scan", "--inbox", winpath(WORK + "/no-such-inbox.txt"))
check("scan of a missing inbox", rc == 1 and "cannot find" in err, out + err)

rc, out, err = run("fetch", *LOGIN, "--check")
check("fetch --check counts", rc == 0 and "2 message(s) waiting" in out, out + err)
rc, out, err = run("fetch", *LOGIN, "--check", "--verbose")
check("fetch --verbose shows the exchange, never the password",
      rc == 0 and "2 message(s) waiting" in out
      and all(line in err for line in ("[pop3] S: +OK", "[pop3] state greeting -> user-sent", "[pop3] C: USER bob",
                                       "[pop3] C: PASS ****", "[pop3] C: STAT", "[pop3] C: QUIT"))
      and "secret" not in out + err, out + err)
rc, out, err = run("fetch", "--server", "127.0.3.2", "--user", "bob", "--password", "nope",
                   "--inbox", winpath(WORK + "/refused.txt"))
check("wrong password: exit 1 and why", rc == 1 and "refused" in err, out + err)
rc, out, err = run("fetch", "--server", "127.0.3.9", "--user", "bob", "--password", "secret",
                   "--inbox", winpath(WORK + "/nothing.txt"))
check("refused connection: exit 1 and why", rc == 1 and "cannot connect" in err, out + err)

for address, mode, said in (("127.0.3.11", "longerr", "server refused greeting: -ERR +OK +OK"),
                            ("127.0.3.4", "badpass", "server refused PASS: -ERR wrong"),
                            ("127.0.3.12", "retrerr", "server refused RETR 2: -ERR no such message")):
    rc, out, err = run("fetch", "--server", address, "--user", "bob", "--password", "secret",
                       "--inbox", winpath(WORK + "/" + mode + ".txt"), "--delete")
    check("%s: exit 1, the refused command named" % mode,
          rc == 1 and said in err and "secret" not in out + err and "wrong user" not in err, out + err)

inbox = winpath(WORK + "/fetched.txt")
rc, out, err = run("fetch", *LOGIN, "--inbox", inbox, "--delete")
check("fetch --delete stores both", rc == 0 and "stored message 2 of 2, deleting it" in out
      and "2 message(s) in" in out, out + err)
rc, out, err = run("fetch", *LOGIN, "--check")
check("the mailbox is empty afterwards", rc == 0 and "0 message(s) waiting" in out, out + err)
rc, out, err = run("scan", "--inbox", inbox)
check("scan shows both records", rc == 0 and "Message 2 of 2" in out and "Subject: first" in out
      and "Subject: second" in out and "    | .hidden line" in out
      and "From: carol@example.org" in out, out + err)

payload = bytes(range(256)) * 3 + b"\x00end"
encoded = base64.encodebytes(payload).replace(b"\n", b"\r\n")
message = (b"From: a@x\r\nTo: b@x\r\nSubject: with file\r\nMIME-Version: 1.0\r\n"
           b"Content-Type: multipart/mixed; boundary=\"=_zz\"\r\n\r\n"
           b"--=_zz\r\nContent-Type: text/plain\r\n\r\nSee the file.\r\n\r\n"
           b"--=_zz\r\nContent-Type: application/octet-stream\r\nContent-Transfer-Encoding: base64\r\n"
           b"Content-Disposition: attachment; filename=\"../../escape.bin\"\r\n\r\n"
           + encoded + b"\r\n--=_zz--\r\n.\r\n")
with open(WORK + "/mime-inbox.txt", "wb") as f:
    f.write(b"Letters : 1\r\nBEGIN MESSAGE\r\n" + message + b"END MESSAGE\r\n")
os.makedirs(WORK + "/attachments", exist_ok=True)
rc, out, err = run("scan", "--inbox", winpath(WORK + "/mime-inbox.txt"),
                   "--attachments", winpath(WORK + "/attachments"))
saved = WORK + "/attachments/escape.bin"
check("scan decodes the attachment inside the folder",
      rc == 0 and "Attachment: %s (%d bytes)" % (winpath(saved), len(payload)) in out
      and os.path.exists(saved) and open(saved, "rb").read() == payload
      and not os.path.exists(os.path.join(WORK, "..", "escape.bin")), out + err)

sys.exit(1 if failures else 0)
