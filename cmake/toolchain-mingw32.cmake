# 32-bit Windows (what a 32-bit editor loads), cross-built with MinGW-w64.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VELMO_MINGW_TRIPLE i686-w64-mingw32)
set(VELMO_WINE_BITS 32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
