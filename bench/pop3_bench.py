"""POP3 retrieval: zenk32 under Wine beside Python's poplib, and its memory.

    pop3_bench.py ZENKMAIL_EXE POP3_WINE_BENCH_EXE   (run inside scripts/with-wine.sh: $WINE)

1. A Maildir of 100 messages of 100 KiB (each a text part and a base64
   attachment) is served by Dovecot on 127.0.3.20:110. `zenkmail fetch`
   (the DLL's POP3 client, Wine start-up included) and Python's poplib each
   retrieve all 100, without deleting, alternately; the best of five runs
   counts. The inbox must hold every message byte for byte. Goal: at most
   2 x poplib. pop3_wine_bench's own timing of the same retrieval (from
   ZENKPOP3PullMail to the final notification) is printed beside it, to
   tell the client's time from Wine's process start and end.
2. Memory: Dovecot on 127.0.3.22 serves one message with an 8 MiB
   attachment, then one with a 64 MiB attachment; pop3_wine_bench fetches
   each and reports the process's peak working set (GetProcessMemoryInfo).
   Goal: the two peaks within 8 MiB of each other.

Wine start-up time (`zenkmail fetch --help`, best of five) is printed apart,
and so is a whole `zenkmail fetch` that retrieves nothing: the connection is
refused (127.0.3.21 port 9, where nothing listens), so it is start-up, the
session windows, the refused connect and exit. That run is the floor of the
ratio on this machine: no retrieval, however fast, goes below it.
The load average is printed with the figures, as the machine is shared.
Dovecot is stopped by PID.
"""
import base64
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

ADDRESS, MEMORY_ADDRESS, USER, PASSWORD = "127.0.3.20", "127.0.3.22", "bench", "bench"
CLOSED_ADDRESS, CLOSED_PORT = "127.0.3.21", "9"   # nothing listens there
MESSAGES, MESSAGE_BYTES, RUNS = 100, 100 * 1024, 5
FETCH_GOAL, MEMORY_GOAL_MIB = 2.0, 8.0
WINE = os.environ["WINE"]
EXE, MEMORY_EXE = sys.argv[1], sys.argv[2]
MIB = 1024.0 * 1024.0


def winpath(path):
    return "Z:" + path.replace("/", "\\")


def base64_lines(raw):
    return base64.encodebytes(raw).replace(b"\n", b"\r\n")


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
    body = base64_lines(rng.randbytes((room // 78) * 57))
    filler = b"X" * (room - len(body) - 2) + b"\r\n"   # a trailing text line fills up
    message = head + body + tail
    message = message.replace(b"benchmark.\r\n", b"benchmark.\r\n" + filler, 1)
    assert len(message) == MESSAGE_BYTES, len(message)
    return message


def attachment_message(mib, rng):
    head = (b"From: bench@example.org\r\nTo: bob@example.org\r\nSubject: %d MiB\r\n"
            b"MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"=_big\"\r\n\r\n"
            b"--=_big\r\nContent-Type: application/octet-stream\r\n"
            b"Content-Transfer-Encoding: base64\r\n\r\n" % mib)
    return head + base64_lines(rng.randbytes(mib << 20)) + b"\r\n--=_big--\r\n"


def write_maildir(work, name, messages):
    maildir = os.path.join(work, name)
    os.makedirs(os.path.join(maildir, "new"))
    for i, message in enumerate(messages):
        with open(os.path.join(maildir, "new", "1700000%03d.M%dP1.bench" % (i, i)), "wb") as f:
            f.write(message)
    return maildir


def expected_inbox(messages):
    out = [b"Letters : %d\r\n" % len(messages)]
    for m in messages:
        lines = m.split(b"\r\n")
        stuffed = b"\r\n".join(b"." + l if l.startswith(b".") else l for l in lines)
        out.append(b"BEGIN MESSAGE\r\n" + stuffed + b".\r\nEND MESSAGE\r\n")
    return b"".join(out)


def run(*args, expect=0):
    p = subprocess.run([WINE] + list(args), stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=600)
    if p.returncode != expect:
        raise SystemExit("%s failed (%d): %s" % (os.path.basename(args[0]), p.returncode,
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


def best(samples):
    return min(samples)


def main():
    rng = random.Random(20261208)
    work = tempfile.mkdtemp(prefix="zenk-pop3-bench-")
    os.chmod(work, 0o777)
    try:
        messages = [make_message(i, rng) for i in range(MESSAGES)]
        fetch_dir = os.path.join(work, "fetch")
        os.makedirs(fetch_dir)
        os.chmod(fetch_dir, 0o777)
        maildir = write_maildir(fetch_dir, "Maildir", messages)
        conf = dovecot_peer.write_config(fetch_dir, maildir, ADDRESS, USER, PASSWORD)
        inbox = os.path.join(work, "inbox.txt")
        with peerlib.Peers() as peers:
            peers.start("dovecot", ["dovecot", "-F", "-c", conf], wait=(ADDRESS, 110))
            wine_start = best([timed(lambda: run(EXE, "fetch", "--help"))[0] for _ in range(RUNS)])
            refused = best([timed(lambda: run(EXE, "fetch", "--server", CLOSED_ADDRESS, "--port", CLOSED_PORT,
                                              "--user", USER, "--password", PASSWORD,
                                              "--inbox", winpath(inbox + ".refused"), expect=1))[0] for _ in range(RUNS)])
            zenk_s, py_s, run_s = [], [], []
            for _ in range(RUNS):  # alternately, so load hits both alike
                if os.path.exists(inbox):
                    os.remove(inbox)
                seconds, out = timed(lambda: run(EXE, "fetch", "--server", ADDRESS, "--user", USER,
                                                 "--password", PASSWORD, "--inbox", winpath(inbox)))
                if "%d message(s) in" % MESSAGES not in out:
                    raise SystemExit("zenkmail fetch did not store %d messages:\n%s" % (MESSAGES, out))
                zenk_s.append(seconds)
                seconds, (count, total) = timed(poplib_fetch)
                if count != MESSAGES:
                    raise SystemExit("poplib saw %d messages" % count)
                py_s.append(seconds)
                out = run(MEMORY_EXE, ADDRESS, USER, PASSWORD, winpath(inbox + ".run"))
                fields = dict(item.split("=") for item in out.split())
                if fields.get("stored") != str(MESSAGES):
                    raise SystemExit("pop3_wine_bench did not store %d messages: %s" % (MESSAGES, out))
                run_s.append(float(fields["seconds"]))
        with open(inbox, "rb") as f:
            if f.read() != expected_inbox(messages):
                raise SystemExit("the inbox differs from the messages served")

        peaks = {}
        for mib in (8, 64):
            mem_dir = os.path.join(work, "mem%d" % mib)
            os.makedirs(mem_dir)
            os.chmod(mem_dir, 0o777)
            message = attachment_message(mib, rng)
            maildir = write_maildir(mem_dir, "Maildir", [message])
            conf = dovecot_peer.write_config(mem_dir, maildir, MEMORY_ADDRESS, USER, PASSWORD)
            big_inbox = os.path.join(mem_dir, "inbox.txt")
            with peerlib.Peers() as peers:
                peers.start("dovecot", ["dovecot", "-F", "-c", conf], wait=(MEMORY_ADDRESS, 110))
                out = run(MEMORY_EXE, MEMORY_ADDRESS, USER, PASSWORD, winpath(big_inbox))
            fields = dict(item.split("=") for item in out.split())
            if fields.get("stored") != "1" or os.path.getsize(big_inbox) != len(expected_inbox([message])):
                raise SystemExit("pop3_wine_bench did not store the %d MiB message: %s" % (mib, out))
            peaks[mib] = (int(fields["peak_working_set"]), float(fields["seconds"]), len(message))
            shutil.rmtree(mem_dir, ignore_errors=True)

        zenk, py = best(zenk_s), best(py_s)
        ratio = zenk / py
        growth = (peaks[64][0] - peaks[8][0]) / MIB
        print("POP3 benchmark (%s, load average %s)" % (os.path.basename(os.path.dirname(os.path.dirname(EXE))),
                                                        " ".join("%.2f" % x for x in os.getloadavg())))
        print("  Wine start-up (zenkmail fetch --help)       %7.3f s" % wine_start)
        print("  fetch %d x %d KiB from Dovecot (%.1f MiB), best of %d, runs alternated"
              % (MESSAGES, MESSAGE_BYTES // 1024, total / MIB, RUNS))
        print("    zenk32 (zenkmail fetch, Wine)            %7.3f s  %6.1f MiB/s  (runs: %s)"
              % (zenk, total / MIB / zenk, " ".join("%.3f" % x for x in zenk_s)))
        print("    Python poplib                            %7.3f s  %6.1f MiB/s  (runs: %s)"
              % (py, total / MIB / py, " ".join("%.3f" % x for x in py_s)))
        print("    ratio zenk32 / poplib                    %7.2f    goal <= %.2f  %s"
              % (ratio, FETCH_GOAL, "met" if ratio <= FETCH_GOAL else "NOT MET"))
        print("    floor: zenkmail fetch, connection refused %6.3f s  ratio to poplib %.2f  (start-up, windows, exit)"
              % (refused, refused / py))
        print("    the run alone (pop3_wine_bench)          %7.3f s  ratio to poplib %.2f  (runs: %s)"
              % (best(run_s), best(run_s) / py, " ".join("%.3f" % x for x in run_s)))
        for mib in (8, 64):
            peak, seconds, size = peaks[mib]
            print("  one message, %2d MiB attachment (%.1f MiB): %6.2f s, peak working set %7.1f MiB"
                  % (mib, size / MIB, seconds, peak / MIB))
        print("    peak growth 8 -> 64 MiB                  %7.1f MiB  goal <= %.1f MiB  %s"
              % (growth, MEMORY_GOAL_MIB, "met" if growth <= MEMORY_GOAL_MIB else "NOT MET"))
        return 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


def timed(fn):
    start = time.perf_counter()
    result = fn()
    return time.perf_counter() - start, result


if __name__ == "__main__":
    sys.exit(main())
