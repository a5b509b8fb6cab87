# Mail round trip: zenkmail send to aiosmtpd, fetch from Dovecot with and
# without --delete, scan; texts and attachments compared byte for byte.
zenk_add_zenkmail_test(NAME mail_round_trip
  COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/peers/mail_round_trip.py)
# 8-bit text: zenkmail send --charset in six languages to aiosmtpd, read
# back by Python's email package, fetched from Dovecot and scanned.
zenk_add_zenkmail_test(NAME charset_round_trip
  COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/peers/charset_round_trip.py)
