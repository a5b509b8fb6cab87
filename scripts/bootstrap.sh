#!/bin/sh
# Installs what the build and the tests need, if it is missing. Idempotent:
# a machine that has everything is left alone (no apt calls at all).
set -eu
# libgnutls30 (both architectures): Wine's Schannel is built on it.
# openssl: the TLS tests make their CA and certificates at every run.
PACKAGES="wine wine32:i386 wine64 fonts-wine g++-mingw-w64-i686 g++-mingw-w64-x86-64 cmake ninja-build googletest \
xvfb xauth imagemagick python3-aiosmtpd dovecot-pop3d python3-pyftpdlib clang libclang-rt-14-dev postfix \
libgnutls30 libgnutls30:i386 openssl"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
[ -z "$missing" ] && exit 0

echo "bootstrap: installing:$missing"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
# Postfix only runs as the tests' private instances: no system mail setup,
# and no system Postfix left running on port 25, where it would take the
# loopback addresses the test servers bind.
echo "postfix postfix/main_mailer_type select No configuration" | $SUDO debconf-set-selections
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
case " $missing " in *" postfix "*)
    $SUDO systemctl disable --now postfix >/dev/null 2>&1 || true
    $SUDO postfix stop >/dev/null 2>&1 || true ;;
esac
