#!/bin/sh
# POP3 retrieval through zenk32 under Wine beside Python's poplib, and the
# client's memory peak for 8 and 64 MiB attachments (see bench/pop3_bench.py).
# Dovecot serves generated Maildirs on 127.0.3.20 and 127.0.3.22, port 110,
# and is stopped by PID. Runs the x86_64 build, and the i686 one where this
# host can start the 32-bit Wine loader.
set -u
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${BUILD:-$ROOT/build}"
. "$ROOT/bench/each_build.sh"
bench_each_build "POP3 retrieval" "zenkmail pop3_wine_bench" \
    sh -c 'exec /usr/bin/python3 "$0" "$BENCH_DIR/bin/zenkmail.exe" "$BENCH_DIR/bin/pop3_wine_bench.exe"' \
    "$ROOT/bench/pop3_bench.py"
exit $bench_status
