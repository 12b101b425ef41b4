#include <windows.h>

#include <cerrno>
#include <utility>

#include "file_host/files/file_error.h"
#include "file_host/files/temporary_file.h"
#include "file_host/files/temporary_files.h"
#include "file_host/files/windows_file.h"

namespace velmo::file_host {
namespace fs = std::filesystem;

// Windows keeps no permission bits to carry over: `mode` is not used.
TemporaryFile TemporaryFile::createIn(const fs::path& folder, const fs::path& shownAs, unsigned) {
  for (int attempt = 0;; ++attempt) {
    fs::path path = newTemporaryName(folder);
    const SignalsHeld held;
    UniqueHandle file = createNewFile(path);
    if (file) {
      registerTemporary(path);
      return TemporaryFile(std::move(path), file.release());
    }
    if (GetLastError() != ERROR_FILE_EXISTS || attempt >= 16) {
      failOnFile(lastErrno(), u"Cannot write", shownAs);
    }
  }
}

int TemporaryFile::write(std::string_view content) {
  return file_ ? writeAll(file_, content) : EBADF;
}

int TemporaryFile::flush() {
  return !file_ || FlushFileBuffers(file_) ? 0 : lastErrno();
}

int TemporaryFile::close() {
  HANDLE file = std::exchange(file_, kNoFile);
  return file && !CloseHandle(file) ? lastErrno() : 0;
}

void TemporaryFile::closeQuietly() noexcept {
  if (file_) CloseHandle(std::exchange(file_, kNoFile));
}

int TemporaryFile::renameOver(const fs::path& target) {
  if (const int err = close()) return err;
  if (const int err = moveFileOver(path_, target)) return err;
  forgetTemporary(path_);
  path_.clear();
  return 0;
}

void TemporaryFile::remove() noexcept {
  closeQuietly();
  if (path_.empty()) return;
  DeleteFileW(path_.c_str());
  forgetTemporary(path_);
  path_.clear();
}

}  // namespace velmo::file_host
