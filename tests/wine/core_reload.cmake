# zenk32.dll loaded, used, unloaded and loaded again in one process. The
# program binds the library at run time only (no import library), so that
# FreeLibrary really unloads it.
zenk_add_wine_test(NAME core_reload_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/core_reload_test.cpp
  LIBS ws2_32
  TIMEOUT 120)
add_dependencies(core_reload_test zenk32)
