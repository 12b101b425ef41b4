#pragma once
// Exact expected texts kept as files under tests/golden/, so the core, velmo and the COM server
// are all checked against the same bytes.

#include <string>

#include "tests/support/temp_dir.h"

namespace velmo::testing {

inline std::string golden(const std::string& name) {
  return readBytes(std::filesystem::path(VELMO_SOURCE_DIR) / "tests" / "golden" / name);
}

}  // namespace velmo::testing
