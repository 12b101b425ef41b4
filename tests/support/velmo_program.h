#pragma once
// The velmo program of this build, run as a user runs it.

#include <string>

#include "tests/support/run_program.h"

namespace velmo::testing {

inline const std::string kVelmo = VELMO_BINARY_DIR "/bin/velmo";

// `args` as a shell would split them; `input` on standard input.
inline ProgramResult runVelmo(const std::string& args, const std::string& input = "") {
  return runProgram(shellQuote(kVelmo) + " " + args, input);
}

}  // namespace velmo::testing
