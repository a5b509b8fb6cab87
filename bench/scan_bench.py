"""Inbox scanning: zenk32's MIME scanner under Wine beside Python's email package.

    scan_bench.py BUILD_DIR      (run inside scripts/with-wine.sh: $WINE)

1. Speed. 100 messages of 100 KiB (each a text part and a base64
   attachment) are written as the POP3 client writes an inbox, repeated
   five times into a 50 MiB inbox of 500 records. `zenkmail scan` (the
   DLL's scanner, every record printed) and Python's `email` package each
   parse every record and write every attachment; the best of three runs
   counts, and zenkmail's figure includes Wine's start-up. Goal: zenk32
   takes at most half of Python's time (ratio <= 0.50).
   Beside it, what writing the same number of files of the same size
   costs on this machine with nothing else to do: a plain loop in Python
   (open, write, close) and one under Wine (scan_wine_bench --write:
   CreateFile, WriteFile, CloseHandle), best of three each, and the ratio
   with each side's own file writing taken out.
2. Memory. One message with an 8 MiB attachment and one with a 64 MiB
   attachment are scanned by scan_wine_bench, which reports the process's
   peak working set (GetProcessMemoryInfo). Goal: the two peaks are within
   8 MiB of each other.

Both parts check the work: every attachment file comes back byte for byte.
Exit code 0 when the results are right, whether or not a goal is met.
"""
import email
import email.base64mime
import email.policy
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import time

MESSAGES, MESSAGE_BYTES, REPEAT, RUNS = 100, 100 * 1024, 5, 3
SPEED_GOAL, MEMORY_GOAL_MIB = 0.50, 8.0
MIB = 1024.0 * 1024.0
WINE = os.environ["WINE"]
BUILD_DIR = os.path.abspath(sys.argv[1])
ZENKMAIL = os.path.join(BUILD_DIR, "bin", "zenkmail.exe")
SCAN_BENCH = os.path.join(BUILD_DIR, "bin", "scan_wine_bench.exe")


def winpath(path):
    return "Z:" + path.replace("/", "\\")


def message_with(i, raw, filler=b""):
    """A message with a text part and raw as a base64 attachment partNNNN.bin."""
    head = ("From: bench@example.org\r\nTo: bob@example.org\r\n"
            "Subject: bench message %d\r\nMIME-Version: 1.0\r\n"
            "Content-Type: multipart/mixed; boundary=\"=_bench\"\r\n\r\n"
            "--=_bench\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\n"
            "Message %d of the scan benchmark.\r\n" % (i, i)).encode() + filler + (
            "\r\n--=_bench\r\nContent-Type: application/octet-stream\r\n"
            "Content-Transfer-Encoding: base64\r\n"
            "Content-Disposition: attachment; filename=\"part%04d.bin\"\r\n\r\n" % i).encode()
    body = email.base64mime.body_encode(raw, maxlinelen=76, eol="\r\n").encode()
    return head + body + b"\r\n--=_bench--\r\n"


def sized_message(i, rng):
    """A message of exactly MESSAGE_BYTES; a text line fills it up."""
    bare = message_with(i, b"")
    room = MESSAGE_BYTES - len(bare)
    raw = rng.randbytes(room // 78 * 57)            # 76 base64 characters and CRLF
    without_filler = message_with(i, raw)
    filler = b"X" * (MESSAGE_BYTES - len(without_filler) - 2) + b"\r\n"
    message = message_with(i, raw, filler)
    assert len(message) == MESSAGE_BYTES, len(message)
    return message, raw


def inbox_record(message):
    """One record as the POP3 client stores it: dot-stuffed, end mark, marker."""
    lines = message.split(b"\r\n")
    assert lines[-1] == b""
    stuffed = b"".join((b"." + l if l.startswith(b".") else l) + b"\r\n" for l in lines[:-1])
    return b"BEGIN MESSAGE\r\n" + stuffed + b".\r\nEND MESSAGE\r\n"


def write_inbox(path, records, count):
    with open(path, "wb") as f:
        f.write(b"Letters : %d\r\n" % count)
        for r in records:
            f.write(r)


def inbox_messages(data):
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
    for index, raw in enumerate(inbox_messages(data)):
        msg = email.message_from_bytes(raw, policy=email.policy.compat32)
        for part in msg.walk():
            name = part.get_filename()
            if name:
                payload = part.get_payload(decode=True)
                with open(os.path.join(folder, "%d-%s" % (index, name)), "wb") as f:
                    f.write(payload)
                written += 1
    return written


def timed(fn):
    best, result = None, None
    for _ in range(RUNS):
        start = time.perf_counter()
        result = fn()
        elapsed = time.perf_counter() - start
        best = elapsed if best is None or elapsed < best else best
    return best, result


def run(exe, *args):
    p = subprocess.run([WINE, exe] + list(args), stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=600)
    if p.returncode != 0:
        raise SystemExit("%s %s failed (%d): %s" % (os.path.basename(exe), " ".join(args), p.returncode,
                                                  p.stderr.decode("latin-1")[:2000]))
    return p.stdout.decode("latin-1")


def fresh(folder):
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)


def python_write(folder, count, size):
    data = bytes(size)
    start = time.perf_counter()
    for n in range(count):
        with open(os.path.join(folder, "%d-part%04d.bin" % (n, n)), "wb") as f:
            f.write(data)
    return time.perf_counter() - start


def write_floor(folder, count, size):
    """Best of RUNS: seconds to write count files of size bytes, Python and Wine."""
    python, wine = [], []
    for _ in range(RUNS):
        fresh(folder)
        python.append(python_write(folder, count, size))
        fresh(folder)
        out = run(SCAN_BENCH, "--write", str(count), str(size), winpath(folder))
        fields = dict(re.findall(r"(\w+)=([\d.]+)", out))
        if fields.get("files") != str(count):
            raise SystemExit("scan_wine_bench --write did not write %d files: %s" % (count, out))
        wine.append(float(fields["seconds"]))
    return min(python), min(wine)


def same_files(folder, originals, expected_count):
    """Every file in folder is one of the originals, and there are as many as expected."""
    wanted = set(originals)
    names = os.listdir(folder)
    bad = 0
    for name in names:
        with open(os.path.join(folder, name), "rb") as f:
            bad += f.read() not in wanted
    return bad == 0 and len(names) == expected_count, bad, len(names)


def speed(work):
    rng = random.Random(20261208)
    records, originals = [], []
    for i in range(MESSAGES):
        message, raw = sized_message(i, rng)
        records.append(inbox_record(message))
        originals.append(raw)
    inbox = os.path.join(work, "inbox.txt")
    write_inbox(inbox, records * REPEAT, MESSAGES * REPEAT)
    inbox_bytes = os.path.getsize(inbox)
    zdir, pdir = os.path.join(work, "zenk-att"), os.path.join(work, "py-att")

    wine_start, _ = timed(lambda: run(ZENKMAIL, "scan", "--help"))

    def zenk_scan():
        fresh(zdir)
        return run(ZENKMAIL, "scan", "--inbox", winpath(inbox), "--attachments", winpath(zdir))
    zenk_s, out = timed(zenk_scan)

    def py_scan():
        fresh(pdir)
        return python_scan(inbox, pdir)
    py_s, written = timed(py_scan)

    total = MESSAGES * REPEAT
    ok, bad, files = same_files(zdir, originals, total)
    if not ok or written != total or out.count("Attachment:") != total:
        raise SystemExit("scan results differ: %d of %d files bad, python wrote %d, zenkmail listed %d"
                         % (bad, files, written, out.count("Attachment:")))
    ratio = zenk_s / py_s
    attachment_bytes = sum(len(raw) for raw in originals) // len(originals)
    py_floor, wine_floor = write_floor(os.path.join(work, "floor"), total, attachment_bytes)
    print("  scan %d messages, %.1f MiB inbox, %d base64 attachments written (best of %d)"
          % (total, inbox_bytes / MIB, total, RUNS))
    print("    Wine start-up (zenkmail scan --help)       %7.3f s" % wine_start)
    print("    zenk32 (zenkmail scan, Wine)               %7.3f s  %6.1f MiB/s" % (zenk_s, inbox_bytes / MIB / zenk_s))
    print("    Python email package                       %7.3f s  %6.1f MiB/s" % (py_s, inbox_bytes / MIB / py_s))
    print("    ratio zenk32 / email                       %7.2f   goal <= %.2f: %s"
          % (ratio, SPEED_GOAL, "met" if ratio <= SPEED_GOAL else "NOT MET"))
    print("    writing %d files of %d bytes alone: Python %.3f s, Wine %.3f s"
          % (total, attachment_bytes, py_floor, wine_floor))
    print("    ratio with each side's file writing taken out %7.2f"
          % ((zenk_s - wine_floor) / (py_s - py_floor) if py_s > py_floor else float("nan")))


def peak_memory(work, mib):
    raw = random.Random(mib).randbytes(mib * 1024 * 1024)
    inbox = os.path.join(work, "inbox-%d.txt" % mib)
    write_inbox(inbox, [inbox_record(message_with(1, raw))], 1)
    folder = os.path.join(work, "att-%d" % mib)
    fresh(folder)
    out = run(SCAN_BENCH, winpath(inbox), winpath(folder))
    fields = dict(re.findall(r"(\w+)=([\d.]+)", out))
    with open(os.path.join(folder, "part0001.bin"), "rb") as f:
        if f.read() != raw:
            raise SystemExit("the %d MiB attachment did not come back byte for byte" % mib)
    return int(fields["peak_working_set"]) / MIB, float(fields["seconds"]), os.path.getsize(inbox) / MIB


def main():
    work = tempfile.mkdtemp(prefix="zenk-scan-bench-")
    try:
        print("Scan benchmark, %s build (%s)" % (os.path.basename(BUILD_DIR), os.path.basename(WINE)))
        speed(work)
        small, small_s, small_mib = peak_memory(work, 8)
        large, large_s, large_mib = peak_memory(work, 64)
        print("  peak working set while scanning one message (scan_wine_bench)")
        print("    8 MiB attachment (%.1f MiB record)          %7.1f MiB  %6.3f s" % (small_mib, small, small_s))
        print("    64 MiB attachment (%.1f MiB record)         %7.1f MiB  %6.3f s" % (large_mib, large, large_s))
        print("    difference                                 %7.1f MiB   goal <= %.1f MiB: %s"
              % (large - small, MEMORY_GOAL_MIB, "met" if large - small <= MEMORY_GOAL_MIB else "NOT MET"))
        return 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
