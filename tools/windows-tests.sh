#!/usr/bin/env bash
# Cross-builds the Windows DLLs and their tests (32- and 64-bit) with MinGW-w64, prepares a Wine
# prefix for each bitness and runs the tests there. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/windows-build.sh 32 64

# The dialog tests show real windows: they go to an X server of their own without a screen.
source tools/xvfb.sh
start_xvfb

stop_all() {
  for bits in 32 64; do
    WINEPREFIX=$PWD/build/wineprefix$bits wineserver -k 2>/dev/null || true
  done
  stop_xvfb
}
trap stop_all EXIT

status=0
export VELMO_KEEP_WINESERVER=1
for bits in 32 64; do
  tools/wine-prefix.sh $bits build/win$bits
  # A Wine process now and then dies with SIGSEGV on its way out after all its tests passed;
  # a second run of a failed test tells that apart from a real failure.
  ctest --test-dir build/win$bits --output-on-failure --repeat until-pass:2 || status=1
  # velmo.exe runs the steps of ./run.sh and must leave and print what the Linux velmo does.
  tests/win/compare_run_steps.sh $bits || status=1
  # One Wine at a time on the X server: a second one's services make every start wait.
  WINEPREFIX=$PWD/build/wineprefix$bits wineserver -k 2>/dev/null || true
  WINEPREFIX=$PWD/build/wineprefix$bits wineserver -w 2>/dev/null || true
done
# The installer packages, in a fresh prefix of their own (tests/win/packages_test.sh).
tests/win/packages_test.sh || status=1
exit $status
