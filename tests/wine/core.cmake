# The library frame through its exports, as a caller links it.
zenk_add_wine_test(NAME core_exports_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/core_exports_test.cpp
  LIBS zenk32_import)

# Event window routing and owner notification, white-box: the library's own
# objects linked into the test program with a test-only endpoint.
zenk_add_wine_test(NAME core_routing_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/core_routing_test.cpp
  LIBS zenk32_objs zenk_portable wsock32 comctl32 mpr gdi32 user32)
