"""POP3 retrieval and inbox scanning: zenk32 under Wine beside Python.

    pop3_bench.py ZENKMAIL_EXE      (run inside scripts/with-wine.sh: $WINE)

1. A Maildir of 100 messages of 100 KiB (each a text part and a base64
   attachment) is served by Dovecot on 127.0.3.20:110. `zenkmail fetch`
   (the DLL's POP3 client) and Python's poplib each retrieve all 100,
   without deleting; the best of three runs counts.
2. The fetched inbox is repeated five times into a 50 MiB inbox of 500
   records (the inbox file as the client writes it). `zenkmail scan` (the
   DLL's MIME scanner) and Python's `email` package each parse every record
   and write every attachment; the best of three runs counts.

Wine start-up time (`zenkmail --help`, best of three) is printed apart and
is included in every zenkmail figure. Dovecot is stopped by PID.
"""
import email
import email.policy
import os
import poplib
import random
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "peers"))
import dovecot_peer  # noqa: E402
import peerlib  # noqa: E402

ADDRESS, USER, PASSWORD = "127.0.3.20", "bench", "bench"
MESSAGES, MESSAGE_BYTES, REPEAT, RUNS = 100, 100 * 1024, 5, 3
WINE = os.environ["WINE"]
EXE = sys.argv[1]


def winpath(path):
    return "Z:" + path.replace("/", "\\")


def make_message(i, rng):
    """A message of exactly MESSAGE_BYTES: text part and base64 attachment."""
    head = ("From: bench@example.org\r\nTo: bob@example.org\r\n"
            "Subject: bench message %d\r\nMIME-Version: 1.0\r\n"
            "Content-Type: multipart/mixed; boundary=\"=_bench\"\r\n\r\n"
            "--=_bench\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\n"
            "Message %d of the POP3 benchmark.\r\n\r\n"
            "--=_bench\r\nContent-Type: application/octet-stream\r\n"
            "Content-Transfer-Encoding: base64\r\n"
            "Content-Disposition: attachment; filename=\"part%04d.bin\"\r\n\r\n"
            % (i, i, i)).encode()
    tail = b"\r\n--=_bench--\r\n"
    room = MESSAGE_BYTES - len(head) - len(tail)
    lines = room // 78                      # 76 base64 characters and CRLF
    raw = rng.randbytes(lines * 57)
    body = email.base64mime.body_encode(raw, maxlinelen=76, eol="\r\n").encode()
    filler = b"X" * (room - len(body) - 2) + b"\r\n"   # a trailing text line fills up
    message = head + body + tail
    # The padding goes into the text part so that the size is exact.
    message = message.replace(b"benchmark.\r\n", b"benchmark.\r\n" + filler, 1)
    assert len(message) == MESSAGE_BYTES, len(message)
    return message, raw


def timed(fn):
    best = None
    for _ in range(RUNS):
        start = time.perf_counter()
        result = fn()
        elapsed = time.perf_counter() - start
        best = elapsed if best is None or elapsed < best else best
    return best, result


def zenkmail(*args):
    p = subprocess.run([WINE, EXE] + list(args), stdout=subprocess.PIPE,
                       stderr=subprocess.PIPE, timeout=300)
    if p.returncode != 0:
        raise SystemExit("zenkmail %s failed (%d): %s" % (args[0], p.returncode,
                                                          p.stderr.decode("latin-1")))
    return p.stdout.decode("latin-1")


def poplib_fetch():
    box = poplib.POP3(ADDRESS, 110, timeout=60)
    box.user(USER)
    box.pass_(PASSWORD)
    count, _ = box.stat()
    total = 0
    for n in range(1, count + 1):
        _, lines, _ = box.retr(n)
        total += sum(len(line) + 2 for line in lines)
    box.quit()
    return count, total


def inbox_records(data):
    """The messages of an inbox file: BEGIN MESSAGE .. '.' END MESSAGE."""
    messages, current = [], None
    for line in data.split(b"\r\n"):
        if current is None:
            if line == b"BEGIN MESSAGE":
                current = []
        elif line == b"END MESSAGE":
            if current and current[-1] == b".":
                current.pop()
            messages.append(b"\r\n".join(current) + b"\r\n")
            current = None
        else:
            current.append(line[1:] if line.startswith(b"..") else line)
    return messages


def python_scan(inbox, folder):
    with open(inbox, "rb") as f:
        data = f.read()
    written = 0
    for index, raw in enumerate(inbox_records(data)):
        msg = email.message_from_bytes(raw, policy=email.policy.compat32)
        for part in msg.walk():
            name = part.get_filename()
            if name:
                payload = part.get_payload(decode=True)
                with open(os.path.join(folder, "%d-%s" % (index, name)), "wb") as f:
                    f.write(payload)
                written += 1
    return written


def main():
    rng = random.Random(20261208)
    work = tempfile.mkdtemp(prefix="zenk-pop3-bench-")
    os.chmod(work, 0o777)
    originals = {}
    try:
        maildir = os.path.join(work, "Maildir")
        os.makedirs(os.path.join(maildir, "new"))
        for i in range(MESSAGES):
            message, raw = make_message(i, rng)
            originals["part%04d.bin" % i] = raw
            with open(os.path.join(maildir, "new", "1700000%03d.M%dP1.bench" % (i, i)), "wb") as f:
                f.write(message)
        conf = dovecot_peer.write_config(work, maildir, ADDRESS, USER, PASSWORD)
        with peerlib.Peers() as peers:
            peers.start("dovecot", ["dovecot", "-F", "-c", conf], wait=(ADDRESS, 110))

            wine_start, _ = timed(lambda: zenkmail("fetch", "--help"))
            inbox = os.path.join(work, "inbox.txt")

            def zenk_fetch():
                if os.path.exists(inbox):
                    os.remove(inbox)
                return zenkmail("fetch", "--server", ADDRESS, "--user", USER,
                                "--password", PASSWORD, "--inbox", winpath(inbox))
            zenk_fetch_s, out = timed(zenk_fetch)
            if "%d message(s)" % MESSAGES not in out:
                raise SystemExit("zenkmail fetch did not store %d messages:\n%s" % (MESSAGES, out))
            py_fetch_s, (count, total) = timed(poplib_fetch)
            if count != MESSAGES:
                raise SystemExit("poplib saw %d messages" % count)

        with open(inbox, "rb") as f:
            fetched = f.read()
        first, rest = fetched.split(b"\r\n", 1)
        if not first.startswith(b"Letters"):
            raise SystemExit("unexpected inbox header %r" % first[:40])
        big = os.path.join(work, "big-inbox.txt")
        with open(big, "wb") as f:
            f.write(b"Letters : %d\r\n" % (MESSAGES * REPEAT) + rest * REPEAT)
        big_bytes = os.path.getsize(big)

        zdir, pdir = os.path.join(work, "zenk-att"), os.path.join(work, "py-att")

        def fresh(folder):
            shutil.rmtree(folder, ignore_errors=True)
            os.makedirs(folder)

        def zenk_scan():
            fresh(zdir)
            return zenkmail("scan", "--inbox", winpath(big), "--attachments", winpath(zdir))
        zenk_scan_s, out = timed(zenk_scan)

        def py_scan():
            fresh(pdir)
            return python_scan(big, pdir)
        py_scan_s, written = timed(py_scan)

        # The work must be the same: every attachment back, byte for byte.
        saved = os.listdir(zdir)
        bad = [n for n in originals if n not in saved
               or open(os.path.join(zdir, n), "rb").read() != originals[n]]
        if bad or written != MESSAGES * REPEAT or out.count("Attachment:") != MESSAGES * REPEAT:
            raise SystemExit("scan results differ: %d bad, python wrote %d, zenkmail listed %d"
                             % (len(bad), written, out.count("Attachment:")))

        mib = 1024.0 * 1024.0
        print("POP3 benchmark (best of %d; zenkmail figures include Wine start-up)" % RUNS)
        print("  Wine start-up (zenkmail fetch --help)       %7.3f s" % wine_start)
        print("  fetch %d x %d KiB from Dovecot (%.1f MiB)" % (MESSAGES, MESSAGE_BYTES // 1024, total / mib))
        print("    zenk32 (zenkmail fetch, Wine)            %7.3f s  %6.1f MiB/s"
              % (zenk_fetch_s, total / mib / zenk_fetch_s))
        print("    Python poplib                            %7.3f s  %6.1f MiB/s"
              % (py_fetch_s, total / mib / py_fetch_s))
        print("    ratio zenk32 / poplib                    %7.2f" % (zenk_fetch_s / py_fetch_s))
        print("  scan %d messages, %.1f MiB inbox, %d base64 attachments"
              % (MESSAGES * REPEAT, big_bytes / mib, written))
        print("    zenk32 (zenkmail scan, Wine)             %7.3f s  %6.1f MiB/s"
              % (zenk_scan_s, big_bytes / mib / zenk_scan_s))
        print("    Python email package                     %7.3f s  %6.1f MiB/s"
              % (py_scan_s, big_bytes / mib / py_scan_s))
        print("    ratio zenk32 / email                     %7.2f" % (zenk_scan_s / py_scan_s))
        return 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
