"""Mail round trip through zenkmail: send, fetch, fetch with delete, scan.

    mail_round_trip.py WINE ZENKMAIL_EXE

aiosmtpd (byte-exact Maildir) on 127.0.3.21:25 takes two messages from
`zenkmail send`: one with a text and binary attachments of 0 bytes to
1 MiB, one with a text only. Then Dovecot serves that Maildir on
127.0.3.21:110: `zenkmail fetch` without --delete leaves both messages
there, with --delete it empties the mailbox; `zenkmail scan` of each inbox
must give back every text line and every attachment byte for byte.
Peers are stopped by PID; the exit code is the number of failed checks.
"""
import os
import random
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import dovecot_peer  # noqa: E402
import peerlib  # noqa: E402

ADDRESS, USER, PASSWORD = "127.0.3.21", "bob", "secret"
WINE, EXE = sys.argv[1], sys.argv[2]
check = peerlib.Checklist()
failures = check.failures

TEXT_ONE = (b"Hello Bob,\r\n\r\n.\r\n..two dots\r\n.leading dot\r\nFrom the start of a line\r\n"
            b"--=_not-a-boundary\r\n" + b"x" * 900 + b"\r\n\tindented\r\nAlice\r\n")
# Lines that read like the outbox and inbox markers are text like any other.
TEXT_TWO = (b"Only text here.\r\n\r\nLetters : 7\r\nEND DATA\r\nBEGIN MESSAGE\r\n.\r\n"
            b"END MESSAGE\r\nEND DATA\r\nBEGIN DATA\r\nEND MESSAGE\r\nthe end\r\n")


def attachments(rng):
    crlf = b"line one\r\n.\r\n..\r\nEND MESSAGE\r\n\r\n\n\r\x00\xff" * 40
    return {
        "empty.bin": b"",
        "one.bin": b"\x00",
        "two.bin": b"\xff\xfe",
        "three.bin": b"abc",
        "block57.bin": bytes(range(57)),
        "lines.txt": crlf,
        "all-bytes.bin": bytes(range(256)) * 64,
        "mebibyte.bin": rng.randbytes(1024 * 1024),
    }


def winpath(path):
    return "Z:" + path.replace("/", "\\")


def run(*args, timeout=120):
    p = subprocess.run([WINE, EXE] + list(args), capture_output=True, timeout=timeout)
    err = p.stderr.decode("latin-1")
    peerlib.relay_wine_log(err)
    return p.returncode, p.stdout.decode("latin-1"), err




def texts_of(scan_output):
    """The text of each scanned message, lines joined with CR LF."""
    texts, current = [], None
    for line in scan_output.splitlines():
        if line.startswith("  Text ("):
            current = []
            texts.append(current)
        elif current is not None and line.startswith("    | "):
            current.append(line[6:])
        elif current is not None and line == "    |":
            current.append("")
        else:
            current = None
    return ["".join(l + "\r\n" for l in t).encode("latin-1") for t in texts]


def mailbox_count(maildir):
    return sum(len(os.listdir(os.path.join(maildir, sub))) for sub in ("new", "cur"))


def scan_and_compare(label, inbox, folder, sent):
    os.makedirs(folder)
    rc, out, err = run("scan", "--inbox", winpath(inbox), "--attachments", winpath(folder))
    check("%s: scan reads both messages" % label, rc == 0 and "Message 2 of 2" in out, out + err)
    texts = texts_of(out)
    # Dovecot may serve the two in either order. The scanner hands a text
    # back with the blank line(s) that close it in the message body: those
    # trailing empty lines are not compared.
    got = sorted(t.rstrip(b"\r\n") for t in texts)
    want = sorted(t.rstrip(b"\r\n") for t in (TEXT_ONE, TEXT_TWO))
    check("%s: both texts back line for line" % label, got == want,
          "got %r\nwant %r" % (got, want))
    for name, data in sent.items():
        path = os.path.join(folder, name)
        same = os.path.exists(path) and open(path, "rb").read() == data
        check("%s: %s (%d bytes) byte for byte" % (label, name, len(data)), same,
              out if not same else "")
    check("%s: no other files" % label, sorted(os.listdir(folder)) == sorted(sent),
          repr(os.listdir(folder)))


def main():
    rng = random.Random(1208)
    work = tempfile.mkdtemp(prefix="zenk-roundtrip-")
    os.chmod(work, 0o777)
    try:
        maildir = os.path.join(work, "Maildir")
        sent = attachments(rng)
        files = os.path.join(work, "files")
        os.makedirs(files)
        for name, data in sent.items():
            with open(os.path.join(files, name), "wb") as f:
                f.write(data)
        for name, data in (("one.txt", TEXT_ONE), ("two.txt", TEXT_TWO)):
            with open(os.path.join(work, name), "wb") as f:
                f.write(data)

        with peerlib.Peers() as peers:
            peers.start("aiosmtpd", [peerlib.PY, "-m", "aiosmtpd", "-n", "-l", ADDRESS + ":25",
                                     "-c", "smtp_maildir_handler.ExactMaildir", maildir],
                        wait=(ADDRESS, 25), env=dict(os.environ, PYTHONPATH=HERE))
            common = ["send", "--server", ADDRESS, "--from", "alice@example.org",
                      "--to", "bob@example.org"]
            attach = []
            for name in sent:
                attach += ["--attach", winpath(os.path.join(files, name))]
            rc, out, err = run(*common, "--subject", "files", "--text",
                               winpath(os.path.join(work, "one.txt")), *attach)
            check("send with %d attachments" % len(sent), rc == 0, out + err)
            rc, out, err = run(*common, "--subject", "text only", "--text",
                               winpath(os.path.join(work, "two.txt")))
            check("send a text only", rc == 0, out + err)
            peers.stop("aiosmtpd")
        for name in os.listdir(maildir):          # the envelope notes beside new/
            if name.endswith(".envelope"):
                os.remove(os.path.join(maildir, name))
        check("the SMTP server stored two messages", mailbox_count(maildir) == 2)

        conf = dovecot_peer.write_config(work, maildir, ADDRESS, USER, PASSWORD)
        login = ["--server", ADDRESS, "--user", USER, "--password", PASSWORD]
        with peerlib.Peers() as peers:
            peers.start("dovecot", ["dovecot", "-F", "-c", conf], wait=(ADDRESS, 110))
            kept = os.path.join(work, "kept.txt")
            rc, out, err = run("fetch", *login, "--inbox", winpath(kept))
            check("fetch without --delete", rc == 0 and "2 message(s)" in out, out + err)
            rc, out, err = run("fetch", *login, "--check")
            check("both messages stay on the server", rc == 0 and "2 message(s) waiting" in out
                  and mailbox_count(maildir) == 2, out + err)
            taken = os.path.join(work, "taken.txt")
            rc, out, err = run("fetch", *login, "--inbox", winpath(taken), "--delete")
            check("fetch with --delete", rc == 0 and "stored message 2 of 2, deleting it" in out,
                  out + err)
            rc, out, err = run("fetch", *login, "--check")
            check("the mailbox is empty afterwards", rc == 0 and "0 message(s) waiting" in out
                  and mailbox_count(maildir) == 0, out + err)
        if failures and os.path.exists(os.path.join(work, "dovecot.log")):
            sys.stderr.write(open(os.path.join(work, "dovecot.log")).read()[-2000:])
        check("both fetches wrote the same inbox", os.path.exists(kept) and os.path.exists(taken)
              and open(kept, "rb").read() == open(taken, "rb").read())
        scan_and_compare("kept", kept, os.path.join(work, "att-kept"), sent)
        scan_and_compare("taken", taken, os.path.join(work, "att-taken"), sent)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print("%d failed check(s)" % len(failures))
    return min(len(failures), 100)


if __name__ == "__main__":
    sys.exit(main())
