#!/bin/sh
# Delivery time of one message with a 10 MiB attachment to aiosmtpd
# (127.0.2.8:25): zenk32.dll under Wine beside Python's smtplib sending the
# same bytes. Needs build/win64 (targets zenk32, smtp_wine_bench); runs
# itself through scripts/with-wine.sh when not already under it.
#   bench/run_smtp_bench.sh [MIB]
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$ROOT/build/win64"
EXE="$BUILD/bin/smtp_wine_bench.exe"
if [ ! -f "$EXE" ]; then
    echo "run_smtp_bench: $EXE missing; build it: cmake --build build/win64 --target smtp_wine_bench" >&2
    exit 1
fi
if [ -z "${WINE:-}" ]; then
    exec "$ROOT/scripts/with-wine.sh" "$BUILD" "$0" "$@"
fi
cd "$BUILD/bin" && exec /usr/bin/python3 "$ROOT/bench/smtp_bench.py" "$WINE" "$EXE" "$@"
