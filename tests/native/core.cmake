zenk_add_native_test(NAME core_native_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/core_native_test.cpp)
zenk_add_native_test(NAME trace_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/trace_test.cpp)
