#pragma once
// Handles and the plain reads and writes the Windows file code shares (Windows only).

#ifdef _WIN32
#include <windows.h>

#include <filesystem>
#include <string_view>
#include <utility>

namespace velmo::file_host {

// An open file handle, closed when it goes.
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept
      : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      reset();
      handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
    }
    return *this;
  }

  HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE release() { return std::exchange(handle_, INVALID_HANDLE_VALUE); }
  void reset() {
    if (*this) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// The errno value that says in the same words what GetLastError() (or `error`) says, so that
// messages read as they do on Linux.
int errnoOfWindowsError(DWORD error);
int lastErrno();

// Readers and writers may keep the file open meanwhile, and a new version may be renamed over
// it while they do.
inline constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Creates `path`, failing when anything has that name already (never opens an existing file).
UniqueHandle createNewFile(const std::filesystem::path& path);

// Renames `from` over `to` in one step, even while readers that share deletion hold `to` open,
// keeping its read-only attribute; 0, or the errno of the failure.
int moveFileOver(const std::filesystem::path& from, const std::filesystem::path& to);

// Writes all of `content` at the handle's position; 0, or the errno of the failure.
int writeAll(HANDLE file, std::string_view content);

}  // namespace velmo::file_host
#endif
