# 64-bit Windows, cross-built with MinGW-w64.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VELMO_MINGW_TRIPLE x86_64-w64-mingw32)
set(VELMO_WINE_BITS 64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
