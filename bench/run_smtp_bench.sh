#!/bin/sh
# One message with a 10 MiB (or $1 MiB) attachment to aiosmtpd (127.0.2.8:25)
# through zenk32.dll under Wine, beside Python's smtplib sending the same
# bytes, in rounds of both side by side; then the peak working set of
# delivering 8 and 64 MiB attachments (bench/smtp_bench.py). Runs the x86_64
# build, and the i686 one where this host can start the 32-bit Wine loader.
#   bench/run_smtp_bench.sh [MIB] [ROUNDS]
set -u
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${BUILD:-$ROOT/build}"
. "$ROOT/bench/each_build.sh"
bench_each_build "SMTP delivery" "zenk32 smtp_wine_bench" \
    sh -c 'cd "$BENCH_DIR/bin" && exec /usr/bin/python3 "$0" "$WINE" ./smtp_wine_bench.exe "$@"' \
    "$ROOT/bench/smtp_bench.py" "$@"
exit $bench_status
