#!/bin/sh
# Configures and builds the three configurations:
#   build/native  portable core, GoogleTest with ASan/UBSan
#   build/win32   the i686 deliverables (zenk32.dll, tovan32.dll, Velmira32.exe, tools)
#   build/win64   the same sources for x86_64, which the Wine tests run
set -eu
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${BUILD:-$ROOT/build}"
JOBS="${JOBS:-$(nproc)}"
configure() {  # folder, extra cmake arguments...
    dir="$1"; shift
    [ -f "$BUILD/$dir/build.ninja" ] || cmake -S "$ROOT" -B "$BUILD/$dir" -G Ninja "$@" >/dev/null
}
configure native -DCMAKE_BUILD_TYPE=Debug
configure win32 -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-i686-mingw.cmake"
configure win64 -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-x86_64-mingw.cmake"
for dir in native win32 win64; do
    cmake --build "$BUILD/$dir" -j "$JOBS"
done
