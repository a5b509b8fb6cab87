# Portable decisions of tovan32.dll: replies, addresses, names, flows.
zenk_add_native_test(NAME tovan_native_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tovan/reply_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/tovan/flow_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/tovan/names_test.cpp
  LIBS tovan_portable)
