#!/bin/sh
# Inbox scanning through zenk32 under Wine beside Python's email package,
# speed and peak memory (see bench/scan_bench.py), for each build that can
# run here: build/win64 under wine64, build/win32 under the 32-bit loader
# (skipped, and said so, on a host that cannot run 32-bit programs).
#   bench/run_scan_bench.sh [BUILD_DIR...]     (default: $BUILD/win64 and $BUILD/win32)
set -u
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${BUILD:-$ROOT/build}"
[ $# -gt 0 ] || set -- "$BUILD/win64" "$BUILD/win32"
status=0
for dir in "$@"; do
    name="$(basename "$dir")"
    for exe in zenkmail.exe scan_wine_bench.exe; do
        if [ ! -f "$dir/bin/$exe" ]; then
            echo "run_scan_bench: $dir/bin/$exe is not built" >&2
            status=1
            continue 2
        fi
    done
    if [ "$name" = win32 ] && ! "$ROOT/scripts/can-run-32bit.sh"; then
        echo "Scan benchmark, win32 build: skipped (this host cannot run 32-bit programs)"
        continue
    fi
    dir="$(cd "$dir" && pwd)"
    "$ROOT/scripts/with-wine.sh" "$dir" /usr/bin/python3 "$ROOT/bench/scan_bench.py" "$dir" || status=1
done
exit $status
