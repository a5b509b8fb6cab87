# libFuzzer targets over the reply parsers (clang, -DZENK_FUZZ=ON); the
# scanner's target lives with its tests. scripts/fuzz.sh runs them all.
if(ZENK_FUZZ AND NOT ZENK_CROSS AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  # Coverage feedback from the code under test, not only from the harness.
  target_compile_options(zenk_portable PRIVATE -fsanitize=fuzzer-no-link)
  target_compile_options(tovan_portable PRIVATE -fsanitize=fuzzer-no-link)
  foreach(name smtp_reply_fuzz pop3_reply_fuzz ftp_reply_fuzz header_words_fuzz)
    add_executable(${name} ${CMAKE_CURRENT_LIST_DIR}/../fuzz/${name}.cpp)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${name} PRIVATE zenk_portable tovan_portable)
  endforeach()
  add_custom_target(fuzz_all)
  add_dependencies(fuzz_all mime_scanner_fuzz smtp_reply_fuzz pop3_reply_fuzz ftp_reply_fuzz header_words_fuzz)
endif()
