#!/bin/sh
# Streams 512 MiB (or $1 MiB) over loopback under Wine: the library's stream
# endpoints on one message loop, then a plain blocking WinSock send/recv pair
# in the same run, the platform's own limit on this machine (best of five
# rounds each). Then 100 connections at once (or $2) on one thread, 1 MiB
# each way each, against a single connection. Runs the x86_64 build, and
# the i686 one where this host can start the 32-bit Wine loader.
set -u
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${BUILD:-$ROOT/build}"
MIB="${1:-512}"
CONNECTIONS="${2:-100}"
. "$ROOT/bench/each_build.sh"
bench_each_build "stream throughput" "stream_throughput_bench" \
    sh -c 'cd "$BENCH_DIR/bin" && "$WINE" ./stream_throughput_bench.exe "$0" 2>/dev/null' "$MIB"
bench_each_build "stream scale" "stream_scale_bench" \
    sh -c 'cd "$BENCH_DIR/bin" && "$WINE" ./stream_scale_bench.exe "$0" 2>/dev/null' "$CONNECTIONS"
exit $bench_status
