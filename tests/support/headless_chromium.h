#pragma once
// Headless Chromium for the browser checks: one run loads a page, lets its scripts run and
// prints the resulting DOM.

#include <optional>
#include <string>

#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace velmo::testing {

// Without the background-networking flags Chromium keeps trying to reach the closed network.
inline const char* const kChromiumFlags =
    " --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking"
    " --disable-component-update --disable-sync --disable-quic";

// The DOM of the page at `address` after it loaded, in a fresh profile. `extraFlags` (each with
// a leading space) go before the address.
inline ProgramResult dumpDom(const std::string& address, const std::string& extraFlags = "") {
  TempDir profile;
  return runProgram("timeout 120 chromium" + std::string(kChromiumFlags) + extraFlags +
                    " --user-data-dir=" + shellQuote(profile.path().string()) + " --dump-dom " +
                    shellQuote(address));
}

// Why Chromium cannot run here, for a skipped test; nothing when it can.
inline std::optional<std::string> chromiumMissing() {
  const auto probe = dumpDom("about:blank");
  if (probe.status == 0 && probe.out.find("<html>") != std::string::npos) return std::nullopt;
  return "chromium cannot start here (exit " + std::to_string(probe.status) +
         "); install it with tools/setup.sh. Its last words:\n" +
         probe.err.substr(probe.err.size() > 2000 ? probe.err.size() - 2000 : 0);
}

}  // namespace velmo::testing
