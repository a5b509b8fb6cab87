# Message files: the shared line reader and record lines (portable), and the
# file-backed byte source (OS layer).
target_sources(zenk_portable PRIVATE ${CMAKE_CURRENT_LIST_DIR}/message_files.cpp)
if(ZENK_CROSS)
  target_sources(zenk32_objs PRIVATE ${CMAKE_CURRENT_LIST_DIR}/win_file_source.cpp)
endif()
