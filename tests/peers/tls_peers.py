"""TLS servers for the channel tests, on 127.0.15.1, with a private CA and
certificates that openssl makes at every run in a folder of their own.

    tls_peers.py serve DIR      run the servers with the files in DIR (until killed)
    tls_peers.py run CMD...     make the files, start the servers, run CMD, stop

Ports (a thread per connection):
  47501 echo:  TLS 1.2+, certificate for mail.test; sends back what it gets,
               answers close_notify with close_notify.
  47502 drip:  TLS 1.2+, sends DRIP_BYTES of the test pattern in records of
               many sizes, each record cut into small TCP writes, then
               close_notify, then closes.
  47503 old:   TLS 1.0 and 1.1 only.
  47504 plain: no TLS at all: an SMTP greeting, then silence.
  47505 cut:   reads the ClientHello, answers with half a ServerHello, hangs up.

Files (in DIR, passed to the test as a Windows path in ZENK_TLS_FILES):
  ca.pem, ca.der  the CA that signed server.pem
  rogue.pem       a CA that signed nothing the servers use
  bundle.pem      rogue.pem, then ca.pem
"""
import functools
import os
import shutil
import socket
import ssl
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import peerlib  # noqa: E402

HOST = "127.0.15.1"
ECHO_PORT, DRIP_PORT, OLD_PORT, PLAIN_PORT, CUT_PORT = 47501, 47502, 47503, 47504, 47505
DRIP_BYTES = 200000


def pattern(n):
    """The first n bytes of the test stream; the same formula as the test program."""
    return bytes((i * 7 + i // 251) & 0xFF for i in range(n))


def openssl(*args, cwd):
    subprocess.run(["openssl", *args], cwd=cwd, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def make_files(folder):
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for ca in ("ca", "rogue"):
        openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                "-keyout", f"{ca}.key", "-out", f"{ca}.pem", "-subj", f"/CN=Zenk test {ca}",
                "-addext", "basicConstraints=critical,CA:TRUE",
                "-addext", "keyUsage=critical,keyCertSign,cRLSign", cwd=folder)
    openssl("x509", "-in", "ca.pem", "-outform", "DER", "-out", "ca.der", cwd=folder)
    with open(os.path.join(folder, "bundle.pem"), "w") as bundle:
        for ca in ("rogue", "ca"):
            with open(os.path.join(folder, f"{ca}.pem")) as f:
                bundle.write(f"# {ca}\n" + f.read())
    openssl("req", "-newkey", "rsa:2048", "-nodes", "-keyout", "server.key", "-out", "server.csr",
            "-subj", "/CN=mail.test", cwd=folder)
    with open(os.path.join(folder, "server.ext"), "w") as f:
        f.write("subjectAltName=DNS:mail.test\nextendedKeyUsage=serverAuth\n"
                "basicConstraints=CA:FALSE\nkeyUsage=digitalSignature,keyEncipherment\n")
    openssl("x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
            "-CAcreateserial", "-days", "2", "-extfile", "server.ext", "-out", "server.pem", cwd=folder)


def context(folder, old=False):
    ctx = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    ctx.load_cert_chain(os.path.join(folder, "server.pem"), os.path.join(folder, "server.key"))
    if old:
        ctx.set_ciphers("DEFAULT:@SECLEVEL=0")
        ctx.minimum_version = ssl.TLSVersion.TLSv1
        ctx.maximum_version = ssl.TLSVersion.TLSv1_1
    else:
        ctx.minimum_version = ssl.TLSVersion.TLSv1_2
    return ctx


def echo(conn, ctx):
    tls = ctx.wrap_socket(conn, server_side=True)
    while True:
        data = tls.recv(65536)
        if not data:  # close_notify (or a cut connection)
            break
        tls.sendall(data)
    tls.unwrap()


def drip(conn, ctx):
    """Writes records through a memory BIO so that each record's bytes can be
    sent in pieces that cut headers and bodies at every offset."""
    conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    incoming, outgoing = ssl.MemoryBIO(), ssl.MemoryBIO()
    tls = ctx.wrap_bio(incoming, outgoing, server_side=True)

    def flush(piece_sizes):
        data = outgoing.read()
        k = 0
        while data:
            n = piece_sizes[k % len(piece_sizes)]
            conn.sendall(data[:n])
            data = data[n:]
            k += 1
            if k % 64 == 0:
                time.sleep(0.001)  # let the pieces arrive as separate receives

    while True:
        try:
            tls.do_handshake()
            break
        except ssl.SSLWantReadError:
            flush([65536])
            data = conn.recv(65536)
            if not data:
                return
            incoming.write(data)
    flush([65536])
    stream = pattern(DRIP_BYTES)
    sizes = [1, 2, 5, 100, 3000, 16384, 7, 9000]
    at, k = 0, 0
    while at < len(stream):
        n = sizes[k % len(sizes)]
        tls.write(stream[at:at + n])
        flush([1, 3, 4, 5, 6, 200, 1500])
        at += n
        k += 1
    try:
        tls.unwrap()
    except ssl.SSLWantReadError:
        pass  # the close_notify is out; the client's answer is not awaited
    flush([2, 3])


def old(conn, ctx):
    try:
        ctx.wrap_socket(conn, server_side=True).recv(1)
    except (ssl.SSLError, OSError):
        pass


def plain(conn, ctx):
    conn.sendall(b"220 mail.test ESMTP ready\r\n")
    conn.recv(65536)
    time.sleep(5)  # silence: the client must decide on what it has


def cut(conn, ctx):
    incoming, outgoing = ssl.MemoryBIO(), ssl.MemoryBIO()
    tls = ctx.wrap_bio(incoming, outgoing, server_side=True)
    incoming.write(conn.recv(65536))
    try:
        tls.do_handshake()
    except ssl.SSLWantReadError:
        pass
    flight = outgoing.read()
    conn.sendall(flight[:len(flight) // 2])


def serve(folder):
    plan = [(ECHO_PORT, echo, context(folder)), (DRIP_PORT, drip, context(folder)),
            (OLD_PORT, old, context(folder, old=True)), (PLAIN_PORT, plain, None),
            (CUT_PORT, cut, context(folder))]
    for port, handler, ctx in plan:
        # ssl.SSLError is an OSError: a failed handshake ends only its connection.
        threading.Thread(target=peerlib.serve_tcp, args=(HOST, port, functools.partial(handler, ctx=ctx)),
                         daemon=True).start()
    while True:
        time.sleep(3600)


def run(argv):
    folder = os.path.abspath("tls_peer_files")
    make_files(folder)
    with peerlib.Peers() as peers:
        peers.start("tls", [peerlib.PY, os.path.abspath(__file__), "serve", folder],
                    wait=(HOST, OLD_PORT))
        for port in (ECHO_PORT, DRIP_PORT, PLAIN_PORT, CUT_PORT):
            if not peerlib.wait_port(HOST, port):
                print(f"tls peer: port {port} not listening", file=sys.stderr)
                return 1
        return peers.run_test(argv, env={"ZENK_TLS_PEER": HOST,
                                         "ZENK_TLS_FILES": "Z:" + folder.replace("/", "\\")})


if __name__ == "__main__":
    if sys.argv[1:2] == ["serve"]:
        serve(sys.argv[2])
    elif sys.argv[1:2] == ["run"]:
        sys.exit(run(sys.argv[2:]))
    else:
        sys.exit(__doc__)
