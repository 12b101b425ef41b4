#include "files/atomic_file.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "common/host_error.h"
#include "common/text.h"
#include "files/file_error.h"
#include "files/file_lock.h"
#include "files/large_pages.h"
#include "files/link_target.h"
#include "files/posix_file.h"
#include "files/save_journal.h"
#include "files/temporary_files.h"

namespace velmo::standalone {
namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
fs::path temporaryBeside(const fs::path& target) {
  static std::mt19937_64 rng{std::random_device{}()};
  char name[24];
  std::snprintf(name, sizeof name, ".velmo-%08llx",
                static_cast<unsigned long long>(rng() & 0xffffffffu));
  return target.parent_path() / name;
}

// Names `shownAs` in its errors: the path as the user gave it, which may be a link to `target`.
void writeAndReplace(const fs::path& target, std::string_view content, const fs::path& shownAs,
                     const ReplaceSteps& steps) {
  const fs::path temp = temporaryBeside(target);
  HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) failOnFile(EACCES, u"Cannot write", shownAs);
  DWORD written = 0;
  std::size_t offset = 0;
  bool ok = true;
  while (ok && offset < content.size()) {
    const DWORD chunk =
        static_cast<DWORD>(std::min<std::size_t>(content.size() - offset, 1u << 30));
    ok = WriteFile(file, content.data() + offset, chunk, &written, nullptr) && written == chunk;
    offset += written;
  }
  ok = ok && FlushFileBuffers(file);
  CloseHandle(file);
  if (ok && steps.beforeReplace) {
    try {
      steps.beforeReplace();
    } catch (...) {
      DeleteFileW(temp.c_str());
      throw;
    }
  }
  if (!ok || !MoveFileExW(temp.c_str(), target.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(temp.c_str());
    failOnFile(GetLastError() == ERROR_DISK_FULL ? ENOSPC : EACCES, u"Cannot write", shownAs);
  }
}

void renameOver(const fs::path& from, const fs::path& to) {
  if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    failOnFile(GetLastError() == ERROR_DISK_FULL ? ENOSPC : EACCES, u"Cannot write", to);
  }
}

// Hard links are not looked for on Windows: a save there replaces the file.
bool hasOtherNames(const fs::path&) {
  return false;
}
#else
void renameOver(const fs::path& from, const fs::path& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) failOnFile(errno, u"Cannot write", to);
  syncFolderOfLater(to);
}

// The umask, read without setting it: setting it for a moment, as umask() has to, would give
// files that other threads create in that moment the wrong permissions.
mode_t processUmask() {
  if (FILE* status = std::fopen("/proc/self/status", "re")) {
    char line[256];
    unsigned mask = 0;
    bool found = false;
    while (!found && std::fgets(line, sizeof line, status)) {
      found = std::sscanf(line, "Umask: %o", &mask) == 1;
    }
    std::fclose(status);
    if (found) return static_cast<mode_t>(mask);
  }
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

// A new file beside `target`, registered for removal on a signal; `path` is its name.
UniqueFd createTemporaryBeside(const fs::path& target, fs::path& path) {
  std::string name = (target.parent_path() / ".velmo-XXXXXX").native();
  const SignalsHeld held;
  UniqueFd fd(::mkostemp(name.data(), O_CLOEXEC));
  if (fd) {
    path = name;
    registerTemporary(path);
  }
  return fd;
}

// The temporary file goes, and with it its registration.
void removeTemporary(const fs::path& temp) {
  ::unlink(temp.c_str());
  forgetTemporary(temp);
}

// Names `shownAs` in its errors: the path as the user gave it, which may be a link to `target`.
void writeAndReplace(const fs::path& target, std::string_view content, const fs::path& shownAs,
                     const ReplaceSteps& steps) {
  mode_t mode;
  struct stat st {};
  const bool existed = ::stat(target.c_str(), &st) == 0;
  if (existed) {
    mode = st.st_mode & 07777;
  } else {
    mode = 0666 & ~processUmask();
  }
  fs::path temp;
  UniqueFd out = createTemporaryBeside(target, temp);
  if (!out) failOnFile(errno, u"Cannot write", shownAs);
  int err = writeAll(out.get(), content);
  // Owner first: a change of owner may clear set-id bits of the mode.
  if (!err && existed && ::fchown(out.get(), st.st_uid, st.st_gid) != 0 && errno != EPERM) {
    err = errno;
  }
  if (!err && ::fchmod(out.get(), mode) != 0) err = errno;
  if (!err && ::fsync(out.get()) != 0) err = errno;
  FileLock lock;
  if (!err && steps.lockOfNewFile) lock = FileLock::adopt(::dup(out.get()));
  if (const int closed = out.close(); !err) err = closed;
  if (!err && steps.beforeReplace) {
    try {
      steps.beforeReplace();
    } catch (...) {
      removeTemporary(temp);
      throw;
    }
  }
  if (!err && ::rename(temp.c_str(), target.c_str()) != 0) err = errno;
  if (err) {
    removeTemporary(temp);
    failOnFile(err, u"Cannot write", shownAs);
  }
  forgetTemporary(temp);
  if (steps.lockOfNewFile) *steps.lockOfNewFile = std::move(lock);
  // Make the rename itself durable.
  syncFolderOfLater(target);
}

// A rename would give the name a new file and leave the other names with the old one.
bool hasOtherNames(const fs::path& file) {
  struct stat st {};
  return ::stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink > 1;
}
#endif

}  // namespace

std::u16string pathToText(const fs::path& path) {
#ifdef _WIN32
  const std::wstring& w = path.native();
  return std::u16string(w.begin(), w.end());
#else
  const std::string& s = path.native();
  if (isValidUtf8(s)) return utf8ToUtf16(s);
  // A name that is not UTF-8 still shows up, read as Latin-1.
  std::u16string latin1;
  for (unsigned char c : s) latin1.push_back(c);
  return latin1;
#endif
}

std::u16string quotedPath(const fs::path& path) {
  return u"'" + pathToText(path) + u"'";
}

fs::path textToPath(std::u16string_view text) {
#ifdef _WIN32
  return fs::path(std::wstring(text.begin(), text.end()));
#else
  return fs::path(utf16ToUtf8(text));
#endif
}

std::string readFile(const fs::path& path, std::size_t spare) {
  recoverInterruptedSave(path);
  std::error_code ec;
  const fs::file_type type = fs::status(path, ec).type();
  if (type == fs::file_type::directory) failOnFile(EISDIR, u"Cannot read", path);
  // A pipe or a device would block or never end; only a plain file is read.
  if (!ec && type != fs::file_type::regular) {
    throw HostError(hr::kInvalidData, u"Cannot read '" + pathToText(path) + u"': not a plain file");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) failOnFile(errno ? errno : ENOENT, u"Cannot read", path);
  std::string content;
  in.seekg(0, std::ios::end);
  const auto size = in.tellg();
  if (size > 0) {
    content.reserve(static_cast<std::size_t>(size) + spare);
    if (content.capacity() >= (std::size_t{8} << 20)) {
      preferLargePages(content.data(), content.capacity());
    }
    content.resize(static_cast<std::size_t>(size));
    in.seekg(0);
    in.read(content.data(), size);
  }
  if (!in) failOnFile(errno ? errno : EIO, u"Cannot read", path);
  return content;
}

std::optional<FileStamp> stampOf(const fs::path& path) {
#ifdef _WIN32
  std::error_code ec;
  const auto size = fs::file_size(path, ec);
  if (ec) return std::nullopt;
  const auto time = fs::last_write_time(path, ec);
  if (ec) return std::nullopt;
  FileStamp s;
  s.size = size;
  s.modified =
      std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count();
  return s;
#else
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  FileStamp s;
  s.device = static_cast<std::uint64_t>(st.st_dev);
  s.inode = static_cast<std::uint64_t>(st.st_ino);
  s.size = static_cast<std::uint64_t>(st.st_size);
  s.modified = std::int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
  s.changed = std::int64_t{st.st_ctim.tv_sec} * 1000000000 + st.st_ctim.tv_nsec;
  return s;
#endif
}

void recoverInterruptedSave(const fs::path& path) {
#ifndef _WIN32
  finishInterruptedSave(followLinks(path));
#else
  (void)path;
#endif
}

void writeFileAtomically(const fs::path& target, std::string_view content,
                         const ReplaceSteps& steps) {
  const fs::path file = followLinks(target);
#ifndef _WIN32
  if (hasOtherNames(file)) {
    // The file keeps its inode, and so any lock on it.
    saveInPlace(file, content, target, steps.beforeReplace);
    return;
  }
#endif
  writeAndReplace(file, content, target, steps);
}

void moveFileReplacing(const fs::path& from, const fs::path& to) {
  const fs::path file = followLinks(to);
  if (file == to && !hasOtherNames(file)) {
    renameOver(from, to);
    return;
  }
  // The file behind the link, or every name of it, takes the new content; `from` may lie in
  // another folder or on another disk than that file.
  writeFileAtomically(to, readFile(from));
  std::error_code ec;
  fs::remove(from, ec);
}

}  // namespace velmo::standalone
