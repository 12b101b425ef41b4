#pragma once
// A scratch site folder for page tests, removed afterwards.

#include <string>

#include "tests/support/temp_dir.h"

namespace velmo::testing {

class TempSite : public TempDir {
 public:
  const std::filesystem::path& root() const { return path(); }
  std::filesystem::path path(const std::string& name) const { return *this / name; }
  using TempDir::path;
  std::string read(const std::string& name) const { return readBytes(path(name)); }
};

}  // namespace velmo::testing
