# The MIME scanner: portable decision code, and its Windows file layer and
# exports (cross builds only).
target_sources(zenk_portable PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/scan_line.cpp
  ${CMAKE_CURRENT_LIST_DIR}/transfer_decoding.cpp
  ${CMAKE_CURRENT_LIST_DIR}/header_fields.cpp
  ${CMAKE_CURRENT_LIST_DIR}/encoded_words.cpp
  ${CMAKE_CURRENT_LIST_DIR}/attachment_names.cpp
  ${CMAKE_CURRENT_LIST_DIR}/message_record.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mime_scanner.cpp
  ${CMAKE_CURRENT_LIST_DIR}/multipart_body.cpp)
if(ZENK_CROSS)
  target_sources(zenk32_objs PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/win_attachment_store.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win_charset_converter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/exports_scanner.cpp)
endif()
