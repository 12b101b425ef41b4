#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <random>
#include <vector>

#include "core/common/host_error.h"
#include "file_host/files/file_error.h"
#include "file_host/files/platform_replace.h"
#include "file_host/files/windows_file.h"
#include "file_host/files/write_target.h"

namespace velmo::file_host {
namespace fs = std::filesystem;

namespace {

constexpr DWORD kMoveFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;

// The read-only attribute is cleared for the rename, which Windows refuses over a read-only
// file, and given back to the new file (--write-read-only keeps the page write-protected).
class ReadOnlyAttribute {
 public:
  explicit ReadOnlyAttribute(const fs::path& target) : target_(target) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
      attributes_ = attributes;
      SetFileAttributesW(target.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    }
  }
  // Back on the file the name now leads to, new or old.
  ~ReadOnlyAttribute() {
    if (attributes_ != INVALID_FILE_ATTRIBUTES) {
      SetFileAttributesW(target_.c_str(),
                         GetFileAttributesW(target_.c_str()) | FILE_ATTRIBUTE_READONLY);
    }
  }
  ReadOnlyAttribute(const ReadOnlyAttribute&) = delete;
  ReadOnlyAttribute& operator=(const ReadOnlyAttribute&) = delete;

 private:
  fs::path target_;
  DWORD attributes_ = INVALID_FILE_ATTRIBUTES;
};

// Windows will not rename over a file that some program holds open. Where the system knows the
// POSIX way of renaming (Windows 10 and later), a reader that shares deletion (as browsers and
// most editors do) no longer stands in the way: it keeps reading the old file.
// Declared by the headers only for builds that require Windows 10; the call fails on older ones.
constexpr auto kFileRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
constexpr DWORD kRenameReplaceIfExists = 0x1;
constexpr DWORD kRenamePosixSemantics = 0x2;

bool renameOverOpenFile(const fs::path& from, const fs::path& to) {
  const UniqueHandle file(CreateFileW(from.c_str(), DELETE | SYNCHRONIZE, kShareAll, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  const std::wstring target = fs::absolute(to).native();
  std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  const DWORD flags = kRenameReplaceIfExists | kRenamePosixSemantics;
  std::memcpy(buffer.data(), &flags, sizeof flags);
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
  std::memcpy(info->FileName, target.c_str(), target.size() * sizeof(wchar_t));
  if (!SetFileInformationByHandle(file.get(), kFileRenameInfoEx, info,
                                  static_cast<DWORD>(buffer.size()))) {
    return false;
  }
  FlushFileBuffers(file.get());
  return true;
}

}  // namespace

// The read-only attribute goes with the name, not with the file: the new file gets it back.
int moveFileOver(const fs::path& from, const fs::path& to) {
  const ReadOnlyAttribute keep(to);
  if (MoveFileExW(from.c_str(), to.c_str(), kMoveFlags)) return 0;
  const DWORD error = GetLastError();
  if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) {
    if (renameOverOpenFile(from, to)) return 0;
  }
  return errnoOfWindowsError(error);
}

int carryOverAttributes(const fs::path&, TemporaryFile&, const LockedFacts*) {
  return 0;
}

unsigned creationModeFor(const LockedFacts*) {
  return 0600;
}

FileLock lockNewFile(TemporaryFile&) {
  return {};
}

unsigned copyModeOf(const fs::path&) {
  return 0;
}

// A save replaces the file, so a file with other names is parted from them (as the README says).
bool hasOtherNames(const fs::path&) {
  return false;
}

void saveWithOtherNames(const fs::path& file, std::string_view content, const fs::path& shownAs,
                        const ReplaceSteps& steps) {
  writeAndReplace(file, content, shownAs, steps);
}

std::u16string pathToText(const fs::path& path) {
  const std::wstring& w = path.native();
  return std::u16string(w.begin(), w.end());
}

// Windows names are UTF-16 text; a control character in one is escaped where the message is
// printed.
std::u16string shownPath(const fs::path& path) {
  return pathToText(path);
}

fs::path textToPath(std::u16string_view text) {
  return fs::path(std::wstring(text.begin(), text.end()));
}

std::optional<FileStamp> stampOf(const fs::path& path) {
  const UniqueHandle file(CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!file || !GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
  FileStamp s;
  s.device = info.dwVolumeSerialNumber;
  s.inode = std::uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow;
  s.size = std::uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow;
  const std::uint64_t ticks =
      std::uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32 | info.ftLastWriteTime.dwLowDateTime;
  s.modified = static_cast<std::int64_t>(ticks) * 100;
  return s;
}

// Windows never writes a file in place, so no save can be left half done.
void recoverInterruptedSave(const fs::path&) {}

void writeIntoStream(const WriteTarget& target, std::string_view content) {
  std::FILE* stream = target.descriptor == 2 ? stderr : stdout;
  if (target.descriptor < 0) stream = _wfopen(target.path.c_str(), L"wb");
  if (!stream) failOnFile(errno, u"Cannot write", target.path);
  const bool ok = std::fwrite(content.data(), 1, content.size(), stream) == content.size() &&
                  std::fflush(stream) == 0;
  const int err = errno;
  if (target.descriptor < 0) std::fclose(stream);
  if (!ok) failOnFile(err ? err : EIO, u"Cannot write", target.path);
}

// The folder's permissions are told by the rename itself.
int folderRefusesNewFiles(const fs::path&) {
  return 0;
}

// The read-only attribute (the permission bits as the library shows them) is what protects a
// file here.
bool writableByThisUser(const fs::path&, const LockedFacts*) {
  return true;
}

bool interruptedSaveMayBeLeft(const FileStamp&, std::uint64_t) {
  return false;
}

// Never called: a lock on Windows holds no descriptor of the file to read.
std::string readOpenFile(int, std::size_t, std::size_t spare, const fs::path& path) {
  return readFile(path, spare);
}

}  // namespace velmo::file_host
