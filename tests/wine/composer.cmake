# The MIME composer through zenk32.dll's exports, on real Windows files.
zenk_add_wine_test(NAME composer_exports_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/composer_exports_test.cpp
  LIBS zenk32_import)
