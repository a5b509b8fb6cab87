# Sourced: the Wine settings every run of ours uses. Needs BUILD_DIR.
# A build folder named win32 holds i686 programs and gets a 32-bit prefix
# and loader; any other (win64) holds x86_64 programs and gets wine64.
case "$(basename "$BUILD_DIR")" in
    win32) export WINEARCH=win32; WINE=/usr/lib/wine/wine ;;
    *)     export WINEARCH=win64; WINE=/usr/lib/wine/wine64 ;;
esac
export WINE
export WINEPREFIX="${ZENK_WINEPREFIX:-$(cd "$BUILD_DIR" && pwd)/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"
