#include <windows.h>

#include <cstdio>
#include <cwctype>
#include <string>

#include "core/common/host_error.h"
#include "file_host/files/atomic_file.h"
#include "file_host/files/file_lock.h"
#include "file_host/files/windows_file.h"

namespace velmo::file_host {
namespace {

// Windows will not rename a new file over one that any handle holds open, so a lock kept on the
// page itself would stop velmo's own save. The lock is a named mutex instead, one for each file
// by its final path (links followed, in the case the disk keeps): every velmo run on the machine
// sees it and waits for it, programs that do not lock are not held back, and it stays valid
// across the rename because it belongs to the name. A mutex is also held again, not waited for,
// by the thread that holds it, as a lock is shared within one thread on Linux.
std::wstring mutexNameOf(HANDLE file) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetFinalPathNameByHandleW(
        file, path.data(), static_cast<DWORD>(path.size()), FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(length + 1);
  }
  // FNV-1a over the upper-cased path: the names of files that differ only in case are one file.
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (wchar_t c : path) {
    hash = (hash ^ static_cast<std::uint16_t>(std::towupper(c))) * 0x100000001b3ull;
  }
  wchar_t name[64];
  std::swprintf(name, 64, L"Local\\velmo-file-lock-%016llx", static_cast<unsigned long long>(hash));
  return name;
}

}  // namespace

struct FileLock::Held {
  UniqueHandle mutex;
  ~Held() {
    if (mutex) ReleaseMutex(mutex.get());
  }
};

// A mutex is held again by the thread that holds it, so locks are shared within a thread
// whatever set they are taken through.
struct FileLocks::Registry {};
FileLocks::FileLocks() : registry_(std::make_unique<Registry>()) {}
FileLocks::~FileLocks() = default;

namespace {

FileLock::NativeFile openToLock(const std::filesystem::path& path, bool folder) {
  return CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                     folder ? FILE_FLAG_BACKUP_SEMANTICS : FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The named mutex of the file or folder `handle` is open on, waited for; none when it cannot be
// named. HostError when `seconds` pass first.
std::shared_ptr<FileLock::Held> lockByName(FileLock::NativeFile handle,
                                           const std::filesystem::path& path, int seconds,
                                           bool folder) {
  const UniqueHandle file(static_cast<HANDLE>(handle));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!file || !GetFileInformationByHandle(file.get(), &info) ||
      ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) != folder) {
    return {};
  }
  const std::wstring name = mutexNameOf(file.get());
  if (name.empty()) return {};
  UniqueHandle mutex(CreateMutexW(nullptr, FALSE, name.c_str()));
  if (!mutex) return {};
  const DWORD waited =
      WaitForSingleObject(mutex.get(), seconds < 0 ? INFINITE : static_cast<DWORD>(seconds) * 1000);
  // An abandoned mutex is one whose holder ended without letting go: the lock is ours now.
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
    if (waited != WAIT_TIMEOUT) return {};
    throw HostError(hr::kFail, u"Cannot change '" + pathToText(path) +
                                   u"': another run is changing it; it was left as it is");
  }
  auto held = std::make_shared<FileLock::Held>();
  held->mutex = std::move(mutex);
  return held;
}

}  // namespace

FileLock FileLock::acquire(const std::filesystem::path& path, FileLocks* shared) {
  return acquireWithin(path, -1, shared);
}

FileLock FileLock::acquireFolder(const std::filesystem::path& path, int seconds) {
  FileLock lock;
  lock.held_ = lockByName(openToLock(path, true), path, seconds, true);
  return lock;
}

// The lock is a mutex, not the file: nothing is learned of the file and nothing read through it.
int FileLock::descriptor() const {
  return -1;
}

FileLock FileLock::acquireWithin(const std::filesystem::path& path, int seconds, FileLocks*,
                                 LockedFacts*) {
  FileLock lock;
  lock.held_ = lockByName(openToLock(path, false), path, seconds, false);
  return lock;
}

// The lock of the name already covers the file renamed into place under it.
FileLock FileLock::adopt(NativeFile handle) {
  const UniqueHandle owned(static_cast<HANDLE>(handle));
  return {};
}

std::optional<FileStamp> FileLock::stampAfterRename(FileLocks*) {
  return std::nullopt;
}

}  // namespace velmo::file_host
