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

# ---- Sending: zenkmail send through STARTTLS and AUTH ---------------------
# A test CA and a certificate for "mail.test" are made by openssl on the
# fly; aiosmtpd on 127.0.0.2:587 requires STARTTLS and then AUTH (user demo)
# and stores every message byte for byte in a Maildir. zenkmail composes a
# message with a text and two attachments through zenk32.dll and delivers
# it over TLS, trusting only the test CA; then the stored message is shown.
DEMO="$(mktemp -d /tmp/zenk_demo.XXXXXX)"
SMTPD_PID=""
stop_smtpd() {
    if [ -n "$SMTPD_PID" ]; then kill "$SMTPD_PID" 2>/dev/null || true; wait "$SMTPD_PID" 2>/dev/null || true; fi
    SMTPD_PID=""
}
trap 'stop_smtpd; rm -rf "$DEMO"' EXIT
trap 'exit 130' INT TERM

echo
echo "== zenkmail send: a message with a text and two attachments, through STARTTLS with AUTH"
printf 'demo\n' >"$DEMO/password"
PYTHONPATH="$ROOT/tests/peers" /usr/bin/python3 "$ROOT/tests/peers/mail_tls_peers.py" demo "$DEMO/tls" \
    "$DEMO/Maildir" 127.0.0.2 587 demo demo >"$DEMO/aiosmtpd.log" 2>&1 &
SMTPD_PID=$!
/usr/bin/python3 - <<'PY'
import socket, sys, time
deadline = time.monotonic() + 20
while time.monotonic() < deadline:
    try:
        socket.create_connection(("127.0.0.2", 587), timeout=0.5).close()
        sys.exit(0)
    except OSError:
        time.sleep(0.05)
sys.exit("demo: the SMTP server did not start")
PY
echo "SMTP server (aiosmtpd) on 127.0.0.2:587, STARTTLS and AUTH required, certificate for mail.test"
echo "from a test CA made just now ($DEMO/tls/ca.pem), pid $SMTPD_PID, Maildir $DEMO/Maildir"

printf 'Hello Bob,\r\n\r\nhere are the notes from Tuesday and the table.\r\n.\r\nThe line above is a lone full stop.\r\n\r\nAlice\r\n' >"$DEMO/text.txt"
printf 'Meeting notes\r\n- ship zenk32 1.0\r\n- test under Wine\r\n' >"$DEMO/notes.txt"
/usr/bin/python3 -c 'import sys; sys.stdout.buffer.write(bytes(range(256)) * 4)' >"$DEMO/table.bin"

"$ROOT/scripts/with-wine.sh" "$BUILD/$RUN" sh -c "cd '$BUILD/$RUN/bin' && \"\$WINE\" zenkmail.exe send \
    --server 127.0.0.2 --port 587 --starttls --user demo --password-file 'Z:$DEMO/password' \
    --cafile 'Z:$DEMO/tls/ca.pem' --tls-name mail.test \
    --from alice@example.org --to bob@example.org --cc carol@example.org \
    --subject 'Notes from Tuesday' --text 'Z:$DEMO/text.txt' \
    --attach 'Z:$DEMO/notes.txt' --attach 'Z:$DEMO/table.bin'"
stop_smtpd

echo
echo "== what the server stored ($(ls "$DEMO/Maildir/new" | wc -l) message(s) in $DEMO/Maildir/new)"
for f in "$DEMO"/Maildir/new/*; do
    echo "---- $(basename "$f") ($(wc -c <"$f") bytes)"
    tr -d '\r' <"$f"
    echo "---- envelope: $(tr '\n' ' ' <"$DEMO/Maildir/$(basename "$f").envelope")"
done
/usr/bin/python3 - "$DEMO" <<'PY'
import email, glob, os, sys
demo = sys.argv[1]
for path in sorted(glob.glob(os.path.join(demo, "Maildir", "new", "*"))):
    msg = email.message_from_binary_file(open(path, "rb"))
    for part in msg.walk():
        name = part.get_filename()
        if name:
            data = part.get_payload(decode=True)
            original = open(os.path.join(demo, name), "rb").read()
            print("attachment %s: %d bytes, %s" % (name, len(data),
                  "identical to the file sent" if data == original else "DIFFERS from the file sent"))
PY

# ---- Receiving: zenkmail fetch through STLS, then scan ---------------------
# Dovecot serves the same Maildir on 127.0.0.2:110 with the same test
# certificate; zenkmail fetches the message through STLS into an inbox file
# (deleting it on the server once stored), scans it, and every attachment
# is compared with the file that was sent.
echo
DEMO_TLS="$DEMO/tls" DEMO_PASSWORD_FILE="$DEMO/password" "$ROOT/scripts/demo-receive.sh" "$BUILD/$RUN" "$DEMO/receive" "$DEMO/Maildir" "$DEMO/notes.txt" "$DEMO/table.bin"
