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
# With DEMO_TLS (a folder holding server.pem, server.key and ca.pem, the
# certificate naming mail.test) and DEMO_PASSWORD_FILE, Dovecot offers STLS
# and zenkmail fetches through it, trusting only that CA.
set -eu
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
RUN_BUILD="$1"; WORK="$2"; MAILDIR="$3"; shift 3
PY=/usr/bin/python3
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

mkdir -p "$WORK/attachments"
# Dovecot reads the Maildir as nobody: it must be able to reach it.
chmod a+x "$(dirname "$MAILDIR")" "$WORK"
if [ -n "${DEMO_TLS:-}" ]; then
    CONF="$("$PY" -c "import sys; sys.path.insert(0, '$ROOT/tests/peers'); import dovecot_peer as d; print(d.write_config('$WORK', '$MAILDIR', '127.0.0.2', 'demo', 'demo', 110, ('$DEMO_TLS/server.pem', '$DEMO_TLS/server.key', 995)))")"
    SECURE="--starttls --password-file '$(winpath "$DEMO_PASSWORD_FILE")' --cafile '$(winpath "$DEMO_TLS/ca.pem")' --tls-name mail.test"
    HOW="through STLS, "
else
    CONF="$("$PY" "$ROOT/tests/peers/dovecot_peer.py" "$WORK" "$MAILDIR" 127.0.0.2 demo demo)"
    SECURE="--password demo"
    HOW=""
fi
dovecot -F -c "$CONF" >/dev/null 2>&1 &
DOVECOT=$!
trap 'kill $DOVECOT 2>/dev/null; wait $DOVECOT 2>/dev/null || true' EXIT
"$PY" -c "import sys; sys.path.insert(0, '$ROOT/tests/peers'); import peerlib; sys.exit(0 if peerlib.wait_port('127.0.0.2', 110) else 1)"
echo "== Dovecot serves the Maildir on 127.0.0.2:110"

INBOX="$(winpath "$WORK/inbox.txt")"
ATTACH="$(winpath "$WORK/attachments")"
echo "== zenkmail fetch (POP3 ${HOW}deleting each message once stored)"
"$ROOT/scripts/with-wine.sh" "$RUN_BUILD" sh -c "cd '$RUN_BUILD/bin' && \"\$WINE\" zenkmail.exe fetch --server 127.0.0.2 --user demo $SECURE --inbox '$INBOX' --delete"
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
