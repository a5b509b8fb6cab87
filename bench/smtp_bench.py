"""Delivery of one message with a 10 MiB attachment: zenk32.dll against smtplib.

    smtp_bench.py WINE SMTP_WINE_BENCH_EXE [MIB]

Starts aiosmtpd (byte-exact Maildir) on 127.0.2.8:25, has smtp_wine_bench
compose a message with a random attachment of MIB MiB (10 by default) and
deliver it through the DLL under Wine, then sends the very bytes the server
stored, with the same envelope, through Python's smtplib to the same server.
Prints both delivery times and their ratio; the server is stopped by PID.
"""
import os
import shutil
import smtplib
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
PEERS = os.path.join(HERE, "..", "tests", "peers")
sys.path.insert(0, PEERS)
import peerlib  # noqa: E402

ADDRESS = "127.0.2.8"


def winpath(path):
    return "Z:" + path.replace("/", "\\")


def stored_messages(maildir):
    new = os.path.join(maildir, "new")
    return sorted(os.path.join(new, n) for n in os.listdir(new))


def main():
    wine, exe = sys.argv[1], sys.argv[2]
    mib = int(sys.argv[3]) if len(sys.argv) > 3 else 10
    work = tempfile.mkdtemp(prefix="zenk_smtp_bench_")
    maildir = os.path.join(work, "Maildir")
    attachment = os.path.join(work, "random.bin")
    with open(attachment, "wb") as f:
        f.write(os.urandom(mib << 20))
    try:
        with peerlib.Peers() as peers:
            env = dict(os.environ, PYTHONPATH=os.path.abspath(PEERS))
            peers.start("aiosmtpd", [peerlib.PY, "-m", "aiosmtpd", "-n", "-l", ADDRESS + ":25",
                                     "-c", "smtp_maildir_handler.ExactMaildir", maildir],
                        wait=(ADDRESS, 25), env=env, log=os.path.join(work, "aiosmtpd.log"))
            run = subprocess.run([wine, exe, winpath(attachment), winpath(os.path.join(work, "outbox.txt")),
                                  ADDRESS], capture_output=True, text=True, timeout=900)
            lines = dict(l.split("=", 1) for l in run.stdout.split() if "=" in l)
            if run.returncode != 0 or "delivery_seconds" not in lines:
                print("smtp_bench: zenk32 delivery failed (exit %d)\n%s%s" % (run.returncode, run.stdout, run.stderr))
                return 1
            zenk_seconds = float(lines["delivery_seconds"])
            first = stored_messages(maildir)
            if len(first) != 1:
                print("smtp_bench: %d messages stored, 1 expected" % len(first))
                return 1
            data = open(first[0], "rb").read()
            sender, recipients = open(first[0].replace("/new/", "/") + ".envelope").read().splitlines()

            start = time.perf_counter()
            with smtplib.SMTP(ADDRESS, 25, local_hostname="alice") as smtp:
                smtp.sendmail(sender, recipients.split(), data)
            python_seconds = time.perf_counter() - start

            second = [p for p in stored_messages(maildir) if p not in first]
            if len(second) != 1 or open(second[0], "rb").read() != data:
                print("smtp_bench: smtplib's message was not stored byte for byte")
                return 1
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print("one message, %d MiB attachment, %d bytes of DATA, to aiosmtpd on %s:25" % (mib, len(data), ADDRESS))
    print("  zenk32.dll under Wine: %8.3f s  (%.2f MB/s)" % (zenk_seconds, len(data) / zenk_seconds / 1e6))
    print("  Python smtplib:        %8.3f s  (%.2f MB/s)" % (python_seconds, len(data) / python_seconds / 1e6))
    print("  ratio zenk32/smtplib:  %8.2f" % (zenk_seconds / python_seconds))
    return 0


if __name__ == "__main__":
    sys.exit(main())
