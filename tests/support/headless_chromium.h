#pragma once
// Headless Chromium for the browser checks: the DOM of a page after its scripts ran.

#include <string>

#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace velmo::testing {

// Without the networking flags Chromium keeps knocking at hosts this machine cannot reach.
inline constexpr const char* kChromiumFlags =
    " --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking"
    " --disable-component-update --disable-sync --disable-quic";

// The serialised DOM of `address` (standard output) with a fresh profile. `virtualTimeMs`
// lets timers and load handlers run that long in virtual time before the dump.
inline ProgramResult chromiumDom(const std::string& address, int virtualTimeMs = 0) {
  TempDir profile;
  std::string command = "timeout 120 chromium" + std::string(kChromiumFlags) +
                        " --user-data-dir=" + shellQuote(profile.path().string());
  if (virtualTimeMs > 0) command += " --virtual-time-budget=" + std::to_string(virtualTimeMs);
  return runProgram(command + " --dump-dom " + shellQuote(address));
}

// Empty when Chromium can start here; otherwise why not, for GTEST_SKIP.
inline std::string chromiumMissing() {
  const auto probe = chromiumDom("about:blank");
  if (probe.status == 0 && probe.out.find("<html>") != std::string::npos) return {};
  return "chromium cannot start here (exit " + std::to_string(probe.status) +
         "); install it with tools/setup.sh. Its last words:\n" +
         probe.err.substr(probe.err.size() > 2000 ? probe.err.size() - 2000 : 0);
}

}  // namespace velmo::testing
