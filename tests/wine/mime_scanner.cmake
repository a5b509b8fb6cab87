# The MIME scanner through its exports, on real files.
zenk_add_wine_test(NAME mime_scanner_exports_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/mime_scanner_exports_test.cpp
  LIBS zenk32_import)

# zenkmail scan on an inbox whose middle record is bad: the others are
# listed and the exit code tells.
if(ZENK_CROSS)
  add_test(NAME wine.zenkmail_scan_check
    COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/peers/zenkmail_scan_check.py
            ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:zenkmail>)
  set_tests_properties(wine.zenkmail_scan_check PROPERTIES
    FAIL_REGULAR_EXPRESSION "${ZENK_CRASH_REGEX}" TIMEOUT 300 WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endif()
