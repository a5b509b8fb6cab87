# Mail round trip: zenkmail send to aiosmtpd, fetch from Dovecot with and
# without --delete, scan; texts and attachments compared byte for byte.
if(ZENK_CROSS)
  add_test(NAME wine.mail_round_trip
    COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/peers/mail_round_trip.py
            ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:zenkmail>)
  set_tests_properties(wine.mail_round_trip PROPERTIES
    FAIL_REGULAR_EXPRESSION "${ZENK_CRASH_REGEX}" TIMEOUT 120 WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endif()
# 8-bit text: zenkmail send --charset in six languages to aiosmtpd, read
# back by Python's email package, fetched from Dovecot and scanned.
if(ZENK_CROSS)
  add_test(NAME wine.charset_round_trip
    COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/peers/charset_round_trip.py
            ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:zenkmail>)
  set_tests_properties(wine.charset_round_trip PROPERTIES
    FAIL_REGULAR_EXPRESSION "${ZENK_CRASH_REGEX}" TIMEOUT 120 WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endif()
