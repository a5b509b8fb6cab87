# The SMTP client through zenk32.dll's exports, against aiosmtpd and a
# scripted peer (tests/peers/smtp_runner.py starts both).
zenk_add_wine_test(NAME smtp_client_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/smtp_client_test.cpp
  LIBS zenk32_import user32
  TIMEOUT 90
  RUNNER /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/peers/smtp_runner.py)
