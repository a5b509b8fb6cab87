"""Runs the SMTP client's Wine test against its peers.

    smtp_runner.py [--check-mime] WINE TEST_EXE

Starts aiosmtpd (byte-exact Maildir) on 127.0.2.1:25 and the scripted peer
on 127.0.2.2 to 127.0.2.6 (split, refuse, silent, reject, hangup); nothing
listens on 127.0.2.9, so connections there are refused. The test program
gets the folders through the environment.

With --check-mime a second aiosmtpd listens on 127.0.2.7 with its own
Maildir. The test program writes the files it attaches and manifest.txt
(one line per message: the subject, then the file names, tab-separated) into ZENK_SMTP_ORIGINALS; after
it ends, every message stored there is parsed with Python's email package
and each attachment must decode to its original bytes.
"""
import email
import email.policy
import os
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import peerlib  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
SCENARIOS = {"127.0.2.2": "split", "127.0.2.3": "refuse", "127.0.2.4": "silent",
             "127.0.2.5": "reject", "127.0.2.6": "hangup"}


def check_mime(maildir, originals):
    """Problems found in the messages stored in maildir; [] when all is well."""
    problems = []
    manifest_path = os.path.join(originals, "manifest.txt")
    if not os.path.exists(manifest_path):
        return ["no manifest.txt: the test program wrote no attachments"]
    expected = {}
    for line in open(manifest_path).read().splitlines():
        subject, *names = line.split("\t")
        expected[subject] = names
    new = os.path.join(maildir, "new")
    stored = sorted(os.listdir(new)) if os.path.isdir(new) else []
    if len(stored) != len(expected):
        problems.append("%d messages stored, %d expected" % (len(stored), len(expected)))
    seen = set()
    for name in stored:
        with open(os.path.join(new, name), "rb") as f:
            msg = email.message_from_binary_file(f, policy=email.policy.compat32)
        subject = msg["Subject"]
        if subject not in expected:
            problems.append("%s: unexpected subject %r" % (name, subject))
            continue
        seen.add(subject)
        if msg.defects:
            problems.append("%s: parser defects %r" % (subject, msg.defects))
        parts = [p for p in msg.walk() if p.get_filename() is not None]
        got = [p.get_filename() for p in parts]
        if got != expected[subject]:
            problems.append("%s: attachments %r, expected %r" % (subject, got, expected[subject]))
        for part in parts:
            if part.defects:
                problems.append("%s/%s: part defects %r" % (subject, part.get_filename(), part.defects))
            original_path = os.path.join(originals, os.path.basename(part.get_filename()))
            original = open(original_path, "rb").read() if os.path.exists(original_path) else None
            decoded = part.get_payload(decode=True)
            if decoded is None:
                decoded = b""  # an empty base64 body
            if decoded != original:
                problems.append("%s/%s: %d bytes decoded, original %s bytes" % (
                    subject, part.get_filename(), len(decoded),
                    "no" if original is None else len(original)))
        texts = [p.get_payload(decode=True) or b"" for p in msg.walk()
                 if p.get_content_type() == "text/plain" and p.get_filename() is None]
        if not any(("Message " + subject.split(" ")[1]).encode() in t for t in texts):
            problems.append("%s: message text not found in %r" % (subject, texts))
    for subject in set(expected) - seen:
        problems.append("%s: not stored" % subject)
    return problems


def main():
    args = sys.argv[1:]
    mime = args[:1] == ["--check-mime"]
    if mime:
        args = args[1:]
    work = tempfile.mkdtemp(prefix="zenk_smtp_")
    maildir = os.path.join(work, "Maildir")
    records = os.path.join(work, "records")
    mime_maildir = os.path.join(work, "MimeMaildir")
    originals = os.path.join(work, "originals")
    os.makedirs(originals)
    try:
        with peerlib.Peers() as peers:
            env = dict(os.environ, PYTHONPATH=HERE)
            peers.start("aiosmtpd", [peerlib.PY, "-m", "aiosmtpd", "-n", "-l", "127.0.2.1:25",
                                     "-c", "smtp_maildir_handler.ExactMaildir", maildir],
                        wait=("127.0.2.1", 25), env=env, log=os.path.join(work, "aiosmtpd.log"))
            if mime:
                peers.start("aiosmtpd-mime", [peerlib.PY, "-m", "aiosmtpd", "-n", "-l", "127.0.2.7:25",
                                              "-c", "smtp_maildir_handler.ExactMaildir", mime_maildir],
                            wait=("127.0.2.7", 25), env=env, log=os.path.join(work, "aiosmtpd-mime.log"))
            peers.start("scripted", [peerlib.PY, os.path.join(HERE, "smtp_scripted_peer.py"), records] +
                        ["%s=%s" % kv for kv in SCENARIOS.items()],
                        wait=("127.0.2.2", 25), log=os.path.join(work, "scripted.log"))
            for address in SCENARIOS:
                if address != "127.0.2.4" and not peerlib.wait_port(address, 25):
                    print("smtp_runner: scripted peer not listening on", address)
                    return 1
            code = peers.run_test(args, env={"ZENK_SMTP_MAILDIR": maildir, "ZENK_SMTP_RECORDS": records,
                                             "ZENK_SMTP_ORIGINALS": originals}, timeout=120)
            if mime:
                problems = check_mime(mime_maildir, originals)
                for p in problems:
                    print("smtp_runner: MIME check FAILED:", p)
                if not problems:
                    print("smtp_runner: MIME check: every attachment decodes to its original bytes")
                elif code == 0:
                    code = 1
            if code != 0:
                log = os.path.join(work, "aiosmtpd.log")
                if os.path.exists(log):
                    sys.stderr.write(open(log).read()[-2000:])
            return code
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
