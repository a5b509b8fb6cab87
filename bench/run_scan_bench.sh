#!/bin/sh
# Inbox scanning through zenk32 under Wine beside Python's email package,
# speed and peak memory (see bench/scan_bench.py). Runs the x86_64 build,
# and the i686 one where this host can start the 32-bit Wine loader.
set -u
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${BUILD:-$ROOT/build}"
. "$ROOT/bench/each_build.sh"
bench_each_build "inbox scan" "zenkmail scan_wine_bench" \
    sh -c 'exec /usr/bin/python3 "$0" "$BENCH_DIR"' "$ROOT/bench/scan_bench.py"
exit $bench_status
