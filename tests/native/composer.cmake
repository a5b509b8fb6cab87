zenk_add_native_test(NAME composer_test SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/composer_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/message_stamps_test.cpp)
