# The POP3 client through its exports, against Dovecot and a scripted POP3
# peer started by tests/peers/pop3_runner.py.
zenk_add_wine_test(NAME pop3_client_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/pop3_client_test.cpp
  LIBS zenk32_import
  TIMEOUT 150
  RUNNER /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/peers/pop3_runner.py)
