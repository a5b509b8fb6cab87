#!/bin/sh
# check-exports.sh BIN_DIR
# The i686 DLLs must export every name of their .def undecorated, and nothing
# decorated: a __stdcall caller binding by plain name depends on it.
set -eu
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BIN="$1"
status=0
check() {  # dll, def
    [ -f "$BIN/$1" ] || return 0
    want=$(sed -n 's/^ *\([A-Za-z_][A-Za-z0-9_]*\)@[0-9]*.*/\1/p' "$2" | sort)
    have=$(i686-w64-mingw32-objdump -p "$BIN/$1" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed -n 's/^[[:space:]]*\[ *[0-9]*\] \(.*\)$/\1/p' | sort)
    if [ "$want" != "$have" ]; then
        echo "check-exports: $1 exports differ from $2"; status=1
        echo "$want" > /tmp/want.$$; echo "$have" > /tmp/have.$$
        diff /tmp/want.$$ /tmp/have.$$ || true; rm -f /tmp/want.$$ /tmp/have.$$
    elif echo "$have" | grep -q '@'; then
        echo "check-exports: $1 exports decorated names"; status=1
    else
        echo "check-exports: $1: $(echo "$have" | wc -l) undecorated exports, as listed in $(basename "$2")"
    fi
}
check zenk32.dll "$ROOT/library/zenk32.def"
check tovan32.dll "$ROOT/tovan/tovan32.def"
exit $status
