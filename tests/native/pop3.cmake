# The POP3 client's state machine, driven by scripted stream events.
zenk_add_native_test(NAME pop3_native_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/pop3_engine_test.cpp)
