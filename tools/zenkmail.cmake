# zenkmail: command-line mail tool over zenk32.dll (send, and whatever
# other subcommands tools/zenkmail holds).
if(ZENK_CROSS)
  file(GLOB ZENKMAIL_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/zenkmail/*.cpp)
  # The charset table is portable data the library also uses: zenkmail
  # needs it to read its own arguments in the set the user names.
  add_executable(zenkmail ${ZENKMAIL_SOURCES} ${CMAKE_SOURCE_DIR}/library/mime/charset_names.cpp)
  target_include_directories(zenkmail PRIVATE ${CMAKE_SOURCE_DIR}/library)
  target_link_libraries(zenkmail PRIVATE zenk32_import user32)
endif()
