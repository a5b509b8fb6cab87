#!/bin/sh
# The main job: shows the library working end to end.
# Runs the i686 build where this host can run 32-bit programs, else the
# x86_64 build of the same sources.
set -eu
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${BUILD:-$ROOT/build}"
if "$ROOT/scripts/can-run-32bit.sh"; then RUN=win32; else RUN=win64; fi
echo "== demo on the $RUN build"
"$ROOT/scripts/with-wine.sh" "$BUILD/$RUN" sh -c "cd '$BUILD/$RUN/bin' && \"\$WINE\" zenkinfo.exe"
