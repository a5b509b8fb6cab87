#!/bin/sh
# Streams 64 MiB (or $1 MiB) over loopback under Wine: the library's stream
# endpoints on one message loop, then a plain blocking WinSock send/recv pair
# in the same run, the platform's own limit on this machine (best of three
# rounds each). Then 100 connections at once (or $2) on one thread, 1 MiB
# each way each, against a single connection. Runs the x86_64 build, and
# the i686 one where this host can start the 32-bit Wine loader.
set -u
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${BUILD:-$ROOT/build}"
MIB="${1:-64}"
CONNECTIONS="${2:-100}"
status=0

run_bench() {  # build folder name
    dir="$BUILD/$1"
    if [ ! -d "$dir" ]; then
        echo "== stream throughput ($1): skipped, $dir is not configured"
        return
    fi
    if ! out="$(cmake --build "$dir" --target stream_throughput_bench stream_scale_bench 2>&1)"; then
        echo "== stream throughput ($1): build failed"; echo "$out" | tail -20; status=1; return
    fi
    echo "== stream throughput ($1)"
    "$ROOT/scripts/with-wine.sh" "$dir" \
        sh -c "cd '$dir/bin' && \"\$WINE\" ./stream_throughput_bench.exe '$MIB' 2>/dev/null" || status=1
    echo "== stream scale ($1)"
    "$ROOT/scripts/with-wine.sh" "$dir" \
        sh -c "cd '$dir/bin' && \"\$WINE\" ./stream_scale_bench.exe '$CONNECTIONS' 2>/dev/null" || status=1
}
run_bench win64
if "$ROOT/scripts/can-run-32bit.sh"; then
    run_bench win32
else
    echo "== stream throughput (win32): skipped, this host cannot run 32-bit Linux programs"
fi
exit $status
