# SmtpSession: the portable engine, reply intake and command bytes; the
# session window, stream and exports in the OS layer.
target_sources(zenk_portable PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/smtp_engine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/smtp_commands.cpp)
