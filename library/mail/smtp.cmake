# SmtpSession: the portable engine, reply intake and command bytes; the
# session window, stream and exports in the OS layer.
target_sources(zenk_portable PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/smtp_engine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/smtp_commands.cpp)
if(ZENK_CROSS)
  target_sources(zenk32_objs PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/smtp_session.cpp
    ${CMAKE_CURRENT_LIST_DIR}/exports_smtp.cpp)
endif()
