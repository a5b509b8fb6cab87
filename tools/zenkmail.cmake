# zenkmail: command-line mail tool over zenk32.dll (send, and whatever
# other subcommands tools/zenkmail holds).
if(ZENK_CROSS)
  file(GLOB ZENKMAIL_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/zenkmail/*.cpp)
  add_executable(zenkmail ${ZENKMAIL_SOURCES})
  target_link_libraries(zenkmail PRIVATE zenk32_import user32)
endif()
