#!/usr/bin/env bash
# Cross-builds the Windows DLLs and their tests with MinGW-w64.
#   tools/windows-build.sh [BITS...]   (BITS: 32 and/or 64; both when none is given)
# Outputs: build/win32/VelmoCls.dll and build/win64/VelmoCls.dll, each with helptest.chm,
# the stand-in editor and the test programs beside it.
set -euo pipefail
cd "$(dirname "$0")/.."

[[ $# -gt 0 ]] || set -- 32 64
# ccache, when the machine has it, makes a rebuild after a small change quick.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
fi
for bits in "$@"; do
  cmake -S . -B build/win$bits -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw$bits.cmake \
    -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
  cmake --build build/win$bits -j"$(nproc)"
done
