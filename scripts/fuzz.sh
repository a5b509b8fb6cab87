#!/bin/sh
# Builds the libFuzzer targets (clang, ASan + UBSan + libFuzzer) in
# $BUILD/fuzz and runs each for FUZZ_SECONDS (default 60) from its seed
# corpus in tests/fuzz/corpus/<target>/. New inputs go to a scratch copy,
# so the committed corpus stays small. Exits 1 when any target finds a
# crash, a leak or undefined behaviour (the input is kept in
# $BUILD/fuzz/crashes/<target>/).
set -eu
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${BUILD:-$ROOT/build}"
SECONDS_EACH="${FUZZ_SECONDS:-60}"
TARGETS="smtp_reply_fuzz pop3_reply_fuzz ftp_reply_fuzz mime_scanner_fuzz header_words_fuzz"
DIR="$BUILD/fuzz"

if [ ! -f "$DIR/build.ninja" ]; then
    cmake -S "$ROOT" -B "$DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DZENK_FUZZ=ON >/dev/null
fi
cmake --build "$DIR" --target fuzz_all

status=0
for t in $TARGETS; do
    work="$DIR/corpus/$t"
    crashes="$DIR/crashes/$t"
    rm -rf "$work" && mkdir -p "$work" "$crashes"
    echo "== fuzz $t (${SECONDS_EACH}s)"
    if UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        "$DIR/bin/$t" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=1024 -print_final_stats=0 \
        -artifact_prefix="$crashes/" "$work" "$ROOT/tests/fuzz/corpus/$t" >"$DIR/$t.log" 2>&1; then
        tail -n 1 "$DIR/$t.log"
    else
        status=1
        tail -n 40 "$DIR/$t.log"
        echo "fuzz: $t FAILED; input in $crashes/, log in $DIR/$t.log"
    fi
done
exit $status
