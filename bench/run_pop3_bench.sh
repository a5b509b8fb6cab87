#!/bin/sh
# POP3 retrieval through zenk32 under Wine beside Python's poplib, and the
# client's memory peak for 8 and 64 MiB attachments (see bench/pop3_bench.py).
#
#   bench/run_pop3_bench.sh [BUILD_DIR...]   (default: build/win64, then build/win32)
#
# A win32 build is measured where the host can start 32-bit Wine; else it
# is reported as skipped. Dovecot serves generated Maildirs on 127.0.3.20
# and 127.0.3.22, port 110, and is stopped by PID.
set -u
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BASE="${BUILD:-$ROOT/build}"
[ $# -gt 0 ] || set -- "$BASE/win64" "$BASE/win32"
status=0
for dir in "$@"; do
    [ -d "$dir" ] || { echo "run_pop3_bench: $dir is not built" >&2; status=1; continue; }
    dir="$(cd "$dir" && pwd)"
    exe="$dir/bin/zenkmail.exe"; mem="$dir/bin/pop3_wine_bench.exe"
    if [ ! -f "$exe" ] || [ ! -f "$mem" ]; then
        echo "run_pop3_bench: $dir lacks zenkmail.exe or pop3_wine_bench.exe" >&2; status=1; continue
    fi
    if [ "$(basename "$dir")" = win32 ] && ! "$ROOT/scripts/can-run-32bit.sh"; then
        echo "run_pop3_bench: skipping $dir: this host cannot start 32-bit Wine"; continue
    fi
    "$ROOT/scripts/with-wine.sh" "$dir" /usr/bin/python3 "$ROOT/bench/pop3_bench.py" "$exe" "$mem" || status=1
done
exit $status
