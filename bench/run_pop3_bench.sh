#!/bin/sh
# POP3 retrieval and inbox scanning through zenk32 under Wine, beside
# Python's poplib and email package (see bench/pop3_bench.py).
#
#   bench/run_pop3_bench.sh [BUILD_DIR]     (default: $BUILD/win64 or build/win64)
#
# Dovecot serves a generated Maildir on 127.0.3.20:110 and is stopped by PID.
set -eu
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD_DIR="${1:-${BUILD:-$ROOT/build}/win64}"
BUILD_DIR="$(cd "$BUILD_DIR" && pwd)"
EXE="$BUILD_DIR/bin/zenkmail.exe"
[ -f "$EXE" ] || { echo "run_pop3_bench: $EXE is not built" >&2; exit 1; }
exec "$ROOT/scripts/with-wine.sh" "$BUILD_DIR" /usr/bin/python3 "$ROOT/bench/pop3_bench.py" "$EXE"
