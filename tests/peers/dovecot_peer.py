"""Standalone Dovecot POP3 configuration for tests and the demo.

Nothing is read from /etc/dovecot: base, state and log folders lie under
the given work folder, one passwd-file user, a static userdb as nobody
(Dovecot refuses uid 0 for mail, so the Maildir must be owned by nobody).

    /usr/bin/python3 dovecot_peer.py WORK MAILDIR ADDRESS USER PASSWORD
writes WORK/dovecot.conf, gives the Maildir to nobody and prints the
config path; start the server with `dovecot -F -c CONF`.
"""
import grp
import os
import pwd
import sys


def give_to_nobody(path):
    """Dovecot serves mail as nobody: the tree must belong to it."""
    uid, gid = pwd.getpwnam("nobody").pw_uid, grp.getgrnam("nogroup").gr_gid
    os.chown(path, uid, gid)
    for root, dirs, files in os.walk(path):
        for name in dirs + files:
            os.chown(os.path.join(root, name), uid, gid)


def tls_settings(tls):
    if not tls:
        return "ssl = no"
    return f"ssl = yes\nssl_cert = <{tls[0]}\nssl_key = <{tls[1]}\nssl_min_protocol = TLSv1.2"


def tls_listener(address, tls):
    if not tls:
        return ""
    return f"""  inet_listener pop3s {{
    address = {address}
    port = {tls[2]}
    ssl = yes
  }}"""


def write_config(work, maildir, address, user, password, port=110, tls=None):
    """tls: (certificate file, key file, TLS port) for STLS on port and TLS
    from the first byte on the TLS port; None: clear text only."""
    for sub in ("cur", "new", "tmp"):
        os.makedirs(os.path.join(maildir, sub), exist_ok=True)
    give_to_nobody(maildir)
    users = os.path.join(work, "dovecot.users")
    with open(users, "w") as f:
        f.write(f"{user}:{{PLAIN}}{password}\n")
    conf = os.path.join(work, "dovecot.conf")
    with open(conf, "w") as f:
        f.write(f"""protocols = pop3
listen = {address}
{tls_settings(tls)}
disable_plaintext_auth = no
auth_mechanisms = plain login
base_dir = {work}/dovecot-run
state_dir = {work}/dovecot-state
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
  args = uid=nobody gid=nogroup home={maildir}
}}
service pop3-login {{
  inet_listener pop3 {{
    address = {address}
    port = {port}
  }}
{tls_listener(address, tls)}
}}
service anvil {{
  chroot =
}}
""")
    return conf


if __name__ == "__main__":
    if len(sys.argv) != 6:
        sys.exit(__doc__)
    print(write_config(*sys.argv[1:6]))
