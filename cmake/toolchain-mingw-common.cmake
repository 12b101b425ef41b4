# Shared part of the MinGW-w64 toolchains; the per-bitness files set VELMO_MINGW_TRIPLE first.
set(CMAKE_SYSTEM_NAME Windows)

# The -posix compilers carry std::thread and friends.
set(CMAKE_C_COMPILER ${VELMO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELMO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VELMO_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VELMO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# At -O2, GCC 12 with MinGW's libstdc++ flags std::u16string concatenations as overlapping
# copies and the cleanup of static aggregates with string members as reads of uninitialised
# memory; the same code builds clean for Linux. Those two diagnostics are false positives here.
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict -Wno-maybe-uninitialized")

# The DLLs and test programs must load on a bare Windows: no MinGW runtime DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run under Wine, each bitness in its own prefix (prepared by tools/wine-prefix.sh).
set(VELMO_WINEPREFIX "${CMAKE_BINARY_DIR}/../wineprefix${VELMO_WINE_BITS}"
    CACHE PATH "Wine prefix the Windows tests run in")
set(CMAKE_CROSSCOMPILING_EMULATOR
    env "WINEPREFIX=${VELMO_WINEPREFIX}" "WINEDEBUG=-all" "WINEDLLOVERRIDES=winebrowser.exe=d"
    wine)
