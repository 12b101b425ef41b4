#pragma once
// A scratch site folder for page tests, removed afterwards.

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace velmo::testing {

class TempSite {
 public:
  TempSite() {
    std::random_device rd;
    root_ = std::filesystem::temp_directory_path() /
            ("velmo-page-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(root_);
  }
  ~TempSite() {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
  TempSite(const TempSite&) = delete;
  TempSite& operator=(const TempSite&) = delete;

  const std::filesystem::path& root() const { return root_; }
  std::filesystem::path path(const std::string& name) const { return root_ / name; }

  std::filesystem::path write(const std::string& name, const std::string& bytes) const {
    const auto p = path(name);
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
    return p;
  }
  std::string read(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }

 private:
  std::filesystem::path root_;
};

}  // namespace velmo::testing
