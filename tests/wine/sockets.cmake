# Stream and UDP endpoints through the exports, on real loopback sockets.
zenk_add_wine_test(NAME sockets_stream_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/sockets_stream_test.cpp
  LIBS zenk32_import)
