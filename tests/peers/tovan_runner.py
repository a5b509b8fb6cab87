"""Runs tovan_ftp_test.exe against real FTP peers on 127.0.4.x.

    tovan_runner.py WINE TEST.EXE

Makes a server home and a local folder under a temporary folder, starts the
peers of tovan_ftpd.py, runs the test with TOVAN_TIMEOUT=3 and the two
folders in its environment, stops the peers and removes the folders.
"""
import os
import random
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import peerlib  # noqa: E402

SERVERS = [("normal", "127.0.4.1"), ("throttled", "127.0.4.2"), ("nopasv", "127.0.4.3"),
           ("stall", "127.0.4.4"), ("silent", "127.0.4.5")]


def make_home(home):
    rnd = random.Random(4)
    with open(os.path.join(home, "text.txt"), "wb") as f:
        f.write(b"first line\nsecond line\n\nlast line\n")
    with open(os.path.join(home, "binary.bin"), "wb") as f:
        f.write(bytes(rnd.getrandbits(8) for _ in range(300_000)) + b"\r\n\n\r\x00\x1a")
    with open(os.path.join(home, "big.bin"), "wb") as f:
        f.write(os.urandom(1 << 20) * 8)
    with open(os.path.join(home, "huge.bin"), "wb") as f:
        f.truncate(1 << 30)  # sparse: costs no disk, takes seconds even on loopback
    devices = os.path.join(home, "devices")  # names Windows would open as devices
    os.mkdir(devices)
    for name in ("nul.txt", "COM1", "con", "trail."):
        with open(os.path.join(devices, name), "wb") as f:
            f.write(b"x")
    sub = os.path.join(home, "sub")
    os.mkdir(sub)
    for name, text in (("a1.txt", b"a1\r\n"), ("a2.txt", b"a2\r\n"), ("b1.bin", b"\x00b1")):
        with open(os.path.join(sub, name), "wb") as f:
            f.write(text)


def main():
    root = tempfile.mkdtemp(prefix="tovan-")
    home, local = os.path.join(root, "home"), os.path.join(root, "local")
    os.mkdir(home)
    os.mkdir(local)
    make_home(home)
    script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "tovan_ftpd.py")
    try:
        with peerlib.Peers() as peers:
            for mode, address in SERVERS:
                peers.start(mode, [peerlib.PY, script, mode, address, home], wait=(address, 21),
                            log=os.path.join(root, mode + ".log"))
            env = {"TOVAN_TIMEOUT": "3", "TOVAN_TEST_HOME": home, "TOVAN_TEST_LOCAL": local}
            code = peers.run_test(sys.argv[1:], env=env, timeout=180)
        if code != 0:
            for mode, _ in SERVERS:
                log = os.path.join(root, mode + ".log")
                if os.path.exists(log) and os.path.getsize(log):
                    print(f"--- {mode} server log (tail)")
                    print(open(log, errors="replace").read()[-3000:])
        return code
    finally:
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
