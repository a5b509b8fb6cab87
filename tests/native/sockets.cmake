zenk_add_native_test(NAME sockets_native_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/sockets_native_test.cpp)
