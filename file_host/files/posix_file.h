#pragma once
// File descriptors and the plain reads and writes the atomic file code shares (POSIX only).

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

#include "file_host/files/atomic_file.h"

namespace velmo::file_host {

// What stat(2) says of a file, as a stamp.
FileStamp stampOfStat(const struct stat& st);

// An open file descriptor, closed when it goes.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      if (fd_ >= 0) ::close(fd_);
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }

  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }

  // Closes it now; 0, or the errno of a close that failed (on a network file system a failed
  // close can be the only sign of a lost write).
  int close() {
    const int fd = std::exchange(fd_, -1);
    return fd >= 0 && ::close(fd) != 0 ? errno : 0;
  }

 private:
  int fd_ = -1;
};

// Writes all of `content` at the descriptor's position; 0, or the errno of the failure.
// `start`: the position, when the caller knows it.
int writeAll(int fd, std::string_view content, off_t start = -1);

// The rest of the file from the descriptor's position; 0, or the errno of the failure.
int readAll(int fd, std::string& content);

}  // namespace velmo::file_host
