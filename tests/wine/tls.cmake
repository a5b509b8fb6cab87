# The Schannel channel over real loopback sockets against Python TLS
# servers with a CA made at every run.
zenk_add_wine_test(NAME tls_channel_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tls_channel_test.cpp
  LIBS zenk32_objs zenk_portable ws2_32 wsock32 comctl32 mpr gdi32 user32 version crypt32
  RUNNER /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/peers/tls_peers.py run)
