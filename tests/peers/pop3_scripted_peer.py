"""A small scripted POP3 server for the POP3 client's Wine tests.

    /usr/bin/python3 pop3_scripted_peer.py HOST PORT MODE RECORD [INBOX]

Serves connections one after another. Every byte the client sends is
appended to RECORD exactly as received. Modes:

  split   a mailbox of two messages; every reply is cut into pieces sent
          apart (so they arrive as separate chunks): the greeting in two,
          the RETR status line together with the first text bytes, a line
          longer than a stream chunk, and the end line "." split across
          chunks. On DELE n it checks that the inbox file INBOX already
          holds message n followed by "END MESSAGE" and records
          "#DELE n stored" or "#DELE n NOT STORED".
  refuse  answers the greeting with "-ERR".
  badpass rejects the password.
  drop    closes the connection in the middle of the first message.
  silent  accepts and never answers; records "#closed" when the client
          closes the connection.
  longerr greets with one 200 KB line: "-ERR", then " +OK" over and over;
          then answers every command with "+OK" (a client that took a
          piece of the greeting for a reply would go on to log in).
  retrerr two messages; RETR 2 is answered "-ERR no such message".
  huge    STAT announces 2147483648 messages; message 1 holds a line of
          1 MiB; RETR 2 is answered "-ERR no such message". With DELE it
          checks the inbox as split does.
  junk    answers PASS with "OK fine", which is neither +OK nor -ERR.
  stall   two messages; message 1 whole, then RETR 2 gets its status line
          and part of the text, and the server goes silent; records
          "#closed" when the client closes. With DELE it checks the inbox
          as split does.
  corpus  messages that test the inbox bytes: dot lines, lines reading
          like the inbox's markers or replies, a 300 KB line, every byte
          value, an empty message; each sent dot-stuffed in pieces of
          random size. With DELE it checks the inbox as split does. At
          start it writes the inbox the client must produce to INBOX
          with ".expected" appended.
"""
import random
import os
import socket
import sys
import time

HOST, PORT, MODE, RECORD = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
INBOX = sys.argv[5] if len(sys.argv) > 5 else None

LONG = b"x" * 1500
MESSAGES = [
    b"Subject: one\r\n\r\n..dotted\r\n" + LONG + b"\r\nend one\r\n",
    b"Subject: two\r\n\r\nsecond\r\n",
]
if MODE == "huge":
    MESSAGES = [b"Subject: huge\r\n\r\n" + bytes(range(33, 127)) * 11155 + b"\r\n-ERR not a reply\r\n"]
if MODE == "corpus":
    BINARY = bytes(b for b in range(256) if b not in (10, 13)) * 40
    MESSAGES = [
        b"Subject: dots\r\n\r\n.\r\n..\r\n.leading dot\r\n. \r\nlast\r\n",
        b"Subject: markers\r\n\r\nEND MESSAGE\r\nBEGIN MESSAGE\r\nLetters : 7\r\n+OK 1 2\r\n-ERR no\r\n",
        b"Subject: long\r\n\r\n" + b"L" * 300000 + b"\r\nshort\r\n" + b"M" * 70000 + b"\r\n",
        b"Subject: binary\r\n\r\n" + BINARY + b"\r\nCR\ronly\r\nLF\nonly\r\n",
        b"",
    ]


def stuffed(text):
    """The message as a POP3 server sends it: lines starting "." get another."""
    lines = text.split(b"\r\n")
    return b"\r\n".join(b"." + l if l.startswith(b".") else l for l in lines)
GAP = 0.08  # seconds between pieces: long enough to arrive as separate chunks


def record(data):
    with open(RECORD, "ab") as f:
        f.write(data)


def send_pieces(conn, *pieces):
    for i, piece in enumerate(pieces):
        if i:
            time.sleep(GAP)
        conn.sendall(piece)


def stored(n):
    """Message n and its END MESSAGE line are in the inbox file."""
    try:
        with open(INBOX, "rb") as f:
            data = f.read()
    except OSError:
        return False
    sent = stuffed(MESSAGES[n - 1]) if MODE == "corpus" else MESSAGES[n - 1]
    return (sent + b".\r\nEND MESSAGE\r\n") in data


def serve(conn):
    if MODE == "silent":
        while True:
            data = conn.recv(4096)
            if not data:
                record(b"#closed\r\n")
                return
            record(data)
    if MODE == "refuse":
        conn.sendall(b"-ERR go away\r\n")
    elif MODE == "longerr":
        conn.sendall(b"-ERR" + b" +OK" * 50000 + b"\r\n")
    else:
        send_pieces(conn, b"+OK scr", b"ipted ready\r\n")
    buf = b""
    while True:
        data = conn.recv(4096)
        if not data:
            return
        record(data)
        buf += data
        while b"\r\n" in buf:
            line, buf = buf.split(b"\r\n", 1)
            words = line.split(b" ")
            cmd = words[0].upper()
            if MODE == "longerr":
                conn.sendall(b"+OK bye\r\n" if cmd == b"QUIT" else b"+OK\r\n")
                if cmd == b"QUIT":
                    return
            elif cmd == b"USER":
                conn.sendall(b"+OK\r\n")
            elif cmd == b"PASS":
                conn.sendall({"badpass": b"-ERR wrong\r\n", "junk": b"OK fine\r\n"}.get(MODE, b"+OK in\r\n"))
            elif cmd == b"STAT":
                size = sum(len(m) for m in MESSAGES)
                count = 2147483648 if MODE == "huge" else len(MESSAGES)
                send_pieces(conn, b"+OK %d" % count, b" %d\r\n" % size)
            elif cmd == b"RETR" and (MODE in ("retrerr", "huge") and int(words[1]) == 2):
                conn.sendall(b"-ERR no such message\r\n")
            elif cmd == b"RETR" and MODE == "stall" and int(words[1]) == 2:
                conn.sendall(b"+OK %d octets\r\n" % len(MESSAGES[1]) + MESSAGES[1][:9])
                while True:  # silent from here on; the client has to give up
                    data = conn.recv(4096)
                    if not data:
                        record(b"#closed\r\n")
                        return
                    record(data)
            elif cmd == b"RETR" and MODE == "corpus":
                text = stuffed(MESSAGES[int(words[1]) - 1]) + b".\r\n"
                status = b"+OK %d octets\r\n" % len(text)
                data, at = status + text, 0
                while at < len(data):
                    n = RANDOM.randint(1, 200000)
                    conn.sendall(data[at:at + n])
                    at += n
                    if RANDOM.random() < 0.2:
                        time.sleep(0.01)
            elif cmd == b"RETR" and MODE == "huge":
                conn.sendall(b"+OK %d octets\r\n" % len(MESSAGES[0]) + MESSAGES[0] + b".\r\n")
            elif cmd == b"RETR":
                n = int(words[1])
                text = MESSAGES[n - 1]
                if MODE == "drop":
                    conn.sendall(b"+OK\r\n" + text[:10])
                    time.sleep(GAP)
                    conn.shutdown(socket.SHUT_RDWR)
                    return
                # Status line with the first text bytes; 900 bytes of the long
                # line without CR LF; the end line split after its ".".
                send_pieces(conn, b"+OK %d octets\r\n" % len(text) + text[:20], text[20:300],
                            text[300:1200], text[1200:] + b".", b"\r", b"\n")
            elif cmd == b"DELE":
                n = int(words[1])
                record(b"#DELE %d %s\r\n" % (n, b"stored" if stored(n) else b"NOT STORED"))
                conn.sendall(b"+OK deleted\r\n")
            elif cmd == b"QUIT":
                conn.sendall(b"+OK bye\r\n")
                return
            else:
                conn.sendall(b"-ERR unknown\r\n")


RANDOM = random.Random(1939)


def main():
    if MODE == "corpus" and INBOX:
        with open(INBOX + ".expected", "wb") as f:
            f.write(b"Letters : %d\r\n" % len(MESSAGES))
            for m in MESSAGES:
                f.write(b"BEGIN MESSAGE\r\n" + stuffed(m) + b".\r\nEND MESSAGE\r\n")
    srv = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    srv.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    srv.bind((HOST, PORT))
    srv.listen(4)
    while True:
        conn, _ = srv.accept()
        conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        try:
            serve(conn)
        except OSError:
            pass
        finally:
            conn.close()


if __name__ == "__main__":
    main()
