# What both mail clients share on the Windows side: the session window and
# MailSession (stream endpoint, tick, event dispatch). Cross builds only.
if(ZENK_CROSS)
  target_sources(zenk32_objs PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/session_window.cpp
    ${CMAKE_CURRENT_LIST_DIR}/mail_session.cpp)
endif()
