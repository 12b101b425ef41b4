#!/usr/bin/env bash
# Builds the page fuzzer with clang (in build-fuzz/) and runs it for the given number of seconds
# (default 120). Inputs it finds interesting stay in build-fuzz/page-corpus; a crash is written to
# build-fuzz/ as crash-*: add it to tests/unit/page_check_test.cpp as a regression case.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-120}

cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DVELMO_FUZZ=ON >/dev/null
cmake --build build-fuzz -j2 --target velmo_page_fuzz

corpus=build-fuzz/page-corpus
mkdir -p "$corpus"
cd build-fuzz
bin/velmo_page_fuzz page-corpus -dict=../tests/fuzz/page.dict -max_total_time="$seconds" \
  -timeout=10 -max_len=8192 -print_final_stats=1
