"""Runs the POP3 client's Wine test against its peers.

    /usr/bin/python3 pop3_runner.py WINE TEST.EXE

Peers, all on the POP3 family's loopback range, port 110:
  127.0.3.1  scripted peer, mode split (records bytes, checks DELE order)
  127.0.3.2  Dovecot, standalone config of its own, Maildir owned by nobody
  127.0.3.3  scripted peer, mode refuse
  127.0.3.4  scripted peer, mode badpass
  127.0.3.5  scripted peer, mode drop
The test finds its work folder in ZENK_POP3_WORK (a Linux path; Z: under Wine).
"""
import os
import pwd
import grp
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
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
    nobody = pwd.getpwnam("nobody").pw_uid
    nogroup = grp.getgrnam("nogroup").gr_gid
    for sub in ("cur", "new", "tmp"):
        os.makedirs(os.path.join(maildir, sub))
    for i, text in enumerate(MAILDIR_MESSAGES):
        path = os.path.join(maildir, "new", "170000000%d.M%dP1.zenktest" % (i, i))
        with open(path, "wb") as f:
            f.write(text)
    for root, dirs, files in os.walk(work):
        for name in dirs + files:
            os.chown(os.path.join(root, name), nobody, nogroup)
    os.chown(work, nobody, nogroup)
    return maildir


def dovecot_config(work, maildir, address):
    users = os.path.join(work, "users")
    with open(users, "w") as f:
        f.write("bob:{PLAIN}secret\n")
    conf = os.path.join(work, "dovecot.conf")
    with open(conf, "w") as f:
        f.write(f"""protocols = pop3
listen = {address}
ssl = no
disable_plaintext_auth = no
auth_mechanisms = plain login
base_dir = {work}/run
state_dir = {work}/state
log_path = {work}/dovecot.log
default_login_user = dovenull
default_internal_user = dovecot
first_valid_uid = 1
mail_location = maildir:{maildir}
auth_failure_delay = 0
passdb {{
  driver = passwd-file
  args = scheme=PLAIN username_format=%u {users}
}}
userdb {{
  driver = static
  args = uid=nobody gid=nogroup home={work}
}}
service pop3-login {{
  inet_listener pop3 {{
    address = {address}
    port = 110
  }}
}}
service anvil {{
  chroot =
}}
""")
    return conf


def main():
    work = tempfile.mkdtemp(prefix="zenk-pop3-")
    os.chmod(work, 0o777)
    try:
        maildir = make_maildir(work)
        conf = dovecot_config(work, maildir, "127.0.3.2")
        with peerlib.Peers() as peers:
            peer = os.path.join(HERE, "pop3_scripted_peer.py")
            for address, mode in (("127.0.3.1", "split"), ("127.0.3.3", "refuse"),
                                  ("127.0.3.4", "badpass"), ("127.0.3.5", "drop")):
                args = [peerlib.PY, peer, address, "110", mode, os.path.join(work, mode + ".record")]
                if mode == "split":
                    args.append(os.path.join(work, "split-inbox.txt"))
                peers.start(mode, args, wait=(address, 110))
            # The scripted peers record the probe connections of wait_port: start clean.
            for mode in ("split", "refuse", "badpass", "drop"):
                path = os.path.join(work, mode + ".record")
                if os.path.exists(path):
                    os.remove(path)
            peers.start("dovecot", ["dovecot", "-F", "-c", conf], wait=("127.0.3.2", 110))
            code = peers.run_test(sys.argv[1:], env={"ZENK_POP3_WORK": work}, timeout=120)
        if code != 0 and os.path.exists(os.path.join(work, "dovecot.log")):
            sys.stderr.write(open(os.path.join(work, "dovecot.log")).read()[-2000:])
        return code
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
