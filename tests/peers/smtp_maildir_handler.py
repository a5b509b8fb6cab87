"""aiosmtpd handler that stores each message byte for byte into a Maildir.

aiosmtpd's own Mailbox handler rewrites messages (line ends, added
headers); this one writes envelope.original_content unchanged into tmp/
and renames it into new/, as Maildir delivery does.

    /usr/bin/python3 -m aiosmtpd -n -l 127.0.2.1:25 \
        -c smtp_maildir_handler.ExactMaildir /path/to/Maildir
(with this folder on PYTHONPATH)
"""
import os
import time


class ExactMaildir:
    def __init__(self, maildir):
        self.maildir = maildir
        for sub in ("tmp", "new", "cur"):
            os.makedirs(os.path.join(maildir, sub), exist_ok=True)
        self.count = 0

    @classmethod
    def from_cli(cls, parser, *args):
        if len(args) != 1:
            parser.error("ExactMaildir takes the Maildir path")
        return cls(args[0])

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        name = "%d.%d_%d.zenk" % (time.time_ns(), os.getpid(), self.count)
        tmp = os.path.join(self.maildir, "tmp", name)
        with open(tmp, "wb") as f:
            f.write(envelope.original_content)
        os.rename(tmp, os.path.join(self.maildir, "new", name))
        # The envelope beside it, for tests that check MAIL and RCPT.
        with open(os.path.join(self.maildir, name + ".envelope"), "w") as f:
            f.write("%s\n%s\n" % (envelope.mail_from, " ".join(envelope.rcpt_tos)))
        return "250 OK"
