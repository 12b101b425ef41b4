#!/usr/bin/env bash
# Sets up what is missing, builds everything and runs every test, then builds the fuzz targets
# with clang and runs each briefly. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"

tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"

# Fuzz targets in a build of their own (clang, sanitizers): the found cases, then a short search.
cmake -S . -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ -DVELMO_FUZZ=ON -DVELMO_BUILD_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/fuzz -j"$(nproc)" --target velmo_page_fuzz css_fuzz chm_fuzz
ctest --test-dir build/fuzz --output-on-failure

rm -f build/installed-pages.txt
ctest --test-dir build --output-on-failure -j"$(nproc)"
if [[ -f build/installed-pages.txt ]]; then cat build/installed-pages.txt; fi

# The COM server for Windows, cross-built and tested under Wine.
tools/windows-tests.sh
