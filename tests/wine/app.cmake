# Velmira32: the frame, resources and commands driven from outside the
# process, against a scripted stand-in for tovan32.dll (a copy of the
# program sits beside the stand-in in bin/fake_tovan).
if(NOT TARGET Velmira32)
  return()
endif()

zenk_module_definition(${CMAKE_SOURCE_DIR}/tovan/tovan32.def VELMIRA_FAKE_DEF)
add_library(app_fake_tovan SHARED ${CMAKE_CURRENT_LIST_DIR}/app_fake_tovan.cpp ${VELMIRA_FAKE_DEF})
target_include_directories(app_fake_tovan PRIVATE ${CMAKE_SOURCE_DIR}/tovan/include)
set_target_properties(app_fake_tovan PROPERTIES PREFIX "" OUTPUT_NAME tovan32
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/fake_tovan
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/fake_tovan
  ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib/fake_tovan)
if(NOT ZENK_WIN64)
  target_link_options(app_fake_tovan PRIVATE -Wl,--kill-at)
endif()
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/bin/fake_tovan/Velmira32.exe
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Velmira32> ${CMAKE_BINARY_DIR}/bin/fake_tovan/Velmira32.exe
  DEPENDS Velmira32 $<TARGET_FILE:Velmira32>
  COMMENT "Velmira32.exe beside the stand-in tovan32.dll")
add_custom_target(app_fake_copy ALL DEPENDS ${CMAKE_BINARY_DIR}/bin/fake_tovan/Velmira32.exe)

set(VELMIRA_RUNNER /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/app_runner.py ${CMAKE_BINARY_DIR}/screenshots)

zenk_add_wine_test(NAME app_gui_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/app_driver.cpp
          ${CMAKE_CURRENT_LIST_DIR}/app_fake_fixture.cpp
          ${CMAKE_CURRENT_LIST_DIR}/app_frame_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/app_resources_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/app_commands_test.cpp
  TIMEOUT 180
  RUNNER ${VELMIRA_RUNNER} --)
add_dependencies(app_gui_test app_fake_tovan app_fake_copy Velmira32)

# End to end: the real tovan32.dll (once its target exists) against pyftpdlib.
if(TARGET tovan32)
  zenk_add_wine_test(NAME app_ftp_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/app_driver.cpp
            ${CMAKE_CURRENT_LIST_DIR}/app_fake_fixture.cpp
            ${CMAKE_CURRENT_LIST_DIR}/app_ftp_test.cpp
    TIMEOUT 180
    RUNNER ${VELMIRA_RUNNER} --ftp --)
  add_dependencies(app_ftp_test tovan32 Velmira32)
endif()
