#include "file_host/files/temporary_file.h"

#include <chrono>
#include <cstdio>
#include <mutex>
#include <random>
#include <string>
#include <system_error>
#include <utility>

#include "file_host/files/temporary_files.h"

namespace velmo::file_host {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kPrefix = ".velmo-";
// A live run renames or removes its files within moments; older ones were left by a run that
// was killed.
constexpr auto kStaleAfter = std::chrono::minutes(1);

bool isHex(std::string_view text) {
  for (char c : text) {
    const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (!hex) return false;
  }
  return true;
}

bool isAlnum(std::string_view text) {
  for (char c : text) {
    const bool alnum = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!alnum) return false;
  }
  return true;
}

}  // namespace

fs::path newTemporaryName(const fs::path& folder) {
  static std::mutex mutex;
  static std::mt19937_64 random{std::random_device{}()};
  char tag[17];
  {
    std::lock_guard lock(mutex);
    std::snprintf(tag, sizeof tag, "%016llx", static_cast<unsigned long long>(random()));
  }
  return folder / (std::string(kPrefix) + tag);
}

bool isTemporaryName(const fs::path& path) {
  const std::string name = path.filename().string();
  if (name.starts_with(".") && name.ends_with(".velmo-journal.part")) return true;
  if (!name.starts_with(kPrefix)) return false;
  const std::string_view rest = std::string_view(name).substr(kPrefix.size());
  if (rest.size() == 16 && isHex(rest)) return true;
  if (rest.size() == 6 && isAlnum(rest)) return true;
  return rest.starts_with("stage-");
}

void sweepStaleTemporaries(const fs::path& folder) noexcept {
  std::error_code ec;
  const auto now = fs::file_time_type::clock::now();
  for (fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec), end;
       !ec && it != end; it.increment(ec)) {
    if (!isTemporaryName(it->path())) continue;
    std::error_code fileError;
    // A link or a folder of that name is no file of ours.
    if (!it->is_regular_file(fileError) || it->is_symlink(fileError)) continue;
    const auto written = it->last_write_time(fileError);
    if (fileError || now - written <= kStaleAfter || isRegisteredTemporary(it->path())) continue;
    fs::remove(it->path(), fileError);
  }
}

TemporaryFile::TemporaryFile(TemporaryFile&& other) noexcept
    : path_(std::exchange(other.path_, {})),
      file_(std::exchange(other.file_, kNoFile)),
      written_(std::exchange(other.written_, 0)) {}

TemporaryFile& TemporaryFile::operator=(TemporaryFile&& other) noexcept {
  if (this != &other) {
    remove();
    path_ = std::exchange(other.path_, {});
    file_ = std::exchange(other.file_, kNoFile);
    written_ = std::exchange(other.written_, 0);
  }
  return *this;
}

TemporaryFile::~TemporaryFile() {
  remove();
}

}  // namespace velmo::file_host
