zenk_add_native_test(NAME smtp_engine_test SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/smtp_engine_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/smtp_reply_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/smtp_secure_test.cpp)
