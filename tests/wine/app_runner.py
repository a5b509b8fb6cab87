#!/usr/bin/python3
"""Runs a Velmira32 test program under Wine and takes the screenshots it asks for.

usage: app_runner.py SHOTS_DIR [--ftp] -- WINE TEST.exe [args...]

The test program writes NAME.request into the folder named by
VELMIRA_SHOT_DIR; this script answers with `import -window root
SHOTS_DIR/NAME.png` and NAME.done. With --ftp, a pyftpdlib server runs on
127.0.5.1:21 (tests/wine/app_ftp_server.py) for the end-to-end tests, and
the test may ask for it to be stopped (stop-ftp.request).
"""
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "peers"))
import peerlib  # noqa: E402

FTP_HOST = "127.0.5.1"


def serve_requests(request_dir, shots_dir, stop, peers):
    """Answers the test's requests: NAME.request takes a screenshot NAME.png;
    stop-ftp.request stops the FTP server instead."""
    while not stop.is_set():
        for entry in os.listdir(request_dir):
            if not entry.endswith(".request"):
                continue
            name = entry[: -len(".request")]
            os.remove(os.path.join(request_dir, entry))
            if name == "stop-ftp":
                peers.stop("ftp")
            else:
                subprocess.run(["import", "-window", "root", os.path.join(shots_dir, name + ".png")],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=20)
            open(os.path.join(request_dir, name + ".done"), "w").close()
        time.sleep(0.05)


def main():
    args = sys.argv[1:]
    split = args.index("--")
    options, command = args[:split], args[split + 1:]
    shots_dir = os.path.abspath(options[0])
    os.makedirs(shots_dir, exist_ok=True)
    request_dir = tempfile.mkdtemp(prefix="velmira-shots-")
    env = {"VELMIRA_SHOT_DIR": "Z:" + request_dir.replace("/", "\\")}
    stop = threading.Event()
    with peerlib.Peers() as peers:
        thread = threading.Thread(target=serve_requests, args=(request_dir, shots_dir, stop, peers), daemon=True)
        thread.start()
        if "--ftp" in options:
            root = tempfile.mkdtemp(prefix="velmira-ftp-")
            env["VELMIRA_FTP_HOST"] = FTP_HOST
            env["VELMIRA_FTP_ROOT"] = "Z:" + root.replace("/", "\\")
            peers.start("ftp", [peerlib.PY, os.path.join(HERE, "app_ftp_server.py"), FTP_HOST, root],
                        wait=(FTP_HOST, 21))
        env["TOVAN_TIMEOUT"] = "3"
        code = peers.run_test(command, env=env)
        stop.set()
        thread.join(timeout=5)
    shutil.rmtree(request_dir, ignore_errors=True)
    if "--ftp" in options:
        shutil.rmtree(root, ignore_errors=True)
    sys.exit(code)


if __name__ == "__main__":
    main()
