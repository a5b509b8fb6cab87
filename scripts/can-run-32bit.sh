#!/bin/sh
# Exit 0 when the 32-bit Wine loader can run on this host (kernel IA-32 support).
[ -x /usr/lib/wine/wine ] || exit 1
timeout 20 /usr/lib/wine/wine --version >/dev/null 2>&1
