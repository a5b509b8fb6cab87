zenk_add_native_test(NAME browser_native_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/browser_native_test.cpp)
