zenk_add_native_test(NAME message_files_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/message_files_test.cpp)
