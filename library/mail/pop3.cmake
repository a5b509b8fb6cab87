# The POP3 client: its portable state machine, and the inbox file and
# notifications around it with the exports (cross builds only).
target_sources(zenk_portable PRIVATE ${CMAKE_CURRENT_LIST_DIR}/pop3_engine.cpp)
if(ZENK_CROSS)
  target_sources(zenk32_objs PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/pop3_session.cpp
    ${CMAKE_CURRENT_LIST_DIR}/exports_pop3.cpp)
endif()
