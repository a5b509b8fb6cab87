# MimeComposer: portable composer, base64 and stamps; Windows files, clock
# and the nine exports in the OS layer.
target_sources(zenk_portable PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/base64_encode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/charset_names.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_encoding.cpp
  ${CMAKE_CURRENT_LIST_DIR}/message_stamps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mime_composer.cpp)
if(ZENK_CROSS)
  target_sources(zenk32_objs PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/win_composer_storage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/exports_composer.cpp)
endif()
