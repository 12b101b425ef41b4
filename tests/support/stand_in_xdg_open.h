#pragma once
// A stand-in for xdg-open: put its folder first in PATH and it writes each argument it gets on
// a line of its own into "opened" beside it, then exits with $XDG_OPEN_STATUS (default 0).
// Nothing reaches a browser or the network.

#include <filesystem>

#include "tests/support/temp_dir.h"

namespace velmo::testing {

// Writes the stand-in into `folder` below `dir` and returns that folder.
inline std::filesystem::path writeStandInXdgOpen(const TempDir& dir, const std::string& folder) {
  const auto opener = dir.write(folder + "/xdg-open",
                                "#!/bin/sh\n"
                                "printf '%s\\n' \"$@\" >>\"$(dirname \"$0\")/opened\"\n"
                                "exit \"${XDG_OPEN_STATUS:-0}\"\n");
  std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
  return opener.parent_path();
}

}  // namespace velmo::testing
