#!/usr/bin/env bash
# Cross-builds the Windows DLLs and their tests with MinGW-w64.
#   tools/windows-build.sh [BITS...]   (BITS: 32 and/or 64; both when none is given)
# Outputs: build/win32/bin/VelmoCls.dll, build/win64/bin/VelmoCls.dll and the stand-in editor.
set -euo pipefail
cd "$(dirname "$0")/.."

[[ $# -gt 0 ]] || set -- 32 64
for bits in "$@"; do
  cmake -S . -B build/win$bits -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw$bits.cmake \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build/win$bits -j"$(nproc)"
done
