# The SMTP client through zenk32.dll's exports, against aiosmtpd and a
# scripted peer (tests/peers/smtp_runner.py starts both); the runner then
# parses the messages with binary attachments with Python's email package.
zenk_add_wine_test(NAME smtp_client_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/smtp_client_test.cpp
  LIBS zenk32_import user32
  TIMEOUT 90
  RUNNER /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/peers/smtp_runner.py --check-mime)

# The session's time limit, white-box: SmtpSession linked into the test
# with shortened limits, against the scripted peer that never answers.
zenk_add_wine_test(NAME smtp_session_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/smtp_session_test.cpp
  LIBS zenk32_objs zenk_portable wsock32 comctl32 mpr gdi32 user32
  TIMEOUT 60
  RUNNER /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/peers/smtp_runner.py)

# zenkmail send as a user runs it: exit codes, output, what the server stored.
zenk_add_zenkmail_test(NAME zenkmail_send TIMEOUT 90
  COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/peers/smtp_runner.py
          /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/peers/zenkmail_send_check.py)

# The same client against a private Postfix that refuses bare line breaks
# (tests/peers/smtp_postfix_runner.py starts it and reads its hold queue).
zenk_add_wine_test(NAME smtp_postfix_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/smtp_postfix_test.cpp
  LIBS zenk32_import user32
  TIMEOUT 90
  RUNNER /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/peers/smtp_postfix_runner.py)
