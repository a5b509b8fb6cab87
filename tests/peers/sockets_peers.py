"""Peers for the endpoint tests: a TCP server on 127.0.1.2 that can hold
data back with a tiny receive window, close early, or send a burst.

    sockets_peers.py serve          run the peer (until killed)
    sockets_peers.py run CMD...     start the peer, run CMD, stop the peer

Ports (one behaviour each, a thread per connection):
  47401 hold:  receive window shrunk to 2 KB, reads nothing for HOLD_SECONDS,
               then reads HOLD_BYTES and answers "OK n" or "BAD i" after
               checking byte i against the pattern of the test programs.
  47402 bye:   sends "bye\\r\\n" and closes at once.
  47403 burst: sends BURST_BYTES of the pattern at once and closes.
  47404 reset: reads 10 bytes, then closes with a reset (linger 0).
"""
import os
import socket
import struct
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import peerlib  # noqa: E402

HOST = "127.0.1.2"
HOLD_PORT, BYE_PORT, BURST_PORT, RESET_PORT = 47401, 47402, 47403, 47404
HOLD_SECONDS = 1.0
HOLD_BYTES = 400 * 1024
BURST_BYTES = 100000


def pattern(i):
    """Byte i of a test stream; the same formula as socktest::Pattern."""
    return (i * 7 + i // 251) & 0xFF


def hold(conn):
    time.sleep(HOLD_SECONDS)
    got = 0
    while got < HOLD_BYTES:
        data = conn.recv(65536)
        if not data:
            return  # a probe, or a client that gave up
        for k, b in enumerate(data):
            if b != pattern(got + k):
                conn.sendall(b"BAD %d\r\n" % (got + k))
                return
        got += len(data)
    conn.sendall(b"OK %d\r\n" % got)
    conn.recv(16)  # until the client closes


def bye(conn):
    conn.sendall(b"bye\r\n")


def burst(conn):
    conn.sendall(bytes(pattern(i) for i in range(BURST_BYTES)))


def reset(conn):
    got = b""
    while len(got) < 10:
        data = conn.recv(10 - len(got))
        if not data:
            return
        got += data
    conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))


def serve():
    plan = [(HOLD_PORT, hold, 2048), (BYE_PORT, bye, None), (BURST_PORT, burst, None),
            (RESET_PORT, reset, None)]
    for port, handler, rcvbuf in plan:
        threading.Thread(target=peerlib.serve_tcp, args=(HOST, port, handler, rcvbuf), daemon=True).start()
    while True:
        time.sleep(3600)


def run(argv):
    with peerlib.Peers() as peers:
        peers.start("sockets", [peerlib.PY, os.path.abspath(__file__), "serve"],
                    wait=(HOST, RESET_PORT))
        for port in (HOLD_PORT, BYE_PORT, BURST_PORT):
            if not peerlib.wait_port(HOST, port):
                print(f"sockets peer: port {port} not listening", file=sys.stderr)
                return 1
        return peers.run_test(argv, env={"ZENK_SOCKETS_PEER": HOST})


if __name__ == "__main__":
    if sys.argv[1:2] == ["serve"]:
        serve()
    elif sys.argv[1:2] == ["run"]:
        sys.exit(run(sys.argv[2:]))
    else:
        sys.exit(__doc__)
