# Test helpers shared by every family.
#
# zenk_add_native_test(NAME n SOURCES a.cpp ... [LIBS ...])
#   Native GoogleTest executable (ASan/UBSan) linked with the portable core.
#
# zenk_add_wine_test(NAME n SOURCES a.cpp ... [LIBS ...] [TIMEOUT s]
#                    [RUNNER script args...])
#   Cross-built GoogleTest executable run under Wine by ctest. The test main
#   (tests/support/wine_test_main.cpp) turns any crash into exit code 99 and
#   the text "fatal exception 0x...", which FAIL_REGULAR_EXPRESSION catches.
#   RUNNER: a command run on Linux that starts the peers the test needs and
#   then runs the test program; the program's path is appended last.
#
# zenk_add_zenkmail_test(NAME n COMMAND cmd args... [TIMEOUT s])
#   zenkmail.exe as a user runs it: COMMAND (a peer runner, a check script)
#   gets the Wine loader and zenkmail's path appended last; test wine.n.
#
# zenk_apply_wine_checks()
#   Called once after every test is defined (tests/CMakeLists.txt): every
#   test named wine.* runs with Wine's heap checking on and fails on a crash
#   or on any heap warning or error Wine prints, whichever way it was added.
include(GoogleTest)

set(ZENK_CRASH_REGEX "Unhandled (exception|page fault)|fatal exception 0x")
# Wine checks heap parameters and fills freed blocks with FEEEFEEE while its
# heap channel warns, and reports a block that is not (or no longer) a heap
# block; a program that used freed memory shows up here even where it
# survives by luck.
set(ZENK_WINEDEBUG "-all,err+heap,warn+heap")
set(ZENK_HEAP_REGEX "[0-9a-f]+:(err|warn):heap:")

function(zenk_add_native_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
  if(ZENK_CROSS)
    return()
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE zenk_portable GTest::gtest_main ${T_LIBS})
  gtest_discover_tests(${T_NAME} TEST_PREFIX "native.")
endfunction()

# What every Wine test shares: a crash under Wine fails it, it runs in the
# build's bin folder, and it has a time limit (120 s unless given).
function(zenk_wine_test_properties name timeout)
  if(NOT timeout)
    set(timeout 120)
  endif()
  set_tests_properties(${name} PROPERTIES
    FAIL_REGULAR_EXPRESSION "${ZENK_CRASH_REGEX}"
    TIMEOUT ${timeout}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endfunction()

function(zenk_add_wine_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;RUNNER" ${ARGN})
  if(NOT ZENK_CROSS)
    return()
  endif()
  if(NOT TARGET zenk_wine_test_main)
    # The test main is compiled once for all Wine tests, not once per test.
    add_library(zenk_wine_test_main OBJECT ${CMAKE_SOURCE_DIR}/tests/support/wine_test_main.cpp)
    target_link_libraries(zenk_wine_test_main PRIVATE GTest::gtest)
  endif()
  add_executable(${T_NAME} ${T_SOURCES} $<TARGET_OBJECTS:zenk_wine_test_main>)
  target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support ${CMAKE_SOURCE_DIR}/library/include)
  target_link_libraries(${T_NAME} PRIVATE GTest::gtest ${T_LIBS})
  if(T_RUNNER)
    add_test(NAME wine.${T_NAME} COMMAND ${T_RUNNER} ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${T_NAME}>)
  else()
    add_test(NAME wine.${T_NAME} COMMAND ${T_NAME})
  endif()
  zenk_wine_test_properties(wine.${T_NAME} "${T_TIMEOUT}")
endfunction()

function(zenk_add_zenkmail_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "COMMAND" ${ARGN})
  if(NOT ZENK_CROSS)
    return()
  endif()
  add_test(NAME wine.${T_NAME} COMMAND ${T_COMMAND} ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:zenkmail>)
  zenk_wine_test_properties(wine.${T_NAME} "${T_TIMEOUT}")
endfunction()

function(zenk_apply_wine_checks)
  get_property(tests DIRECTORY PROPERTY TESTS)
  foreach(test ${tests})
    if(NOT test MATCHES "^wine\\.")
      continue()
    endif()
    get_test_property(${test} FAIL_REGULAR_EXPRESSION fail)
    if(NOT fail)
      set(fail "")
    endif()
    list(APPEND fail "${ZENK_CRASH_REGEX}" "${ZENK_HEAP_REGEX}")
    list(REMOVE_DUPLICATES fail)
    set_property(TEST ${test} PROPERTY FAIL_REGULAR_EXPRESSION "${fail}")
    set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT "WINEDEBUG=${ZENK_WINEDEBUG}")
  endforeach()
endfunction()

# zenk_module_definition(def_file out_var)
#   The module-definition file to link with: the file itself for i686, a
#   copy without the "@n" stdcall decorations for x86_64.
function(zenk_module_definition def out_var)
  if(ZENK_WIN64)
    get_filename_component(name ${def} NAME)
    file(READ ${def} text)
    string(REGEX REPLACE "@[0-9]+" "" text "${text}")
    set(out ${CMAKE_CURRENT_BINARY_DIR}/${name})
    file(WRITE ${out} "${text}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
    set(${out_var} ${out} PARENT_SCOPE)
  else()
    set(${out_var} ${def} PARENT_SCOPE)
  endif()
endfunction()
