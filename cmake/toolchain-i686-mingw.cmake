# Cross toolchain for the deliverables: i686 Windows with mingw-w64, run under Wine.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ZENK_TRIPLE i686-w64-mingw32)
set(ZENK_WINE_LOADER /usr/lib/wine/wine)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
