"""FTP peers for the tovan32.dll tests.

    tovan_ftpd.py MODE ADDRESS HOME

MODE:
  normal    pyftpdlib, users alice/secret and bob@target.example/gatepw
            (the user a gateway login sends), failed logins answered at once
  throttled the same, data sent and taken at 256 KiB/s (for aborts)
  nopasv    the same, but PASV is refused (for the active-mode fallback)
  stall     answers the login (USER, PASS, TYPE) and then nothing at all
  silent    accepts connections and never says a word
"""
import socket
import sys
import threading

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


def stalling_client(conn):
    """Greets and answers the login, then keeps reading without a word."""
    answers = {b"USER": b"331 Password please.\r\n", b"PASS": b"230 Welcome.\r\n",
               b"TYPE": b"200 Type set.\r\n"}
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
                reply = answers.pop(line[:4].upper(), None)
                if reply:
                    conn.sendall(reply)


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
