zenk_add_native_test(NAME tls_native_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/tls_native_test.cpp)
