# tovan32.dll through its exports against real FTP servers on 127.0.4.x
# (tests/peers/tovan_ftpd.py, started by tests/peers/tovan_runner.py).
zenk_add_wine_test(NAME tovan_ftp_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tovan/session_test.cpp ${CMAKE_CURRENT_LIST_DIR}/tovan/transfer_test.cpp
  LIBS tovan32_import user32
  TIMEOUT 170
  RUNNER /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/peers/tovan_runner.py)
