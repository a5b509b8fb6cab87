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
status=0

run_bench() {  # build folder name
    dir="$BUILD/$1"
    if [ ! -d "$dir" ]; then
        echo "== SMTP delivery ($1): skipped, $dir is not configured"
        return
    fi
    if ! out="$(cmake --build "$dir" --target zenk32 smtp_wine_bench 2>&1)"; then
        echo "== SMTP delivery ($1): build failed"; echo "$out" | tail -20; status=1; return
    fi
    echo "== SMTP delivery ($1)"
    "$ROOT/scripts/with-wine.sh" "$dir" \
        sh -c "cd '$dir/bin' && /usr/bin/python3 '$ROOT/bench/smtp_bench.py' \"\$WINE\" ./smtp_wine_bench.exe $*" ||
        status=1
}
run_bench win64
if "$ROOT/scripts/can-run-32bit.sh"; then
    run_bench win32
else
    echo "== SMTP delivery (win32): skipped, this host cannot run 32-bit Linux programs"
fi
exit $status
