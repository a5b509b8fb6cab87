# zenk_stdcall_dll(TARGET def_file include_dir)
#   Finishes a DLL whose __stdcall exports are listed (decorated) in def_file:
#   plain export names (--kill-at on i686), an import library made by dlltool
#   (ld's own is wrong for __stdcall callers under --kill-at), and an
#   INTERFACE target TARGET_import that a caller links: import library plus
#   the public header folder.
function(zenk_stdcall_dll target def include_dir)
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${target} IMPORT_SUFFIX ".ld.a")
  if(NOT ZENK_WIN64)
    target_link_options(${target} PRIVATE -Wl,--kill-at)
  endif()
  set(implib ${CMAKE_BINARY_DIR}/lib/lib${target}.a)
  add_custom_command(OUTPUT ${implib}
    COMMAND ${ZENK_MINGW_PREFIX}-dlltool --input-def ${def}
            --dllname ${target}.dll --output-lib ${implib} $<$<NOT:$<BOOL:${ZENK_WIN64}>>:--kill-at>
    DEPENDS ${def}
    COMMENT "Import library lib${target}.a")
  add_custom_target(${target}_implib ALL DEPENDS ${implib} ${target})
  add_library(${target}_import INTERFACE)
  target_include_directories(${target}_import INTERFACE ${include_dir})
  target_link_libraries(${target}_import INTERFACE ${implib})
  add_dependencies(${target}_import ${target}_implib)
endfunction()
