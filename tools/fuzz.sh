#!/usr/bin/env bash
# Builds the fuzz targets with clang (in build/fuzz/) and runs each for the given number of
# seconds (default 300). Inputs they find interesting stay in build/fuzz/long/; a crash or a broken
# invariant is written there as crash-*. Keep each one as a regression case: the input file in
# tests/fuzz/corpus/page/ (or css/), which every ./test.sh replays, and for the page fuzzer a line
# in tests/unit/page_check_test.cpp.
#
#   tools/fuzz.sh [SECONDS] [page|css]...
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
shift || true
targets=("$@")
((${#targets[@]})) || targets=(page css)

cmake -S . -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ -DVELMO_FUZZ=ON -DVELMO_BUILD_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/fuzz -j"$(nproc)" --target velmo_page_fuzz css_fuzz

long=build/fuzz/long
for target in "${targets[@]}"; do
  mkdir -p "$long/$target"
  case $target in
    page)
      build/fuzz/bin/velmo_page_fuzz "$long/page" tests/fuzz/corpus/page -dict=tests/fuzz/page.dict \
        -max_total_time="$seconds" -timeout=10 -max_len=8192 -print_final_stats=1 \
        -artifact_prefix="$long/page-"
      ;;
    css)
      build/fuzz/bin/css_fuzz "$long/css" tests/fuzz/corpus/css -max_total_time="$seconds" \
        -timeout=10 -max_len=4096 -print_final_stats=1 -artifact_prefix="$long/css-"
      ;;
    *) echo "fuzz.sh: unknown target $target (page or css)" >&2; exit 2 ;;
  esac
done
