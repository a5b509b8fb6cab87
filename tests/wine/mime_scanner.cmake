# The MIME scanner through its exports, on real files.
zenk_add_wine_test(NAME mime_scanner_exports_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/mime_scanner_exports_test.cpp
  LIBS zenk32_import)

# zenkmail scan on an inbox whose middle record is bad: the others are
# listed and the exit code tells.
zenk_add_zenkmail_test(NAME zenkmail_scan_check TIMEOUT 300
  COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/peers/zenkmail_scan_check.py)
