"""FTP peers for the tovan32.dll tests.

    tovan_ftpd.py MODE ADDRESS HOME

MODE:
  normal    pyftpdlib, users alice/secret and bob@target.example/gatepw
            (the user a gateway login sends), failed logins answered at once
  throttled the same, data sent and taken at 256 KiB/s (for aborts)
  nopasv    the same, but PASV is refused (for the active-mode fallback)
  stall     answers the login (USER, PASS, TYPE), opens a data connection
            for PASV and RETR that never carries a byte, answers the first
            NOOP after 300 ms, trickles the answer to SYST a byte every
            250 ms, and answers nothing else
  silent    accepts connections and never says a word
"""
import socket
import sys
import threading
import time

MODE, ADDRESS, HOME = sys.argv[1], sys.argv[2], sys.argv[3]


def pyftpdlib_server():
    from pyftpdlib.authorizers import DummyAuthorizer
    from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
    from pyftpdlib.servers import FTPServer

    auth = DummyAuthorizer()
    auth.add_user("alice", "secret", HOME, perm="elradfmwMT")
    auth.add_user("bob@target.example", "gatepw", HOME, perm="elr")

    class Handler(FTPHandler):
        auth_failed_timeout = 0

        if MODE == "nopasv":
            def ftp_PASV(self, line):
                self.respond("502 PASV not available here.")

    Handler.authorizer = auth
    if MODE == "throttled":
        class Slow(ThrottledDTPHandler):
            read_limit = 256 * 1024
            write_limit = 256 * 1024
        Handler.dtp_handler = Slow
    FTPServer((ADDRESS, 21), Handler).serve_forever()


def passive_listener(held):
    """A data port that accepts and then keeps silent; returns the 227 reply."""
    listener = socket.socket()
    listener.bind((ADDRESS, 0))
    listener.listen(1)
    held.append(listener)

    def take():
        data, _ = listener.accept()
        held.append(data)
    threading.Thread(target=take, daemon=True).start()
    port = listener.getsockname()[1]
    numbers = ADDRESS.replace(".", ",") + ",%d,%d" % (port // 256, port % 256)
    return ("227 Entering Passive Mode (%s).\r\n" % numbers).encode()


def trickle(conn, text):
    for i in range(len(text)):
        time.sleep(0.25)
        conn.sendall(text[i:i + 1])


def stalling_client(conn):
    """Greets, answers the login and opens a silent data connection, then
    keeps reading without a word."""
    held = []  # sockets kept open until the client goes
    answers = {b"USER": lambda: b"331 Password please.\r\n", b"PASS": lambda: b"230 Welcome.\r\n",
               b"TYPE": lambda: b"200 Type set.\r\n", b"PASV": lambda: passive_listener(held),
               b"RETR": lambda: b"150 Here it comes.\r\n",
               b"NOOP": lambda: time.sleep(0.3) or b"200 Late NOOP.\r\n"}
    with conn:
        if MODE == "stall":
            conn.sendall(b"220 Stalling server ready.\r\n")
        data = b""
        while True:
            chunk = conn.recv(4096)
            if not chunk:
                return
            data += chunk
            while MODE == "stall" and b"\n" in data:
                line, data = data.split(b"\n", 1)
                verb = line[:4].upper()
                answer = answers.pop(verb, None)
                if answer:
                    conn.sendall(answer())
                elif verb == b"SYST":
                    trickle(conn, b"215 UNIX Type: L8, sent slowly.\r\n")


def quiet_server():
    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind((ADDRESS, 21))
    listener.listen(8)
    while True:
        conn, _ = listener.accept()
        threading.Thread(target=stalling_client, args=(conn,), daemon=True).start()


if __name__ == "__main__":
    if MODE in ("stall", "silent"):
        quiet_server()
    else:
        pyftpdlib_server()
