"""Runs the SMTP client's Postfix test: a private, strict Postfix instance.

    smtp_postfix_runner.py WINE TEST_EXE

Postfix runs from a folder of its own (configuration, queue and data there,
the SMTP listener on 127.0.2.20:25 set in master.cf). Its master process
detaches, so it is stopped with "postfix -c DIR stop" and, should that
fail, by the PID in its queue's pid/master.pid. It refuses any line that ends in a
bare LF (smtpd_forbid_bare_newline = reject, no exclusions) and puts every
message it accepts on hold, so nothing is delivered anywhere.

Before the test program runs, a bare LF sent by hand must be refused (or
the strict setting would prove nothing). After it ends, the hold queue
must hold exactly one message, whose lines (read with postcat) are those
the test program sent.
"""
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import peerlib  # noqa: E402

ADDRESS = "127.0.2.20"

MAIN_CF = """compatibility_level = 3.6
queue_directory = {work}/queue
data_directory = {work}/data
meta_directory = /etc/postfix
maillog_file = {work}/postfix.log
maillog_file_prefixes = {work}
mail_owner = postfix
setgid_group = postdrop
myhostname = zenk-test.localdomain
mydomain = localdomain
mydestination =
inet_protocols = ipv4
mynetworks = 127.0.0.0/8
smtpd_forbid_bare_newline = reject
smtpd_forbid_bare_newline_exclusions =
smtpd_recipient_restrictions = check_client_access static:HOLD, permit_mynetworks, reject
smtpd_relay_restrictions = permit_mynetworks, reject
biff = no
"""

# No chroot: the queue is a private folder without the files a chroot needs.
MASTER_CF = """{address}:25 inet n - n - - smtpd
cleanup unix n - n - 0 cleanup
qmgr unix n - n 300 1 qmgr
rewrite unix - - n - - trivial-rewrite
bounce unix - - n - 0 bounce
defer unix - - n - 0 bounce
trace unix - - n - 0 bounce
flush unix n - n 1000? 0 flush
proxymap unix - - n - - proxymap
showq unix n - n - - showq
error unix - - n - - error
retry unix - - n - - error
discard unix - - n - - discard
anvil unix - - n - 1 anvil
scache unix - - n - 1 scache
postlog unix-dgram n - n - 1 postlogd
"""

# What the test program's outbox must arrive as: every 0x8D, 0x8A and bare
# CR as "?", the rest as written.
EXPECTED_HEADER = b"Subject: Hello ??X-Injected: yes"
EXPECTED_BODY = [b"before?.?after", b"bare?CR", b"?.?", b"MAIL FROM:<eve@example.org>"]


def bare_lf_refused():
    """Sends a message with a bare LF by hand; True when Postfix refuses it."""
    with socket.create_connection((ADDRESS, 25), timeout=10) as s:
        f = s.makefile("rb")

        def reply():
            while True:
                line = f.readline()
                if line[3:4] != b"-":
                    return line
        reply()
        for cmd in (b"HELO probe\r\n", b"MAIL FROM:<probe@example.org>\r\n", b"RCPT TO:<probe@example.org>\r\n",
                    b"DATA\r\n"):
            s.sendall(cmd)
            reply()
        s.sendall(b"Subject: probe\r\n\r\nbare\nLF\r\n.\r\n")
        answer = reply()
        s.sendall(b"QUIT\r\n")
        return answer.startswith(b"5")


def check_hold_queue(work):
    problems = []
    hold = os.path.join(work, "queue", "hold")
    held = sorted(os.listdir(hold)) if os.path.isdir(hold) else []
    if len(held) != 1:
        return ["%d messages held, 1 expected" % len(held)]
    text = subprocess.run(["postcat", "-c", os.path.join(work, "conf"), "-bh", os.path.join(hold, held[0])],
                          capture_output=True, check=True).stdout
    header, _, body = text.partition(b"\n\n")
    header_lines = header.split(b"\n")
    if EXPECTED_HEADER not in header_lines:
        problems.append("no header line %r in %r" % (EXPECTED_HEADER, header_lines))
    if any(line.lower().startswith(b"x-injected") for line in header_lines):
        problems.append("a header line of its own was injected: %r" % header_lines)
    if body.rstrip(b"\n").split(b"\n") != EXPECTED_BODY:
        problems.append("body %r, expected %r" % (body, EXPECTED_BODY))
    return problems


def postfix(conf, command):
    return subprocess.run(["/usr/sbin/postfix", "-c", conf, command], stdin=subprocess.DEVNULL,
                          capture_output=True).returncode


def stop_postfix(work):
    conf = os.path.join(work, "conf")
    postfix(conf, "stop")
    if peerlib.wait_port_free(ADDRESS, 25, timeout=10.0):
        return
    try:
        pid = int(open(os.path.join(work, "queue", "pid", "master.pid")).read().split()[0])
        os.kill(pid, signal.SIGKILL)
    except (OSError, ValueError, IndexError):
        pass
    peerlib.wait_port_free(ADDRESS, 25, timeout=5.0)


def main():
    work = tempfile.mkdtemp(prefix="zenk_postfix_")
    os.chmod(work, 0o755)  # Postfix's own processes run as user postfix
    conf = os.path.join(work, "conf")
    for sub in ("conf", "queue", "data"):
        os.makedirs(os.path.join(work, sub))
    shutil.chown(os.path.join(work, "data"), user="postfix")
    open(os.path.join(conf, "main.cf"), "w").write(MAIN_CF.format(work=work))
    open(os.path.join(conf, "master.cf"), "w").write(MASTER_CF.format(address=ADDRESS))
    if not peerlib.wait_port_free(ADDRESS, 25, timeout=3.0):
        print("smtp_postfix_runner: %s:25 is already in use" % ADDRESS)
        return 1
    # ctest ends a runner with SIGTERM: Postfix must be stopped all the same.
    signal.signal(signal.SIGTERM, lambda signum, frame: sys.exit(128 + signum))
    try:
        if postfix(conf, "start") != 0 or not peerlib.wait_port(ADDRESS, 25):
            print("smtp_postfix_runner: Postfix did not start")
            return 1
        if not bare_lf_refused():
            print("smtp_postfix_runner: Postfix accepted a bare LF; the strict setting is not in force")
            return 1
        code = peerlib.Peers().run_test(sys.argv[1:], timeout=120)
        problems = check_hold_queue(work)
        for p in problems:
            print("smtp_postfix_runner: FAILED:", p)
        if not problems:
            print("smtp_postfix_runner: Postfix holds exactly one message, line for line as sent")
        if code != 0 or problems:
            log = os.path.join(work, "postfix.log")
            if os.path.exists(log):
                sys.stderr.write(open(log).read()[-3000:])
            return code or 1
        return 0
    finally:
        stop_postfix(work)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
