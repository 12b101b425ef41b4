#include "file_host/files/posix_file.h"
#include "file_host/files/write_batch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/futex.h>
#include <sys/syscall.h>
#endif

#include <algorithm>
#include <cerrno>
#include <climits>

namespace velmo::file_host {

int writeAll(int fd, std::string_view content, off_t knownStart) {
  // Written in slices, each but the last sent on its way to the disk at once, so that the disk
  // writes the start of a big page while the rest is still being copied and the flush that
  // follows has little left to do.
  constexpr std::size_t kSlice = std::size_t{8} << 20;
  const off_t start = knownStart >= 0 ? knownStart : ::lseek(fd, 0, SEEK_CUR);
  std::size_t offset = 0;
  while (offset < content.size()) {
    const std::size_t want = std::min(content.size() - offset, kSlice);
    const ssize_t n = ::write(fd, content.data() + offset, want);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
#ifdef __linux__
    if (start >= 0 && offset + static_cast<std::size_t>(n) < content.size()) {
      ::sync_file_range(fd, start + static_cast<off_t>(offset), n, SYNC_FILE_RANGE_WRITE);
    }
#endif
    offset += static_cast<std::size_t>(n);
  }
  return 0;
}

int readAll(int fd, std::string& content) {
  struct stat st {};
  const off_t at = ::lseek(fd, 0, SEEK_CUR);
  if (::fstat(fd, &st) == 0 && at >= 0 && st.st_size > at) {
    content.reserve(content.size() + static_cast<std::size_t>(st.st_size - at));
  }
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return 0;
    content.append(buffer, static_cast<std::size_t>(n));
  }
}

std::uint64_t fileSystemOf(const std::filesystem::path& folder) {
  struct stat st {};
  if (::stat(folder.empty() ? "." : folder.c_str(), &st) != 0) return 0;
  // Never 0, which stands for "flush file by file".
  return static_cast<std::uint64_t>(st.st_dev) + 1;
}

int flushFileSystem(int fd, std::uint64_t fileSystem) {
#ifdef __linux__
  // Waits for every file written to it, this one among them, and for the journal.
  if (fileSystem != 0) return ::syncfs(fd) == 0 ? 0 : errno;
#else
  (void)fileSystem;
#endif
  return ::fsync(fd) == 0 ? 0 : errno;
}

void flushFileSystemOf(const std::filesystem::path& folder) {
#ifdef __linux__
  const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::syncfs(dir);
    ::close(dir);
  }
#else
  flushFolder(folder);
#endif
}

void flushFolder(const std::filesystem::path& folder) {
  const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

// The standard library's wait spins and yields before it sleeps, a handful of system calls for
// a wait that is sure to be long (a flush); the futex itself is one.
void waitWhileEqual(std::atomic<std::uint32_t>& value, std::uint32_t seen) {
#ifdef __linux__
  static_assert(sizeof(value) == sizeof(std::uint32_t));
  ::syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&value), FUTEX_WAIT_PRIVATE, seen, nullptr,
            nullptr, 0);
#else
  value.wait(seen, std::memory_order_acquire);
#endif
}

void wakeAll(std::atomic<std::uint32_t>& value) {
#ifdef __linux__
  ::syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&value), FUTEX_WAKE_PRIVATE, INT_MAX,
            nullptr, nullptr, 0);
#else
  value.notify_all();
#endif
}

}  // namespace velmo::file_host
