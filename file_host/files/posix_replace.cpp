#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "core/common/large_pages.h"
#include "core/common/shown_name.h"
#include "core/common/text.h"
#include "file_host/files/file_error.h"
#include "file_host/files/file_lock.h"
#include "file_host/files/link_target.h"
#include "file_host/files/platform_replace.h"
#include "file_host/files/posix_file.h"
#include "file_host/files/posix_save_journal.h"
#include "file_host/files/write_target.h"

namespace velmo::file_host {
namespace fs = std::filesystem;

namespace {

// The umask, read without setting it: setting it for a moment, as umask() has to, would give
// files that other threads create in that moment the wrong permissions.
mode_t readUmask() {
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

// Read once: nothing in this program sets it.
mode_t processUmask() {
  static const mode_t mask = readUmask();
  return mask;
}

bool ownedByThisUser(const LockedFacts* known) {
  static const uid_t user = ::geteuid();
  static const gid_t group = ::getegid();
  return known && known->known && known->owner == user && known->group == group;
}

// A new file made with `mode` has exactly these bits: no set-id or sticky bit, nothing the umask
// takes away.
bool keptWholeAtCreation(unsigned mode) {
  return (mode & ~0777u) == 0 && (mode & processUmask()) == 0;
}

}  // namespace

unsigned creationModeFor(const LockedFacts* known) {
  if (!ownedByThisUser(known)) return 0600;
  const unsigned mode = known->mode & 07777;
  return keptWholeAtCreation(mode) ? mode : 0600;
}

int carryOverAttributes(const fs::path& target, TemporaryFile& file, const LockedFacts* known) {
  struct stat st {};
  if (known && known->known) {
    st.st_uid = known->owner;
    st.st_gid = known->group;
    st.st_mode = known->mode;
    // A new file is this process's already; only a file of someone else's needs its owner back.
    if (ownedByThisUser(known)) {
      const unsigned mode = known->mode & 07777;
      if (keptWholeAtCreation(mode)) return 0;  // made with them (creationModeFor)
      return ::fchmod(file.native(), mode) == 0 ? 0 : errno;
    }
  } else if (::stat(target.c_str(), &st) != 0) {
    return ::fchmod(file.native(), 0666 & ~processUmask()) == 0 ? 0 : errno;
  }
  // Owner first: a change of owner may clear set-id bits of the mode.
  if (::fchown(file.native(), st.st_uid, st.st_gid) != 0 && errno != EPERM) return errno;
  return ::fchmod(file.native(), st.st_mode & 07777) == 0 ? 0 : errno;
}

FileLock lockNewFile(TemporaryFile& file) {
  return FileLock::adopt(file.handOver());
}

unsigned copyModeOf(const fs::path& source) {
  struct stat st {};
  if (::stat(source.c_str(), &st) != 0) failOnFile(errno, u"Cannot read", source);
  return st.st_mode & 0777;
}

// A rename would give the name a new file and leave the other names with the old one.
bool hasOtherNames(const fs::path& file) {
  struct stat st {};
  return ::stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink > 1;
}
void saveWithOtherNames(const fs::path& file, std::string_view content, const fs::path& shownAs,
                        const ReplaceSteps& steps) {
  // The file keeps its inode, and so any lock on it.
  saveInPlace(file, content, shownAs, steps.beforeReplace);
}

std::u16string pathToText(const fs::path& path) {
  const std::string& s = path.native();
  if (isValidUtf8(s)) return utf8ToUtf16(s);
  // A name that is not UTF-8 still shows up, read as Latin-1.
  std::u16string latin1;
  for (unsigned char c : s) latin1.push_back(c);
  return latin1;
}

std::u16string shownPath(const fs::path& path) {
  return utf8ToUtf16(shownName(path.native()));
}

fs::path textToPath(std::u16string_view text) {
  return fs::path(utf16ToUtf8(text));
}

std::optional<FileStamp> stampOf(const fs::path& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return stampOfStat(st);
}

bool interruptedSaveMayBeLeft(const FileStamp& seen, std::uint64_t links) {
  return links > 1 || journalLeftAtStart(seen.device, seen.inode);
}

std::string readOpenFile(int fd, std::size_t size, std::size_t spare, const fs::path& path) {
  std::string content;
  content.reserve(size + spare);
  if (content.capacity() >= (std::size_t{8} << 20)) {
    preferLargePages(content.data(), content.capacity());
  }
  content.resize(size);
  std::size_t got = 0;
  while (got < size) {
    const ssize_t n = ::pread(fd, content.data() + got, size - got, static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) failOnFile(errno, u"Cannot read", path);
    // Shorter than it was when stamped: the check before any save sees the change.
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  content.resize(got);
  return content;
}

void recoverInterruptedSave(const fs::path& path) {
  finishInterruptedSave(followLinks(path));
}

void writeIntoStream(const WriteTarget& target, std::string_view content) {
  // What else went to standard output first stays in front of the page.
  std::fflush(nullptr);
  UniqueFd opened;
  int fd = target.descriptor;
  if (fd < 0) {
    // Blocks for a pipe until someone reads it, as writing to a pipe does.
    opened = UniqueFd(::open(target.path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
    if (!opened) failOnFile(errno, u"Cannot write", target.path);
    fd = opened.get();
  }
  int err = writeAll(fd, content);
  if (const int closed = opened.close(); !err) err = closed;
  if (err) failOnFile(err, u"Cannot write", target.path);
}

int folderRefusesNewFiles(const fs::path& folder) {
  return ::access(folder.c_str(), W_OK | X_OK) != 0 ? errno : 0;
}

// Writable for someone, but not for this user: replacing it would still be allowed by its
// folder, and would overrule the file's owner.
bool writableByThisUser(const fs::path& file, const LockedFacts* known) {
  static const uid_t user = ::geteuid();
  if (known && known->known) {
    // Root may write any file; an owner as its owner bits say.
    if (user == 0) return true;
    if (known->owner == user) return (known->mode & 0200) != 0;
  }
  return !(::access(file.c_str(), W_OK) != 0 && errno == EACCES);
}

}  // namespace velmo::file_host
