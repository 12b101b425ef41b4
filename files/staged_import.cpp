#include "files/staged_import.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <random>
#include <set>
#include <system_error>

#include "files/atomic_file.h"
#include "files/file_error.h"
#include "files/platform_replace.h"
#include "files/temporary_files.h"

namespace velmo::standalone {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kStagingPrefix = ".velmo-stage-";
// A live run renames its staging files right after writing them; older ones were left behind.
constexpr auto kStaleAfter = std::chrono::minutes(1);

// Pages of one run may be worked on by several threads at once.
std::mutex stagingMutex;

std::set<fs::path>& liveStagingFiles() {
  static std::set<fs::path> files;
  return files;
}

void addLive(const fs::path& staging) {
  std::lock_guard lock(stagingMutex);
  liveStagingFiles().insert(staging);
}

void dropLive(const fs::path& staging) noexcept {
  std::lock_guard lock(stagingMutex);
  liveStagingFiles().erase(staging);
}

bool isLive(const fs::path& staging) {
  std::lock_guard lock(stagingMutex);
  return liveStagingFiles().contains(staging);
}

fs::path newStagingName() {
  static std::mt19937_64 rng{std::random_device{}()};
  char tag[24];
  {
    std::lock_guard lock(stagingMutex);
    std::snprintf(tag, sizeof tag, "%016llx", static_cast<unsigned long long>(rng()));
  }
  return fs::path(std::string(kStagingPrefix) + tag);
}

}  // namespace

bool isStagingName(const fs::path& name) {
  return name.native().starts_with(fs::path(kStagingPrefix).native());
}

fs::path writeStagingFile(const fs::path& folder, std::string_view content, const fs::path& source,
                          const fs::path& shownAs) {
  const SignalsHeld held;  // a picture is small: its file is written and registered as one step
  fs::path staging = writeNewStagingFile(folder, content, source, shownAs, newStagingName);
  addLive(staging);
  registerTemporary(staging);  // removed if a signal stops the run before commit
  return staging;
}

void removeStagingFile(const fs::path& staging) noexcept {
  std::error_code ec;
  fs::remove(staging, ec);
  dropLive(staging);
  forgetTemporary(staging);
}

void forgetStagingFile(const fs::path& staging) noexcept {
  dropLive(staging);
  forgetTemporary(staging);
}

void removeStaleStagingFiles(const fs::path& folder) noexcept {
  std::error_code ec;
  const auto now = fs::file_time_type::clock::now();
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (!isStagingName(it->path().filename())) continue;
    std::error_code fileError;
    if (!it->is_regular_file(fileError) || it->is_symlink(fileError)) continue;
    const auto written = it->last_write_time(fileError);
    if (!fileError && now - written > kStaleAfter && !isLive(it->path())) {
      fs::remove(it->path(), fileError);
    }
  }
}

}  // namespace velmo::standalone
