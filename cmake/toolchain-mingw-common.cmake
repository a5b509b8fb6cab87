# Shared part of the mingw-w64 toolchain files. Needs ZENK_TRIPLE
# (i686-w64-mingw32 or x86_64-w64-mingw32) and ZENK_WINE_LOADER.
set(CMAKE_SYSTEM_NAME Windows)

# The -posix compilers: the -win32 ones have no std::thread and GoogleTest needs it.
set(CMAKE_C_COMPILER   ${ZENK_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZENK_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${ZENK_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZENK_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -static: binaries import only system DLLs (no libwinpthread-1.dll etc.)
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# ctest runs every test executable through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${ZENK_WINE_LOADER})
