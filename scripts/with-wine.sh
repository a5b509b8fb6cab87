#!/bin/bash
# with-wine.sh BUILD_DIR COMMAND...
#
# Runs COMMAND with a private X server (Xvfb) and a warm Wine server for the
# build folder's own prefix, creating the prefix on first use. Every window
# our programs make, hidden or not, then has a display, so the same prefix
# serves console tools, hidden-window tests and GUI tests alike. Everything
# started here is stopped again by PID, whatever COMMAND does.
set -u
BUILD_DIR="$1"; shift
HERE="$(cd "$(dirname "$0")" && pwd)"
. "$HERE/wine-env.sh"

XVFB_PID=""
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null; wait "$XVFB_PID" 2>/dev/null; fi
    rm -f "$DISPLAY_FILE"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A free display number chosen by the server itself.
DISPLAY_FILE="$(mktemp)"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$DISPLAY_FILE" >/dev/null 2>&1 &
XVFB_PID=$!
for _ in $(seq 100); do [ -s "$DISPLAY_FILE" ] && break; sleep 0.05; done
[ -s "$DISPLAY_FILE" ] || { echo "with-wine: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$DISPLAY_FILE")"
export ZENK_XVFB_PID="$XVFB_PID"

if [ ! -f "$WINEPREFIX/.zenk-ready" ]; then
    echo "with-wine: creating Wine prefix $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    "$WINE" wineboot -i >/dev/null 2>&1
    "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d Y /f >/dev/null 2>&1
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    wineserver -w
    touch "$WINEPREFIX/.zenk-ready"
fi

# Warm server and helper processes, started outside the command so that
# they never hold its output pipes.
wineserver -p >/dev/null 2>&1 </dev/null
"$WINE" wineboot >/dev/null 2>&1 </dev/null

# A desktop that lasts the whole run, as on Windows. Without it, every program
# that makes a window starts Wine's desktop process and, through the standard
# handles it hands on, keeps its caller waiting until that process ends a
# second after the program: about 1.5 s more per test or benchmark run.
KEEPER="$BUILD_DIR/bin/desktop_keeper.exe"
if [ -f "$KEEPER" ]; then
    READY="$WINEPREFIX/.desktop-ready"
    rm -f "$READY"
    "$WINE" "$KEEPER" "Z:$(printf '%s' "$READY" | tr / '\\')" >/dev/null 2>&1 </dev/null &
    for _ in $(seq 200); do [ -f "$READY" ] && break; sleep 0.05; done
    [ -f "$READY" ] || echo "with-wine: the desktop keeper did not start; runs start their own desktop" >&2
fi

"$@"
exit $?
