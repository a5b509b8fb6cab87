# Test toolchain: x86_64 Windows with mingw-w64, run under wine64. The
# deliverables are i686; this configuration builds the same sources so that
# every Wine test can run on hosts that cannot run 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZENK_TRIPLE x86_64-w64-mingw32)
set(ZENK_WINE_LOADER /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
