"""A small scripted SMTP server that records the exact bytes it receives.

    smtp_scripted_peer.py RECORD_DIR ADDRESS=SCENARIO [ADDRESS=SCENARIO ...]

Listens on port 25 of every ADDRESS, each with its own behaviour:
  split   greeting and replies in pieces (a multi-line greeting in two
          chunks, every other reply cut in the middle of its line, a
          multi-line reply to HELO); otherwise a normal server
  refuse  refuses the first RCPT of every message with 550
  silent  accepts the connection and never says anything
  reject  greets with 554, answers QUIT with 221
  hangup  greets, then closes the connection when HELO arrives
Each connection's received bytes go to RECORD_DIR/ADDRESS-N.bin (N counts
from 1), flushed as they arrive.
"""
import os
import socket
import sys
import threading
import time


class Connection:
    def __init__(self, sock, scenario, record_path):
        self.sock = sock
        self.scenario = scenario
        self.record = open(record_path, "wb")
        self.buffer = b""
        self.replies = 0
        self.rcpts = 0

    def recv_line(self):
        while b"\n" not in self.buffer:
            data = self.sock.recv(4096)
            if not data:
                return None
            self.record.write(data)
            self.record.flush()
            self.buffer += data
        line, _, self.buffer = self.buffer.partition(b"\n")
        return line + b"\n"

    def send(self, text):
        data = text.encode("ascii")
        self.replies += 1
        if self.scenario == "split" and self.replies % 2 == 0 and len(data) > 4:
            cut = len(data) // 2
            self.sock.sendall(data[:cut])
            time.sleep(0.15)
            self.sock.sendall(data[cut:])
        else:
            self.sock.sendall(data)

    def run(self):
        s = self.scenario
        if s == "silent":
            while self.recv_line() is not None:
                pass
            return
        if s == "reject":
            self.send("554 no service here\r\n")
        elif s == "split":
            self.sock.sendall(b"220-zenk scripted peer\r\n")
            time.sleep(0.2)
            self.sock.sendall(b"220-more greeting\r\n220 ready\r\n")
        else:
            self.send("220 zenk scripted peer\r\n")
        while True:
            line = self.recv_line()
            if line is None:
                return
            verb = line[:4].upper()
            if verb == b"HELO":
                if s == "hangup":
                    return
                if s == "split":
                    self.sock.sendall(b"250-hello\r\n250-pleased\r\n250 to meet you\r\n")
                else:
                    self.send("250 hello\r\n")
            elif verb == b"MAIL":
                self.rcpts = 0
                self.send("250 sender ok\r\n")
            elif verb == b"RCPT":
                self.rcpts += 1
                if s == "refuse" and self.rcpts == 1:
                    self.send("550 no such user\r\n")
                else:
                    self.send("250 recipient ok\r\n")
            elif verb == b"DATA":
                self.send("354 end with <CRLF>.<CRLF>\r\n")
                while True:
                    data_line = self.recv_line()
                    if data_line is None:
                        return
                    if data_line == b".\r\n":
                        break
                self.send("250 message queued\r\n")
            elif verb == b"QUIT":
                self.send("221 bye\r\n")
                return
            else:
                self.send("500 what\r\n")

    def close(self):
        self.record.close()
        try:
            self.sock.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        self.sock.close()


def serve(address, scenario, record_dir):
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind((address, 25))
    listener.listen(8)
    count = 0
    while True:
        sock, _ = listener.accept()
        count += 1
        conn = Connection(sock, scenario, os.path.join(record_dir, "%s-%d.bin" % (address, count)))

        def run(c=conn):
            try:
                c.run()
            except OSError:
                pass
            finally:
                c.close()

        threading.Thread(target=run, daemon=True).start()


def main():
    record_dir = sys.argv[1]
    os.makedirs(record_dir, exist_ok=True)
    threads = []
    for entry in sys.argv[2:]:
        address, scenario = entry.split("=")
        t = threading.Thread(target=serve, args=(address, scenario, record_dir), daemon=True)
        t.start()
        threads.append(t)
    for t in threads:
        t.join()


if __name__ == "__main__":
    main()
