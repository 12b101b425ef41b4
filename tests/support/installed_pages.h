#pragma once
// The HTML pages that the installed Debian packages ship under /usr/share/doc: real pages
// written by others, for the corpus tests.

#include <algorithm>
#include <filesystem>
#include <vector>

namespace velmo::testing {

inline std::vector<std::filesystem::path> installedPages() {
  namespace fs = std::filesystem;
  std::vector<fs::path> out;
  std::error_code ec;
  fs::recursive_directory_iterator it("/usr/share/doc",
                                      fs::directory_options::skip_permission_denied, ec);
  for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    const auto ext = it->path().extension();
    if ((ext == ".html" || ext == ".htm") && it->is_regular_file(ec)) out.push_back(it->path());
  }
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace velmo::testing
