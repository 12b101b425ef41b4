#include "files/save_journal.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <string>
#include <system_error>

#include "common/host_error.h"
#include "common/text.h"
#include "files/atomic_file.h"
#include "files/file_error.h"
#include "files/posix_file.h"
#include "files/temporary_files.h"

namespace velmo::standalone {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kMagic = "velmo-journal 1 ";
constexpr std::string_view kJournalSuffix = ".velmo-journal";

// How long a save takes from making its journal to the last byte written in place, with room
// to spare. A file changed later than this after its journal was made (or last used) was
// changed by someone else.
constexpr std::int64_t kSaveSeconds = 60;

fs::path partPathFor(const fs::path& journal) {
  fs::path part = journal;
  part += ".part";
  return part;
}

std::int64_t nanos(const timespec& t) {
  return std::int64_t{t.tv_sec} * 1000000000 + t.tv_nsec;
}

std::u16string reason(int err) {
  return utf8ToUtf16(std::generic_category().message(err));
}

// Overwrites the file's bytes from the start and cuts it to the new length; 0 or an errno.
int rewrite(int fd, std::string_view content) {
  if (::lseek(fd, 0, SEEK_SET) != 0) return errno;
  if (const int err = writeAll(fd, content)) return err;
  if (::ftruncate(fd, static_cast<off_t>(content.size())) != 0) return errno;
  return ::fsync(fd) == 0 ? 0 : errno;
}

// Claims the disk space a longer text needs before anything is written, so that a full disk
// refuses the save while the file is still whole.
int reserveSpace(int fd, std::size_t size) {
#ifdef __linux__
  if (size > 0 && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)) != 0) {
    if (errno == ENOSPC) return ENOSPC;
#ifdef EDQUOT
    if (errno == EDQUOT) return EDQUOT;
#endif
  }
#else
  (void)fd;
  (void)size;
#endif
  return 0;
}

void removeAbandonedPart(const fs::path& part) {
  struct stat st {};
  if (::lstat(part.c_str(), &st) != 0) return;
  // A save still writing its journal touches it all the time; leave that one alone.
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const std::int64_t age =
      std::chrono::duration_cast<std::chrono::nanoseconds>(now).count() - nanos(st.st_mtim);
  if (age > kSaveSeconds * 1000000000) ::unlink(part.c_str());
}

// The journal of `file` (described by `st`): header naming the file's device and inode, then
// the content. Written beside it under a passing name and renamed, so that the journal exists
// only whole.
void makeJournal(const fs::path& file, const struct stat& st, std::string_view content,
                 const fs::path& shownAs) {
  const fs::path journal = journalPathFor(file);
  const fs::path part = partPathFor(journal);
  UniqueFd out;
  {
    const SignalsHeld held;
    out = UniqueFd(::open(part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (out) registerTemporary(part);
  }
  if (!out) {
    const int err = errno;
    if (err == EEXIST) {
      throw HostError(
          hr::kFail, u"Cannot write " + quotedPath(shownAs) + u": another save of it is under way");
    }
    if (err == EACCES || err == EROFS) {
      throw HostError(hr::kAccessDenied,
                      u"Cannot write " + quotedPath(shownAs) +
                          u": it has other names (hard links), so it is written in place after "
                          u"its new text is kept safe beside it, which its folder does not "
                          u"allow: " +
                          reason(err));
    }
    failOnFile(err, u"Cannot write", shownAs);
  }
  const std::string header =
      std::string(kMagic) + std::to_string(st.st_dev) + ' ' + std::to_string(st.st_ino) + '\n';
  int err = writeAll(out.get(), header);
  if (!err) err = writeAll(out.get(), content);
  // Never readable by more people than the file: its read and write bits, and no group bits
  // when the group could not be made the file's.
  mode_t mode = st.st_mode & 0666;
  if (::fchown(out.get(), st.st_uid, st.st_gid) != 0) {
    if (errno != EPERM && !err) err = errno;
    struct stat made {};
    if (::fstat(out.get(), &made) != 0 || made.st_gid != st.st_gid) mode &= ~mode_t{0070};
  }
  if (!err && ::fchmod(out.get(), mode) != 0) err = errno;
  if (!err && ::fsync(out.get()) != 0) err = errno;
  if (const int closed = out.close(); !err) err = closed;
  if (!err && ::rename(part.c_str(), journal.c_str()) != 0) err = errno;
  if (err) ::unlink(part.c_str());
  // The whole journal stays through a signal: the next read finishes the save from it.
  forgetTemporary(part);
  if (err) failOnFile(err, u"Cannot write", shownAs);
  syncFolderOf(journal);
}

[[noreturn]] void cannotFinish(int err, const fs::path& file, const fs::path& journal,
                               std::u16string_view what) {
  throw HostError(hresultOfErrno(err), u"The save of " + quotedPath(file) +
                                           u" was cut short, and " + std::u16string(what) + u" " +
                                           quotedPath(journal) + u" " + u"cannot be used: " +
                                           reason(err));
}

// Finishes the save `journal` holds when it is one of `file`. A journal kept under the file's
// own name (`own`) that names another file is stale: the name was given to another file since.
void finishFrom(const fs::path& file, const fs::path& journal, bool own) {
  UniqueFd in(::open(journal.c_str(), O_RDWR | O_CLOEXEC));
  if (!in) {
    const int err = errno;
    struct stat st {};
    // None, or none that can be seen: a folder that cannot be searched hides the file too.
    if (err == ENOENT || err == ENOTDIR || err == ENAMETOOLONG ||
        ::lstat(journal.c_str(), &st) != 0) {
      return;
    }
    // Read only is enough to finish; the write access serves only to mark the attempt.
    if (err == EACCES || err == EROFS) in = UniqueFd(::open(journal.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in) cannotFinish(errno, file, journal, u"what it left in");
  }
  std::string text;
  if (const int err = readAll(in.get(), text)) cannotFinish(err, file, journal, u"what it left in");
  const std::size_t eol = text.find('\n');
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  if (text.compare(0, kMagic.size(), kMagic) != 0 || eol == std::string::npos) return;
  {
    const char* p = text.data() + kMagic.size();
    const char* end = text.data() + eol;
    auto [afterDevice, e1] = std::from_chars(p, end, device);
    if (e1 != std::errc{} || afterDevice == end || *afterDevice != ' ') return;
    auto [afterInode, e2] = std::from_chars(afterDevice + 1, end, inode);
    if (e2 != std::errc{} || afterInode != end) return;
  }
  struct stat now {};
  struct stat made {};
  const bool sameFile = ::stat(file.c_str(), &now) == 0 &&
                        static_cast<std::uint64_t>(now.st_dev) == device &&
                        static_cast<std::uint64_t>(now.st_ino) == inode;
  if (!sameFile && !own) return;
  // Replaced or removed since, or changed long after the save began: what the journal holds
  // is older than the file, and writing it would undo someone's work.
  if (!sameFile || ::fstat(in.get(), &made) != 0 ||
      nanos(now.st_ctim) > nanos(made.st_ctim) + kSaveSeconds * 1000000000) {
    ::unlink(journal.c_str());
    return;
  }
  // Marks this attempt, so that one cut short in turn is still recognised as fresh.
  if (::futimens(in.get(), nullptr) == 0) ::fsync(in.get());
  UniqueFd out(::open(file.c_str(), O_WRONLY | O_CLOEXEC));
  if (!out) cannotFinish(errno, file, journal, u"its new text in");
  if (const int err = rewrite(out.get(), std::string_view(text).substr(eol + 1))) {
    cannotFinish(err, file, journal, u"its new text in");
  }
  ::unlink(journal.c_str());
}

}  // namespace

fs::path journalPathFor(const fs::path& file) {
  const std::string name = file.filename().string();
  // Room for ".NAME.velmo-journal.part" within the longest name a folder takes (255 bytes on
  // the common file systems); a longer name is shortened to a hash of it, still found by it.
  constexpr std::size_t kLongestName = 255;
  if (1 + name.size() + kJournalSuffix.size() + 5 <= kLongestName) {
    fs::path journal = file.parent_path() / ("." + name);
    journal += kJournalSuffix;
    return journal;
  }
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a: the same in every build
  for (unsigned char c : name) hash = (hash ^ c) * 1099511628211ull;
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
  return file.parent_path() / (".velmo-" + std::string(hex) + std::string(kJournalSuffix));
}

void writeJournal(const fs::path& file, std::string_view content) {
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0) failOnFile(errno, u"Cannot write", file);
  makeJournal(file, st, content, file);
}

void saveInPlace(const fs::path& file, std::string_view content, const fs::path& shownAs,
                 const std::function<void()>& beforeWriting) {
  finishInterruptedSave(file);
  UniqueFd out(::open(file.c_str(), O_WRONLY | O_CLOEXEC));
  if (!out) failOnFile(errno, u"Cannot write", shownAs);
  struct stat st {};
  if (::fstat(out.get(), &st) != 0) failOnFile(errno, u"Cannot write", shownAs);
  makeJournal(file, st, content, shownAs);
  const fs::path journal = journalPathFor(file);
  // The last look before the file is touched: claiming its space changes its times already.
  if (beforeWriting) {
    try {
      beforeWriting();
    } catch (...) {
      ::unlink(journal.c_str());
      throw;
    }
  }
  if (const int err = reserveSpace(out.get(), content.size())) {
    ::unlink(journal.c_str());
    failOnFile(err, u"Cannot write", shownAs);
  }
  if (const int err = rewrite(out.get(), content)) {
    throw HostError(hresultOfErrno(err), u"Cannot write " + quotedPath(shownAs) + u": " +
                                             reason(err) + u"; its new text is kept in " +
                                             quotedPath(journal) +
                                             u" and put in place when the file is next read");
  }
  // Done: a journal left by a failed removal is harmless, as it holds what the file now holds.
  ::unlink(journal.c_str());
}

void finishInterruptedSave(const fs::path& file) {
  const fs::path journal = journalPathFor(file);
  removeAbandonedPart(partPathFor(journal));
  finishFrom(file, journal, true);
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0 || st.st_nlink < 2) return;
  // A save through another name of the file left its journal under that name; the ones in
  // this folder are found by the file they name. (Names in other folders are not looked for.)
  std::error_code ec;
  for (fs::directory_iterator it(file.parent_path().empty() ? "." : file.parent_path(), ec), end;
       !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() > kJournalSuffix.size() && name.front() == '.' &&
        name.ends_with(kJournalSuffix) && it->path() != journal) {
      finishFrom(file, it->path(), false);
    }
  }
}

}  // namespace velmo::standalone
#endif
