# Velmira32's portable pieces: the bounded view log and the listing intake.
zenk_add_native_test(NAME app_native_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/app_log_text_test.cpp ${CMAKE_SOURCE_DIR}/app/log_text.cpp)
