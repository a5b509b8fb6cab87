# The MIME scanner: line decoders, header fields, attachment names, and the
# scanner itself over an inbox in memory.
zenk_add_native_test(NAME mime_scanner_native_test SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/mime_decoding_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mime_scanner_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mime_multipart_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mime_roundtrip_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mime_real_mail_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mime_scan_io_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/charset_coding_test.cpp)

# libFuzzer target over the scanner (clang, -DZENK_FUZZ=ON).
if(ZENK_FUZZ AND NOT ZENK_CROSS AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  add_executable(mime_scanner_fuzz ${CMAKE_CURRENT_LIST_DIR}/../fuzz/mime_scanner_fuzz.cpp)
  target_compile_options(mime_scanner_fuzz PRIVATE -fsanitize=fuzzer)
  target_link_options(mime_scanner_fuzz PRIVATE -fsanitize=fuzzer)
  target_link_libraries(mime_scanner_fuzz PRIVATE zenk_portable)
endif()
