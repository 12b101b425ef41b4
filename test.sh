#!/usr/bin/env bash
# Sets up what is missing, builds everything and runs every test. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"

tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"

# The COM server for Windows, cross-built and tested under Wine.
tools/windows-tests.sh
