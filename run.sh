#!/usr/bin/env bash
# Sets up what is missing, builds, and runs velmo's page operations on a copy of the example site.
set -euo pipefail
cd "$(dirname "$0")"

tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target velmo
