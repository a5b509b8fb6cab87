# Stream and UDP endpoints through the exports, on real loopback sockets.
zenk_add_wine_test(NAME sockets_stream_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/sockets_stream_test.cpp
  LIBS zenk32_import)
zenk_add_wine_test(NAME sockets_udp_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/sockets_udp_test.cpp
  LIBS zenk32_import wsock32)

# Injected faults, white-box: the library's own objects linked into the
# test program, whose WinSock and memory tables the test replaces.
zenk_add_wine_test(NAME sockets_fault_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/sockets_fault_test.cpp
  LIBS zenk32_objs zenk_portable wsock32 comctl32 mpr gdi32 user32)

# Stream clients against a Python peer that holds data back, closes early,
# resets or sends a burst.
zenk_add_wine_test(NAME sockets_peer_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/sockets_peer_test.cpp
  LIBS zenk32_objs zenk_portable wsock32 comctl32 mpr gdi32 user32
  RUNNER /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/peers/sockets_peers.py run)

# A hundred connections on one thread, 1 MiB each way each, every byte checked.
zenk_add_wine_test(NAME sockets_scale_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/sockets_scale_test.cpp
  LIBS zenk32_import psapi user32
  TIMEOUT 300)
