#include "files/staged_import.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <random>
#include <set>
#include <system_error>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#endif

#include "files/atomic_file.h"
#include "files/file_error.h"
#include "files/posix_file.h"
#include "files/temporary_files.h"
#include "files/windows_file.h"

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

#ifdef _WIN32
// Windows keeps no permission bits to carry over; the name is taken exclusively, as on POSIX.
fs::path writeNewFile(const fs::path& folder, std::string_view content, const fs::path&,
                      const fs::path& shownAs) {
  for (int attempt = 0;; ++attempt) {
    const fs::path staging = folder / newStagingName();
    UniqueHandle out = createNewFile(staging);
    if (!out) {
      if (GetLastError() == ERROR_FILE_EXISTS && attempt < 8) continue;
      failOnFile(lastErrno(), u"Cannot write", shownAs);
    }
    int err = writeAll(out.get(), content);
    if (!err && !FlushFileBuffers(out.get())) err = lastErrno();
    out.reset();
    if (err) {
      DeleteFileW(staging.c_str());
      failOnFile(err, u"Cannot write", shownAs);
    }
    return staging;
  }
}
#else
fs::path writeNewFile(const fs::path& folder, std::string_view content, const fs::path& source,
                      const fs::path& shownAs) {
  struct stat st {};
  if (::stat(source.c_str(), &st) != 0) failOnFile(errno, u"Cannot read", source);
  // open() applies the umask, which is what cp does for a new copy.
  const mode_t mode = st.st_mode & 0777;
  for (int attempt = 0;; ++attempt) {
    const fs::path staging = folder / newStagingName();
    UniqueFd out(::open(staging.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
    if (!out) {
      if (errno == EEXIST && attempt < 8) continue;
      failOnFile(errno, u"Cannot write", shownAs);
    }
    int err = writeAll(out.get(), content);
    if (!err && ::fsync(out.get()) != 0) err = errno;
    if (const int closed = out.close(); !err) err = closed;
    if (err) {
      ::unlink(staging.c_str());
      failOnFile(err, u"Cannot write", shownAs);
    }
    return staging;
  }
}
#endif

}  // namespace

bool isStagingName(const fs::path& name) {
  return name.native().starts_with(fs::path(kStagingPrefix).native());
}

fs::path writeStagingFile(const fs::path& folder, std::string_view content, const fs::path& source,
                          const fs::path& shownAs) {
  const SignalsHeld held;  // a picture is small: its file is written and registered as one step
  fs::path staging = writeNewFile(folder, content, source, shownAs);
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
