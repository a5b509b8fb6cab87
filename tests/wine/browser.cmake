# Network browser dialog.

# With the system's provider (no network under Wine): gate, template, "Network Error".
zenk_add_wine_test(NAME browser_dialog_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/browser_dialog_test.cpp
  LIBS zenk32_import zenk_portable)
target_include_directories(browser_dialog_test PRIVATE ${CMAKE_SOURCE_DIR}/library)

# With the test's own mpr.dll and its fixed tree. Program, fake mpr.dll and a
# copy of zenk32.dll live in bin/fakempr, so no other test sees the fake.
set(BROWSER_FAKE_DIR ${CMAKE_BINARY_DIR}/bin/fakempr)
add_library(browser_fake_mpr SHARED ${CMAKE_CURRENT_LIST_DIR}/fake_mpr/fake_mpr.c)
set_target_properties(browser_fake_mpr PROPERTIES PREFIX "" OUTPUT_NAME mpr
  RUNTIME_OUTPUT_DIRECTORY ${BROWSER_FAKE_DIR})
if(NOT ZENK_WIN64)
  target_link_options(browser_fake_mpr PRIVATE -Wl,--kill-at)
endif()
add_custom_command(OUTPUT ${BROWSER_FAKE_DIR}/zenk32.dll
  COMMAND ${CMAKE_COMMAND} -E make_directory ${BROWSER_FAKE_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:zenk32> ${BROWSER_FAKE_DIR}/zenk32.dll
  DEPENDS zenk32 $<TARGET_FILE:zenk32>
  COMMENT "zenk32.dll beside the fake mpr.dll")
add_custom_target(browser_fake_folder ALL DEPENDS ${BROWSER_FAKE_DIR}/zenk32.dll browser_fake_mpr)

zenk_add_wine_test(NAME browser_tree_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/browser_tree_test.cpp
  LIBS zenk32_import zenk_portable
  RUNNER /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/browser_runner.py
         ${CMAKE_BINARY_DIR}/screenshots/browser.png)
target_include_directories(browser_tree_test PRIVATE ${CMAKE_SOURCE_DIR}/library)
set_target_properties(browser_tree_test PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${BROWSER_FAKE_DIR})
add_dependencies(browser_tree_test browser_fake_folder)
set_tests_properties(wine.browser_tree_test PROPERTIES WORKING_DIRECTORY ${BROWSER_FAKE_DIR})
