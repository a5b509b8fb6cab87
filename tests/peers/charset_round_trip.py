"""8-bit text round trip: zenkmail send --charset, aiosmtpd, Dovecot,
zenkmail fetch and zenkmail scan.

    charset_round_trip.py WINE ZENKMAIL_EXE

One message per language (German in windows-1252, French in iso-8859-1,
Greek in iso-8859-7, Russian in koi8-r, Japanese in UTF-8, and plain
ASCII), each with an 8-bit text, subject and attachment name. Python's
email package must read each stored message as written; then Dovecot
serves them, and `zenkmail scan` must give back the same text (in its own
charset), subject and attachment name: with --charset utf-8 every one
decoded, in the ANSI code page (windows-1252 here) decoded where every
character fits and kept encoded where one does not. Peers are stopped by
PID; the exit code is the number of failed checks.
"""
import email
import email.header
import email.policy
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import dovecot_peer  # noqa: E402
import peerlib  # noqa: E402

ADDRESS, USER, PASSWORD = "127.0.3.23", "bob", "secret"
WINE, EXE = sys.argv[1], sys.argv[2]
ANSI = "windows-1252"  # Wine's ANSI code page for an English or C locale
check = peerlib.Checklist()
failures = check.failures

# (charset, text, subject, attachment name); the recipient tells them apart.
CASES = [
    ("windows-1252", "Gr\u00fc\u00dfe aus M\u00fcnchen, Herr M\u00fcller!\n\u00c4rger mit \u00d6l? 20 \u20ac f\u00fcr \u0160koda.\n",
     "Gr\u00fc\u00dfe aus K\u00f6ln \u2013 \u00c4rger mit \u00d6l", "\u00dcbersicht M\u00e4rz.txt"),
    ("iso-8859-1", "R\u00e9union \u00e0 l'h\u00f4tel, \u00e7a marche ?\nCr\u00e8me br\u00fbl\u00e9e, na\u00efve, No\u00ebl.\n",
     "R\u00e9union \u00e0 l'h\u00f4tel : \u00e7a marche ?", "r\u00e9sum\u00e9 \u00e9t\u00e9.pdf"),
    ("iso-8859-7", "\u039a\u03b1\u03bb\u03b7\u03bc\u03ad\u03c1\u03b1 \u03ba\u03cc\u03c3\u03bc\u03b5\n"
     "\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac \u03b3\u03c1\u03ac\u03bc\u03bc\u03b1\u03c4\u03b1\n",
     "\u0393\u03b5\u03b9\u03ac \u03c3\u03bf\u03c5 \u03ba\u03cc\u03c3\u03bc\u03b5", "\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac.doc"),
    ("koi8-r", "\u041f\u0440\u0438\u0432\u0435\u0442, \u043c\u0438\u0440! \u0421\u044a\u0435\u0448\u044c \u0436\u0435 "
     "\u0435\u0449\u0451 \u044d\u0442\u0438\u0445 \u0431\u0443\u043b\u043e\u043a.\n",
     "\u041e\u0431\u044a\u044f\u0432\u043b\u0435\u043d\u0438\u0435 \u043e \u0441\u043e\u0431\u0440\u0430\u043d\u0438\u0438",
     "\u041e\u0442\u0447\u0451\u0442.xls"),
    ("utf-8", "\u65e5\u672c\u8a9e\u306e\u30c6\u30ad\u30b9\u30c8\u3067\u3059\u3002\n\u78ba\u8a8d\u3057\u3066\u304f\u3060\u3055\u3044\u3002\n",
     "\u78ba\u8a8d\uff1a\u3053\u308c\u306f\u9577\u3044\u4ef6\u540d\u3067\u3001\u8907\u6570\u306e\u5358\u8a9e\u306b"
     "\u5206\u304b\u308c\u3066\u6298\u308a\u8fd4\u3055\u308c\u307e\u3059", "\u5831\u544a\u66f8\u3001\u78ba\u8a8d\u6e08\u307f.txt"),
    ("us-ascii", "Plain ASCII text.\nSecond line.\n", "plain subject", "plain.txt"),
]
ATTACHED = b"attached bytes \x00\xff\r\n"


def same_text(charset, got, want):
    """8-bit texts come back exactly; a 7-bit text keeps the empty line(s)
    that close it in the message body, as 7-bit mail always has."""
    if charset == "us-ascii":
        return got.rstrip("\r\n") == want.rstrip("\r\n")
    return got == want


def winpath(path):
    return "Z:" + path.replace("/", "\\")


# Wine reads the arguments in the Unix locale's charset: UTF-8 here.
ENV = dict(os.environ, LANG="C.UTF-8", LC_ALL="C.UTF-8")


def run(*args, cwd=None, timeout=60):
    """Runs zenkmail; a run that does not end in time counts as failed
    (subprocess kills it)."""
    try:
        p = subprocess.run([WINE, EXE] + list(args), capture_output=True, timeout=timeout, env=ENV, cwd=cwd)
    except subprocess.TimeoutExpired:
        return -1, b"", "zenkmail %s did not end within %d s" % (args[0], timeout)
    peerlib.relay_wine_log(p.stderr.decode("latin-1"))
    return p.returncode, p.stdout, p.stderr.decode("latin-1")




def check_stored(maildir):
    """Python's email package reads every stored message as written."""
    seen = {}
    for sub in ("new", "cur"):
        for name in os.listdir(os.path.join(maildir, sub)):
            data = open(os.path.join(maildir, sub, name), "rb").read()
            m = email.message_from_bytes(data, policy=email.policy.default)
            seen[str(m["to"])] = (m, data)
    for i, (charset, text, subject, filename) in enumerate(CASES):
        label = "%s stored" % charset
        m, data = seen.get("case%d@example.org" % i, (None, b""))
        if m is None:
            check(label + ": message arrived", False)
            continue
        check(label + ": 7-bit bytes only", all(b < 0x80 for b in data))
        check(label + ": subject", str(m["subject"]) == subject, repr(str(m["subject"])))
        body = m.get_body(("plain",))
        check(label + ": text charset", body.get_content_charset() == charset, str(body["content-type"]))
        got = body.get_content().replace("\r\n", "\n")
        check(label + ": text", same_text(charset, got, text), "%r\n%r" % (got, text))
        files = [(p.get_filename(), p.get_content()) for p in m.iter_attachments()]
        check(label + ": attachment name and bytes", files == [(filename, ATTACHED)], repr(files))


def records(out):
    """Each scanned record as {field: value bytes, 'text': bytes}, by recipient."""
    found, current = {}, None
    for line in out.split(b"\n"):
        line = line.rstrip(b"\r")
        if line.startswith(b"Message "):
            current = {"text": [], "attachments": []}
        elif current is None:
            continue
        elif line.startswith(b"    |"):
            current["text"].append(line[6:])
        elif line.startswith(b"  Attachment: "):
            current["attachments"].append(line[14:].rsplit(b" (", 1)[0])
        elif line.startswith(b"  ") and b": " in line:
            key, value = line[2:].split(b": ", 1)
            current[key.decode()] = value
            if key == b"To":
                found[value.decode()] = current
    return found


def percent_escaped(data):
    return "".join(chr(b) if 32 <= b < 127 and b != 0x25 else "%%%02X" % b for b in data)


def check_scanned(label, out, target):
    """The scanner gives back text, subject and name; target None: the ANSI page."""
    found = records(out)
    for i, (charset, text, subject, filename) in enumerate(CASES):
        what = "%s scanned into %s" % (charset, target or "the ANSI code page")
        r = found.get("case%d@example.org" % i)
        if r is None:
            check(what + ": record", False, out.decode("latin-1"))
            continue
        check(what + ": text charset", r["Charset"].decode() == charset, repr(r["Charset"]))
        got = b"".join(l + b"\r\n" for l in r["text"]).decode(charset, "replace")
        check(what + ": text", same_text(charset, got, text.replace("\n", "\r\n")), "%r\n%r" % (got, text))
        page = target or ANSI
        try:
            want_subject, want_name = subject.encode(page), filename.encode(page)
        except UnicodeEncodeError:
            want_subject, want_name = None, percent_escaped(filename.encode(charset)).encode()
        if want_subject is not None:
            check(what + ": subject decoded", r["Subject"] == want_subject, repr(r["Subject"]))
        else:
            raw = r["Subject"].decode("ascii", "replace")
            back = str(email.header.make_header(email.header.decode_header(raw)))
            check(what + ": subject kept encoded", raw.startswith("=?") and back == subject, raw)
        names = [os.path.basename(a.replace(b"\\", b"/")) for a in r["attachments"]]
        check(what + ": attachment name", names == [want_name], "%r %r" % (names, want_name))


def main():
    work = tempfile.mkdtemp(prefix="zenk-charset-")
    os.chmod(work, 0o777)
    try:
        maildir = os.path.join(work, "Maildir")
        with peerlib.Peers() as peers:
            peers.start("aiosmtpd", [peerlib.PY, "-m", "aiosmtpd", "-n", "-l", ADDRESS + ":25",
                                     "-c", "smtp_maildir_handler.ExactMaildir", maildir],
                        wait=(ADDRESS, 25), env=dict(os.environ, PYTHONPATH=HERE))
            sends = []
            for i, (charset, text, subject, filename) in enumerate(CASES):
                folder = os.path.join(work, "files%d" % i)
                os.makedirs(folder)
                with open(os.path.join(folder, filename), "wb") as f:
                    f.write(ATTACHED)
                with open(os.path.join(folder, "text.txt"), "wb") as f:
                    f.write(text.encode(charset))
                sends.append((folder, ["send", "--server", ADDRESS, "--from", "alice@example.org",
                                       "--to", "case%d@example.org" % i, "--charset", charset,
                                       "--subject", subject, "--text", winpath(os.path.join(folder, "text.txt")),
                                       "--attach", winpath(os.path.join(folder, filename))]))
            # One after the other: each composes in its own folder, where
            # its scratch file goes.
            for (charset, *_), (folder, args) in zip(CASES, sends):
                rc, out, err = run(*args, cwd=folder)
                check("send %s" % charset, rc == 0, out.decode("latin-1") + err)
            peers.stop("aiosmtpd")
        for name in os.listdir(maildir):
            if name.endswith(".envelope"):
                os.remove(os.path.join(maildir, name))
        check_stored(maildir)

        conf = dovecot_peer.write_config(work, maildir, ADDRESS, USER, PASSWORD)
        inbox = os.path.join(work, "inbox.txt")
        with peerlib.Peers() as peers:
            peers.start("dovecot", ["dovecot", "-F", "-c", conf], wait=(ADDRESS, 110))
            rc, out, err = run("fetch", "--server", ADDRESS, "--user", USER, "--password", PASSWORD,
                               "--inbox", winpath(inbox))
            check("fetch", rc == 0, out.decode("latin-1") + err)
        for target in ("utf-8", None):
            folder = os.path.join(work, "att-%s" % (target or "ansi"))
            os.makedirs(folder)
            args = ["scan", "--inbox", winpath(inbox), "--attachments", winpath(folder)]
            rc, out, err = run(*(args + (["--charset", target] if target else [])))
            check("scan into %s" % (target or "the ANSI code page"), rc == 0, out.decode("latin-1") + err)
            check_scanned("scan", out, target)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print("%d failed check(s)" % len(failures))
    return min(len(failures), 100)


if __name__ == "__main__":
    sys.exit(main())
