"""Starting and stopping the real peers that Wine tests talk to.

Every peer is a child process started here, on a loopback address of its
own; it is stopped by PID, and waited for, whatever the test does.

A test runner script (one per family, beside this file) typically does:

    with peerlib.Peers() as peers:
        peers.start("smtp", [PY, "-m", "aiosmtpd", "-n", "-l", "127.0.0.2:25", ...],
                    wait=("127.0.0.2", 25))
        sys.exit(peers.run_test(sys.argv[1:], env={"ZENK_SMTP_HOST": "127.0.0.2"}))

and is registered with zenk_add_wine_test(... RUNNER /usr/bin/python3 script args).
"""
import os
import re
import signal
import socket
import subprocess
import sys
import threading
import time

# Debian's interpreter, which has aiosmtpd and pyftpdlib; `python3` on PATH may not.
PY = "/usr/bin/python3"


# A line of Wine's own debug output ("0024:warn:heap:..." or with a process id
# in front). ctest looks for these in a test's output.
WINE_DEBUG_LINE = re.compile(r"^(?:[0-9a-f]{4,8}:){1,2}(?:err|warn|fixme|trace):", re.M)


class Checklist:
    """check(what, condition, detail): prints "ok: what", or "FAILED: what"
    and the tail of detail, keeping the failed names in failures."""

    def __init__(self):
        self.failures = []

    def __call__(self, what, condition, detail=""):
        if condition:
            print("ok: %s" % what)
        else:
            self.failures.append(what)
            print("FAILED: %s\n%s" % (what, detail[-3000:]))


def relay_wine_log(text):
    """Passes Wine's debug lines from a captured stderr on to our own, so a
    check that captures a program's output still shows ctest what Wine saw
    (heap warnings above all)."""
    lines = [line for line in text.splitlines() if WINE_DEBUG_LINE.match(line)]
    if lines:
        sys.stderr.write("\n".join(lines) + "\n")
        sys.stderr.flush()


def wait_port(host, port, timeout=10.0):
    """Waits until host:port accepts a TCP connection."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        try:
            with socket.create_connection((host, port), timeout=0.5):
                return True
        except OSError:
            time.sleep(0.05)
    return False


def wait_port_free(host, port, timeout=10.0):
    """Waits until nothing listens on host:port any more."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        try:
            with socket.create_connection((host, port), timeout=0.2):
                pass
            time.sleep(0.05)
        except OSError:
            return True
    return False


class Peers:
    """A set of peer processes, all stopped on exit."""

    def __init__(self):
        self.procs = []  # (name, Popen, wait address or None)

    def __enter__(self):
        # ctest (or a user) ends a runner with SIGTERM; turn it into an
        # exception so that __exit__ still stops every peer by PID.
        def _terminate(signum, frame):
            raise SystemExit(128 + signum)
        signal.signal(signal.SIGTERM, _terminate)
        signal.signal(signal.SIGHUP, _terminate)
        return self

    def __exit__(self, *exc):
        self.stop_all()
        return False

    def start(self, name, argv, wait=None, log=None, **popen_args):
        """Starts argv; with wait=(host, port), returns once it accepts."""
        if wait and not wait_port_free(*wait, timeout=3.0):
            # Something else (a peer left by a killed run?) answers there:
            # testing against it would give wrong results.
            raise RuntimeError(f"peer {name}: {wait} is already in use")
        out = open(log, "ab") if log else subprocess.DEVNULL
        proc = subprocess.Popen(argv, stdin=subprocess.DEVNULL, stdout=out, stderr=out,
                                start_new_session=True, **popen_args)
        self.procs.append((name, proc, wait))
        if wait and not wait_port(*wait):
            raise RuntimeError(f"peer {name} did not start listening on {wait}")
        return proc

    def stop(self, name):
        for entry in list(self.procs):
            if entry[0] == name:
                self._stop(entry)
                self.procs.remove(entry)

    def stop_all(self):
        for entry in reversed(self.procs):
            self._stop(entry)
        self.procs = []

    @staticmethod
    def _stop(entry):
        name, proc, wait = entry
        if proc.poll() is None:
            try:
                os.killpg(proc.pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
            try:
                proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                os.killpg(proc.pid, signal.SIGKILL)
                proc.wait()
        if wait:
            wait_port_free(*wait)

    def run_test(self, argv, env=None, timeout=240):
        """Runs the test program (argv, normally [wine, test.exe]); returns its exit code."""
        full_env = dict(os.environ)
        full_env.update(env or {})
        try:
            return subprocess.run(argv, env=full_env, timeout=timeout).returncode
        except subprocess.TimeoutExpired:
            print(f"peerlib: test timed out after {timeout} s", file=sys.stderr)
            return 124


def serve_tcp(host, port, handler, rcvbuf=None):
    """Accepts connections on host:port for ever, each handled by
    handler(conn) on a thread of its own; the connection is closed after,
    and an OSError inside the handler (a client that went away) ends only
    that connection. rcvbuf, set before listen, is inherited by every
    accepted socket."""
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    if rcvbuf:
        listener.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, rcvbuf)
    listener.bind((host, port))
    listener.listen(16)

    def one(conn):
        try:
            handler(conn)
        except OSError:
            pass
        finally:
            conn.close()

    while True:
        conn, _ = listener.accept()
        threading.Thread(target=one, args=(conn,), daemon=True).start()
