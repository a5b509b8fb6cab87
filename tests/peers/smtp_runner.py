"""Runs the SMTP client's Wine test against its peers.

    smtp_runner.py WINE TEST_EXE

Starts aiosmtpd (byte-exact Maildir) on 127.0.2.1:25 and the scripted peer
on 127.0.2.2 to 127.0.2.6 (split, refuse, silent, reject, hangup); nothing
listens on 127.0.2.9, so connections there are refused. The test program
gets the folders through the environment.
"""
import os
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import peerlib  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
SCENARIOS = {"127.0.2.2": "split", "127.0.2.3": "refuse", "127.0.2.4": "silent",
             "127.0.2.5": "reject", "127.0.2.6": "hangup"}


def main():
    work = tempfile.mkdtemp(prefix="zenk_smtp_")
    maildir = os.path.join(work, "Maildir")
    records = os.path.join(work, "records")
    try:
        with peerlib.Peers() as peers:
            env = dict(os.environ, PYTHONPATH=HERE)
            peers.start("aiosmtpd", [peerlib.PY, "-m", "aiosmtpd", "-n", "-l", "127.0.2.1:25",
                                     "-c", "smtp_maildir_handler.ExactMaildir", maildir],
                        wait=("127.0.2.1", 25), env=env, log=os.path.join(work, "aiosmtpd.log"))
            peers.start("scripted", [peerlib.PY, os.path.join(HERE, "smtp_scripted_peer.py"), records] +
                        ["%s=%s" % kv for kv in SCENARIOS.items()],
                        wait=("127.0.2.2", 25), log=os.path.join(work, "scripted.log"))
            for address in SCENARIOS:
                if address != "127.0.2.4" and not peerlib.wait_port(address, 25):
                    print("smtp_runner: scripted peer not listening on", address)
                    return 1
            code = peers.run_test(sys.argv[1:], env={"ZENK_SMTP_MAILDIR": maildir,
                                                      "ZENK_SMTP_RECORDS": records}, timeout=120)
            if code != 0:
                log = os.path.join(work, "aiosmtpd.log")
                if os.path.exists(log):
                    sys.stderr.write(open(log).read()[-2000:])
            return code
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
