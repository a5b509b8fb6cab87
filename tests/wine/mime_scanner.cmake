# The MIME scanner through its exports, on real files.
zenk_add_wine_test(NAME mime_scanner_exports_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/mime_scanner_exports_test.cpp
  LIBS zenk32_import)
