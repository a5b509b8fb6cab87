# The POP3 client: its portable state machine, and the session window,
# stream and inbox file around it with the exports (cross builds only).
target_sources(zenk_portable PRIVATE ${CMAKE_CURRENT_LIST_DIR}/pop3_engine.cpp)
