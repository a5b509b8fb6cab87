"""Checks zenkmail send as a user runs it (run by smtp_runner.py).

    zenkmail_send_check.py WINE ZENKMAIL_EXE

Exit codes and output for: --help, a usage error, an unreadable
attachment, a delivery to aiosmtpd (127.0.2.1) with two attachments, a
refused recipient (scripted peer 127.0.2.3) and a refused connection
(127.0.2.9).
"""
import email
import glob
import os
import shutil
import subprocess
import sys
import tempfile

import peerlib  # beside this script

WINE, EXE = sys.argv[1], sys.argv[2]
check = peerlib.Checklist()
failures = check.failures


def run(*args, env=None):
    p = subprocess.run([WINE, EXE] + list(args), capture_output=True, timeout=60,
                       env=dict(os.environ, **env) if env else None)
    err = p.stderr.decode("latin-1")
    peerlib.relay_wine_log(err)
    return p.returncode, p.stdout.decode("latin-1"), err




def winpath(path):
    return "Z:" + path.replace("/", "\\")


work = tempfile.mkdtemp(prefix="zenkmail_check_")
text = os.path.join(work, "text.txt")
notes = os.path.join(work, "notes.txt")
blob = os.path.join(work, "blob.bin")
open(text, "wb").write(b"Hello,\r\n.\r\nbye\r\n")
open(notes, "wb").write(b"notes\r\n")
open(blob, "wb").write(bytes(range(256)) * 3)
base = ["send", "--from", "alice@example.org", "--subject", "check"]

rc, out, err = run("send", "--help")
check("send --help exits 0 with usage", rc == 0 and "usage: zenkmail send" in out, out + err)
rc, out, err = run("--help")
check("--help lists send", rc == 0 and "send" in out, out + err)
rc, out, err = run("send", "--server", "127.0.2.1")
check("missing options exit 2", rc == 2 and "required" in err, err)
rc, out, err = run(*base, "--server", "127.0.2.1", "--to", "bob@example.org",
                   "--attach", winpath(os.path.join(work, "missing.bin")))
check("unreadable attachment exits 2", rc == 2 and "missing.bin" in err, err)
rc, out, err = run(*base, "--server", "127.0.2.1", "--to", "bob@example.org", "--subject", "a\r\nBcc: x@y")
check("subject with a line break is refused", rc == 2 and "refused" in err, out + err)

maildir = os.environ["ZENK_SMTP_MAILDIR"]
before = set(glob.glob(os.path.join(maildir, "new", "*")))
rc, out, err = run(*base, "--server", "127.0.2.1", "--to", "bob@example.org", "--cc", "carol@example.org",
                   "--text", winpath(text), "--attach", winpath(notes), "--attach", winpath(blob))
check("delivery exits 0 and reports each step",
      rc == 0 and "[17] connected" in out and "[15] message 1 of 1 accepted" in out and "[18]" in out
      and "delivered" in out, out + err)
new = sorted(set(glob.glob(os.path.join(maildir, "new", "*"))) - before)
check("one message stored", len(new) == 1, str(new))
if new:
    msg = email.message_from_binary_file(open(new[0], "rb"))
    parts = {p.get_filename(): p.get_payload(decode=True) for p in msg.walk() if p.get_filename()}
    check("attachments arrive intact",
          parts.get("notes.txt") == open(notes, "rb").read() and parts.get("blob.bin") == open(blob, "rb").read(),
          str(parts.keys()))
    check("cc header", msg["Cc"] == "carol@example.org", str(msg["Cc"]))

rc, out, err = run(*base, "--server", "127.0.2.1", "--to", "bob@example.org", "--text", winpath(text), "--verbose")
check("--verbose shows the exchange on stderr as it happens",
      rc == 0 and "[15] message 1 of 1 accepted" in out
      and all(line in err for line in ("[smtp] state greeting -> helo-sent", "[smtp] S: 220 ", "[smtp] C: HELO ",
                                       "[smtp] C: MAIL FROM:<", "[smtp] C: RCPT TO:<bob@example.org>",
                                       "[smtp] C: DATA ", "[smtp] S: 354", "[smtp] C: <message text: ",
                                       "[smtp] state end-reply -> quit-sent", "[smtp] C: QUIT", "[smtp] S: 221"))
      and "[smtp]" not in out, out + err)

# The trace through the environment: off without ZENK_TRACE (no file is
# made), on with it, into ZENK_TRACE_FILE.
trace_work = tempfile.mkdtemp(prefix="zenk_trace_")
off_file, on_file = os.path.join(trace_work, "off.log"), os.path.join(trace_work, "on.log")
quiet = {k: v for k, v in os.environ.items() if k != "ZENK_TRACE"}
p = subprocess.run([WINE, EXE] + base + ["--server", "127.0.2.1", "--to", "bob@example.org"],
                   capture_output=True, timeout=60, env=dict(quiet, ZENK_TRACE_FILE=winpath(off_file)))
check("trace off: delivered, no trace file", p.returncode == 0 and not os.path.exists(off_file),
      p.stdout.decode("latin-1"))
rc, out, err = run(*base, "--server", "127.0.2.1", "--to", "bob@example.org",
                   env={"ZENK_TRACE": "smtp,stream", "ZENK_TRACE_FILE": winpath(on_file)})
trace = open(on_file, encoding="latin-1").read() if os.path.exists(on_file) else ""
wanted = ["[smtp] S: 220 ", "[smtp] state greeting -> helo-sent", "[smtp] C: HELO ", "[smtp] S: 250 ",
          "[smtp] state helo-sent -> helo-reply", "[smtp] C: RCPT TO:<bob@example.org>", "[smtp] S: 354",
          "[smtp] state data-reply -> chunk-sent", "[smtp] C: <message text: ", "[smtp] C: QUIT",
          "[smtp] state quit-sent -> quit-reply", "[smtp] S: 221", "[stream] socket ", " FD_CONNECT error 0",
          "[stream] notify connected (15009)", "[stream] notify received (15005) count "]
check("trace on: states, commands, replies and stream events in the file",
      rc == 0 and all(w in trace for w in wanted) and "[pop3]" not in trace
      and all(line.startswith(("[smtp] ", "[stream] ")) for line in trace.splitlines()),
      "missing: %s\n%s" % ([w for w in wanted if w not in trace], trace[:3000]))
shutil.rmtree(trace_work, ignore_errors=True)

rc, out, err = run(*base, "--server", "127.0.2.3", "--to", "nobody@example.org", "--to", "bob@example.org")
check("refused recipient exits 4", rc == 4 and "[0] a recipient of message 1 was refused" in out, out + err)
rc, out, err = run(*base, "--server", "127.0.2.9", "--to", "bob@example.org")
check("refused connection exits 1", rc == 1 and "[4] cannot connect" in out, out + err)

sys.exit(1 if failures else 0)
