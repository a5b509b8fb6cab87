#!/bin/sh
# Second half of the demo: what was sent is fetched back over POP3 and
# scanned, and every attachment is compared byte for byte with its original.
#
#   demo-receive.sh RUN_BUILD WORK MAILDIR SENT_FILE...
#
# RUN_BUILD: the build folder whose bin/ holds zenkmail.exe (win32 or win64);
# WORK: a scratch folder; MAILDIR: the Maildir the SMTP half filled;
# SENT_FILE: the files that were attached when sending.
# Dovecot serves MAILDIR on 127.0.0.2:110 with its own configuration (the
# Maildir is given to nobody, as Dovecot requires), and is stopped by PID.
set -eu
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
RUN_BUILD="$1"; WORK="$2"; MAILDIR="$3"; shift 3
PY=/usr/bin/python3
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

mkdir -p "$WORK/attachments"
# Dovecot reads the Maildir as nobody: it must be able to reach it.
chmod a+x "$(dirname "$MAILDIR")" "$WORK"
CONF="$("$PY" "$ROOT/tests/peers/dovecot_peer.py" "$WORK" "$MAILDIR" 127.0.0.2 demo demo)"
dovecot -F -c "$CONF" >/dev/null 2>&1 &
DOVECOT=$!
trap 'kill $DOVECOT 2>/dev/null; wait $DOVECOT 2>/dev/null || true' EXIT
"$PY" -c "import sys; sys.path.insert(0, '$ROOT/tests/peers'); import peerlib; sys.exit(0 if peerlib.wait_port('127.0.0.2', 110) else 1)"
echo "== Dovecot serves the Maildir on 127.0.0.2:110"

INBOX="$(winpath "$WORK/inbox.txt")"
ATTACH="$(winpath "$WORK/attachments")"
echo "== zenkmail fetch (POP3, deleting each message once stored)"
"$ROOT/scripts/with-wine.sh" "$RUN_BUILD" sh -c "cd '$RUN_BUILD/bin' && \"\$WINE\" zenkmail.exe fetch --server 127.0.0.2 --user demo --password demo --inbox '$INBOX' --delete"
echo "== zenkmail scan"
"$ROOT/scripts/with-wine.sh" "$RUN_BUILD" sh -c "cd '$RUN_BUILD/bin' && \"\$WINE\" zenkmail.exe scan --inbox '$INBOX' --attachments '$ATTACH'"

echo "== attachments against the files that were sent"
status=0
for sent in "$@"; do
    name="$(basename "$sent")"
    if cmp -s "$sent" "$WORK/attachments/$name"; then
        echo "   $name: $(wc -c < "$sent") bytes, identical"
    else
        echo "   $name: DIFFERS or missing"
        status=1
    fi
done
left="$(find "$MAILDIR/new" "$MAILDIR/cur" -type f | wc -l)"
echo "== messages left on the server: $left"
[ "$status" -eq 0 ] && [ "$left" -eq 0 ] || { echo "demo: the received mail does not match"; exit 1; }
echo "== every attachment came back byte for byte"
