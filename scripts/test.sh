#!/bin/sh
# Runs every test: native (ASan/UBSan), a short fuzz pass, then the Wine tests.
#
# The Wine tests run on the x86_64 build under wine64. Where this host can
# also run 32-bit Linux programs (the 32-bit Wine loader), they run on the
# i686 deliverables as well; on hosts without 32-bit support (no IA-32
# emulation in the kernel) that pass is skipped with a note.
set -eu
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${BUILD:-$ROOT/build}"
status=0

echo "== native tests"
(cd "$BUILD/native" && ctest --output-on-failure -j "$(nproc)" ${CTEST_ARGS:-}) || status=1

# A short fuzz pass over the parsers (make fuzz runs the long one).
if command -v clang++ >/dev/null 2>&1; then
    FUZZ_SECONDS="${FUZZ_SECONDS:-4}" "$ROOT/scripts/fuzz.sh" || status=1
else
    echo "== fuzz: skipped, clang++ is not installed (scripts/bootstrap.sh installs it)"
fi

"$ROOT/scripts/check-exports.sh" "$BUILD/win32/bin" || status=1

run_wine_tests() {  # build folder name
    echo "== Wine tests ($1)"
    "$ROOT/scripts/with-wine.sh" "$BUILD/$1" \
        sh -c "cd '$BUILD/$1' && ctest --output-on-failure --timeout 300 ${CTEST_ARGS:-}" || status=1
}
run_wine_tests win64
if "$ROOT/scripts/can-run-32bit.sh"; then
    run_wine_tests win32
else
    echo "== Wine tests (win32): skipped, this host cannot run 32-bit Linux programs (the 32-bit Wine loader)"
fi
exit $status
