#pragma once
// What a folder holds, as the tests compare it after a command.

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace velmo::testing {

// Every file and folder below `folder`, by its path from it, sorted.
inline std::vector<std::string> namesIn(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    names.push_back(std::filesystem::relative(entry.path(), folder).generic_string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The names velmo leaves beside the files it writes in `folder`, were it to leave any.
inline std::vector<std::string> leftovers(const std::filesystem::path& folder) {
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with(".velmo") || name.ends_with(".tmp")) found.push_back(name);
  }
  return found;
}

}  // namespace velmo::testing
