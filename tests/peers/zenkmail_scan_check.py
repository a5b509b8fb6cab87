"""zenkmail scan on an inbox with a bad record between sound ones.

    zenkmail_scan_check.py WINE ZENKMAIL_EXE

The middle record holds a line of more than 64 MiB, which the scanner will
not hand out cut: that record is reported as bad, the records on either
side are listed whole, and the exit code says that a record was bad. No
peer is needed. The exit code is the number of failed checks.
"""
import os
import shutil
import subprocess
import sys
import tempfile

import peerlib  # beside this script

WINE, EXE = sys.argv[1], sys.argv[2]
check = peerlib.Checklist()
failures = check.failures




def main():
    work = tempfile.mkdtemp(prefix="zenkscan-")
    try:
        inbox = os.path.join(work, "inbox.txt")
        folder = os.path.join(work, "att")
        os.mkdir(folder)
        with open(inbox, "wb") as f:
            f.write(b"Letters : 3\r\n")
            f.write(b"BEGIN MESSAGE\r\nSubject: first\r\n\r\none\r\n.\r\nEND MESSAGE\r\n")
            f.write(b"BEGIN MESSAGE\r\nSubject: huge\r\nMIME-Version: 1.0\r\n"
                    b"Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n"
                    b"Content-Disposition: attachment; filename=part.txt\r\n\r\nbefore\r\n")
            f.write(b"h" * (65 * 1024 * 1024) + b"\r\n--b--\r\n.\r\nEND MESSAGE\r\n")
            f.write(b"BEGIN MESSAGE\r\nSubject: third\r\n\r\nthree\r\n.\r\nEND MESSAGE\r\n")
        p = subprocess.run([WINE, EXE, "scan", "--inbox", "Z:" + inbox.replace("/", "\\"),
                            "--attachments", "Z:" + folder.replace("/", "\\")],
                           capture_output=True, timeout=240)
        out, err = p.stdout.decode("latin-1"), p.stderr.decode("latin-1")
        check("scan exits 4: a record was bad", p.returncode == 4, "rc %d\n%s%s" % (p.returncode, out, err))
        check("the first record is listed", "Message 1 of 3" in out and "Subject: first" in out, out)
        check("the third record is listed", "Message 3 of 3" in out and "Subject: third" in out, out)
        check("the bad record is named", "message 2 cannot be read" in err and "Message 2 of 3" not in out,
              out + err)
        check("the bad record's file is removed", os.listdir(folder) == [], str(os.listdir(folder)))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return len(failures)


if __name__ == "__main__":
    sys.exit(main())
