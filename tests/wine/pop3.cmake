# The POP3 client through its exports, against Dovecot and a scripted POP3
# peer started by tests/peers/pop3_runner.py.
zenk_add_wine_test(NAME pop3_client_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/pop3_client_test.cpp
  LIBS zenk32_import
  TIMEOUT 200
  RUNNER /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/peers/pop3_runner.py)

# zenkmail fetch and scan as a user runs them, against the same peers.
zenk_add_zenkmail_test(NAME zenkmail_fetch
  COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/peers/pop3_runner.py
          /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/peers/zenkmail_fetch_check.py)

# The session's silence limit, white-box: Pop3Session linked into the test
# with shortened limits, against the scripted peer that stalls mid-message.
zenk_add_wine_test(NAME pop3_session_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/pop3_session_test.cpp
  LIBS zenk32_objs zenk_portable wsock32 comctl32 mpr gdi32 user32
  TIMEOUT 60
  RUNNER /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/peers/pop3_runner.py)
