# Sourced by the bench/run_*.sh scripts; needs ROOT and BUILD.
#
# bench_each_build TITLE "TARGETS" COMMAND...
#   For the x86_64 build, and the i686 one where this host can start the
#   32-bit Wine loader: builds TARGETS in $BUILD/win64 (win32), then runs
#   COMMAND through scripts/with-wine.sh with BENCH_DIR set to that build
#   folder. A failed build or run sets bench_status to 1.
bench_status=0
bench_each_build() {
    title="$1"; targets="$2 desktop_keeper"; shift 2  # the keeper: see scripts/with-wine.sh
    for name in win64 win32; do
        dir="$BUILD/$name"
        if [ "$name" = win32 ] && ! "$ROOT/scripts/can-run-32bit.sh"; then
            echo "== $title ($name): skipped, this host cannot run 32-bit Linux programs"
            continue
        fi
        if [ ! -d "$dir" ]; then
            echo "== $title ($name): skipped, $dir is not configured"
            continue
        fi
        # shellcheck disable=SC2086  # TARGETS is a list
        if ! out="$(cmake --build "$dir" --target $targets 2>&1)"; then
            echo "== $title ($name): build failed"; echo "$out" | tail -20; bench_status=1
            continue
        fi
        echo "== $title ($name)"
        BENCH_DIR="$(cd "$dir" && pwd)" "$ROOT/scripts/with-wine.sh" "$dir" "$@" || bench_status=1
    done
}
