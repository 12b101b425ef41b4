#pragma once
// Headless Chromium for the real-browser tests: the DOM of a page after its scripts ran, and a
// skip with the reason when Chromium cannot start on this machine.

#include <gtest/gtest.h>

#include <string>

#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace velmo::testing {

inline ProgramResult chromiumDom(const std::string& address) {
  static const char* const kFlags =
      " --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking"
      " --disable-component-update --disable-sync --disable-quic";
  TempDir profile;
  return runProgram("timeout 120 chromium" + std::string(kFlags) + " --user-data-dir=" +
                    shellQuote(profile.path().string()) + " --dump-dom " + shellQuote(address));
}

// Empty when Chromium runs; otherwise why not, for GTEST_SKIP.
inline std::string chromiumMissing() {
  const auto probe = chromiumDom("about:blank");
  if (probe.status == 0 && probe.out.find("<html>") != std::string::npos) return {};
  return "chromium cannot start here (exit " + std::to_string(probe.status) +
         "); install it with tools/setup.sh. Its last words:\n" +
         probe.err.substr(probe.err.size() > 2000 ? probe.err.size() - 2000 : 0);
}

}  // namespace velmo::testing
