# The MIME scanner: line decoders, header fields, attachment names, and the
# scanner itself over an inbox in memory.
zenk_add_native_test(NAME mime_scanner_native_test SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/mime_decoding_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mime_scanner_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mime_multipart_test.cpp)
