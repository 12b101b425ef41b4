#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "file_host/files/file_error.h"
#include "file_host/files/posix_file.h"
#include "file_host/files/temporary_file.h"
#include "file_host/files/temporary_files.h"

namespace velmo::file_host {
namespace fs = std::filesystem;

TemporaryFile TemporaryFile::createIn(const fs::path& folder, const fs::path& shownAs,
                                      unsigned mode) {
  for (int attempt = 0;; ++attempt) {
    fs::path path = newTemporaryName(folder);
    // Created and registered as one step: a stop in between would leave it behind.
    const SignalsHeld held;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY,
                          static_cast<mode_t>(mode));
    if (fd >= 0) {
      registerTemporary(path);
      return TemporaryFile(std::move(path), fd);
    }
    if (errno != EEXIST || attempt >= 16) failOnFile(errno, u"Cannot write", shownAs);
  }
}

int TemporaryFile::write(std::string_view content) {
  if (file_ < 0) return EBADF;
  const int err = writeAll(file_, content, static_cast<off_t>(written_));
  if (!err) written_ += content.size();
  return err;
}

int TemporaryFile::flush() {
  return file_ < 0 || ::fsync(file_) == 0 ? 0 : errno;
}

int TemporaryFile::close() {
  const int fd = std::exchange(file_, kNoFile);
  return fd >= 0 && ::close(fd) != 0 ? errno : 0;
}

void TemporaryFile::closeQuietly() noexcept {
  if (file_ >= 0) ::close(std::exchange(file_, kNoFile));
}

int TemporaryFile::renameOver(const fs::path& target) {
  if (const int err = close()) return err;
  if (::rename(path_.c_str(), target.c_str()) != 0) return errno;
  forgetTemporary(path_);
  path_.clear();
  return 0;
}

void TemporaryFile::remove() noexcept {
  closeQuietly();
  if (path_.empty()) return;
  ::unlink(path_.c_str());
  forgetTemporary(path_);
  path_.clear();
}

}  // namespace velmo::file_host
