#include "file_host/files/windows_file.h"

#include <algorithm>
#include <cerrno>

#include "file_host/files/write_batch.h"

namespace velmo::file_host {

int errnoOfWindowsError(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EACCES;
    case ERROR_WRITE_PROTECT:
      return EROFS;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    case ERROR_FILENAME_EXCED_RANGE:
      return ENAMETOOLONG;
    case ERROR_DIRECTORY:
      return ENOTDIR;
    default:
      return EIO;
  }
}

int lastErrno() {
  return errnoOfWindowsError(GetLastError());
}

UniqueHandle createNewFile(const std::filesystem::path& path) {
  return UniqueHandle(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
}

int writeAll(HANDLE file, std::string_view content) {
  std::size_t offset = 0;
  while (offset < content.size()) {
    const DWORD chunk =
        static_cast<DWORD>(std::min<std::size_t>(content.size() - offset, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, content.data() + offset, chunk, &written, nullptr)) return lastErrno();
    if (written == 0) return EIO;
    offset += written;
  }
  return 0;
}

// A rename is written through at once (MOVEFILE_WRITE_THROUGH): there is nothing to batch.
// Renames are written through as they are made (MOVEFILE_WRITE_THROUGH).
void flushFolder(const std::filesystem::path&) {}

// Windows flushes file by file.
std::uint64_t fileSystemOf(const std::filesystem::path&) {
  return 0;
}

int flushFileSystem(HANDLE file, std::uint64_t) {
  return FlushFileBuffers(file) ? 0 : lastErrno();
}

void flushFileSystemOf(const std::filesystem::path&) {}

// The system's own wait on an address: the library's std::atomic wait of MinGW's GCC 12 can miss
// a notify_all on a system without futexes and leave a wave's files waiting for ever.
void waitWhileEqual(std::atomic<std::uint32_t>& value, std::uint32_t seen) {
  static_assert(sizeof(value) == sizeof(std::uint32_t));
  WaitOnAddress(&value, &seen, sizeof seen, INFINITE);
}

void wakeAll(std::atomic<std::uint32_t>& value) {
  WakeByAddressAll(&value);
}

}  // namespace velmo::file_host
