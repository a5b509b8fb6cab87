"""Runs the POP3 client's Wine test against its peers.

    /usr/bin/python3 pop3_runner.py WINE TEST.EXE

Peers, all on the POP3 family's loopback range, port 110:
  127.0.3.1  scripted peer, mode split (records bytes, checks DELE order)
  127.0.3.2  Dovecot, standalone config of its own, Maildir owned by nobody
  127.0.3.3  scripted peer, mode refuse
  127.0.3.4  scripted peer, mode badpass
  127.0.3.5  scripted peer, mode drop
  127.0.3.6  scripted peer, mode silent
  127.0.3.11 scripted peer, mode longerr
  127.0.3.12 scripted peer, mode retrerr
  127.0.3.13 scripted peer, mode huge
  127.0.3.14 scripted peer, mode junk
  127.0.3.15 scripted peer, mode stall
  127.0.3.16 scripted peer, mode corpus
The test finds its work folder in ZENK_POP3_WORK (a Linux path; Z: under Wine).
"""
import os
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import dovecot_peer  # noqa: E402
import peerlib  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))

# Two messages as they lie in the Maildir; the second has a line that the
# server sends dot-stuffed.
MAILDIR_MESSAGES = [
    b"From: alice@example.org\r\nTo: bob@example.org\r\nSubject: first\r\n\r\nHello Bob.\r\n",
    b"From: carol@example.org\r\nTo: bob@example.org\r\nSubject: second\r\n\r\n.hidden line\r\nbye\r\n",
]


def make_maildir(work):
    maildir = os.path.join(work, "Maildir")
    os.makedirs(os.path.join(maildir, "new"))
    for i, text in enumerate(MAILDIR_MESSAGES):
        path = os.path.join(maildir, "new", "170000000%d.M%dP1.zenktest" % (i, i))
        with open(path, "wb") as f:
            f.write(text)
    return maildir


def main():
    work = tempfile.mkdtemp(prefix="zenk-pop3-")
    os.chmod(work, 0o777)
    try:
        maildir = make_maildir(work)
        conf = dovecot_peer.write_config(work, maildir, "127.0.3.2", "bob", "secret")
        with peerlib.Peers() as peers:
            peer = os.path.join(HERE, "pop3_scripted_peer.py")
            for address, mode in (("127.0.3.1", "split"), ("127.0.3.3", "refuse"),
                                  ("127.0.3.4", "badpass"), ("127.0.3.5", "drop"),
                                  ("127.0.3.6", "silent"), ("127.0.3.11", "longerr"),
                                  ("127.0.3.12", "retrerr"), ("127.0.3.13", "huge"),
                                  ("127.0.3.14", "junk"), ("127.0.3.15", "stall"),
                                  ("127.0.3.16", "corpus")):
                args = [peerlib.PY, peer, address, "110", mode, os.path.join(work, mode + ".record")]
                if mode in ("split", "retrerr", "huge", "stall", "corpus"):
                    args.append(os.path.join(work, mode + "-inbox.txt"))
                peers.start(mode, args, wait=(address, 110))
            # The scripted peers record the probe connections of wait_port: start clean.
            for mode in ("split", "refuse", "badpass", "drop", "silent", "longerr", "retrerr", "huge", "junk",
                         "stall", "corpus"):
                path = os.path.join(work, mode + ".record")
                if os.path.exists(path):
                    os.remove(path)
            peers.start("dovecot", ["dovecot", "-F", "-c", conf], wait=("127.0.3.2", 110))
            code = peers.run_test(sys.argv[1:], env={"ZENK_POP3_WORK": work}, timeout=170)
        if code != 0 and os.path.exists(os.path.join(work, "dovecot.log")):
            sys.stderr.write(open(os.path.join(work, "dovecot.log")).read()[-2000:])
        return code
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
