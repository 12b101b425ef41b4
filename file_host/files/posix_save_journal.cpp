#include "file_host/files/posix_save_journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <pwd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <system_error>

#include "core/common/host_error.h"
#include "core/common/text.h"
#include "file_host/files/atomic_file.h"
#include "file_host/files/file_error.h"
#include "file_host/files/posix_file.h"
#include "file_host/files/temporary_file.h"
#include "file_host/files/write_batch.h"

namespace velmo::file_host {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kMagic = "velmo-journal 1 ";
constexpr std::string_view kJournalSuffix = ".velmo-journal";
constexpr std::string_view kBornTag = " born ";

// How long a save takes from making its journal to the last byte written in place, with room
// to spare. A file changed later than this after its journal was made (or last used) was
// changed by someone else.
constexpr std::int64_t kSaveSeconds = 60;

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

// When the file was made, where the file system keeps it (0 where it does not): tells a file
// from another that was later given the same inode.
std::int64_t birthOf(const fs::path& file) {
#ifdef STATX_BTIME
  struct statx sx {};
  if (::statx(AT_FDCWD, file.c_str(), 0, STATX_BTIME, &sx) == 0 && (sx.stx_mask & STATX_BTIME)) {
    return std::int64_t{sx.stx_btime.tv_sec} * 1000000000 + sx.stx_btime.tv_nsec;
  }
#else
  (void)file;
#endif
  return 0;
}

fs::path journalNamed(std::uint64_t device, std::uint64_t inode) {
  char name[64];
  std::snprintf(name, sizeof name, "%llx-%llx", static_cast<unsigned long long>(device),
                static_cast<unsigned long long>(inode));
  return journalFolder() / (std::string(name) + std::string(kJournalSuffix));
}

// Where an earlier version kept the journal of a save through `file`: beside that name.
fs::path journalBesideName(const fs::path& file) {
  const std::string name = file.filename().string();
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

// The journal of `file` (described by `st`): a header naming the file's device, inode and birth,
// then the content. Written under a passing name and renamed, so that the journal exists only
// whole; readable by this user alone.
void makeJournal(const fs::path& file, const struct stat& st, std::string_view content,
                 const fs::path& shownAs) {
  fs::path folder;
  std::error_code ec;
  try {
    folder = journalFolder();
    fs::create_directories(folder, ec);
    if (!ec) fs::permissions(folder, fs::perms::owner_all, ec);
  } catch (const HostError& e) {
    throw HostError(hr::kAccessDenied, u"Cannot write " + quotedPath(shownAs) +
                                           u": it has other names (hard links), so its new text "
                                           u"is kept safe first, but " +
                                           e.description());
  }
  if (ec) {
    throw HostError(hr::kAccessDenied,
                    u"Cannot write " + quotedPath(shownAs) +
                        u": it has other names (hard links), so it is written in place after "
                        u"its new text is kept safe in " +
                        quotedPath(folder) + u", which cannot be made: " + reason(ec.value()));
  }
  // A journal of that name now is stale (the save that left it was finished or dropped first):
  // the new one replaces it.
  const fs::path journal = journalNamed(st.st_dev, st.st_ino);
  beforeWritingIn(nullptr, folder);
  TemporaryFile part = TemporaryFile::createIn(folder, shownAs, 0600);
  const std::string header = std::string(kMagic) + std::to_string(st.st_dev) + ' ' +
                             std::to_string(st.st_ino) + std::string(kBornTag) +
                             std::to_string(birthOf(file)) + '\n';
  int err = part.write(header);
  if (!err) err = part.write(content);
  if (!err) err = part.flush();
  if (!err) err = part.renameOver(journal);
  if (err) failOnFile(err, u"Cannot write", shownAs);
  flushFolder(folder);
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
  std::int64_t born = 0;
  if (text.compare(0, kMagic.size(), kMagic) != 0 || eol == std::string::npos) return;
  {
    const char* p = text.data() + kMagic.size();
    const char* end = text.data() + eol;
    auto [afterDevice, e1] = std::from_chars(p, end, device);
    if (e1 != std::errc{} || afterDevice == end || *afterDevice != ' ') return;
    auto [afterInode, e2] = std::from_chars(afterDevice + 1, end, inode);
    if (e2 != std::errc{}) return;
    const std::string_view rest(afterInode, static_cast<std::size_t>(end - afterInode));
    if (rest.starts_with(kBornTag)) {
      auto [afterBorn, e3] = std::from_chars(afterInode + kBornTag.size(), end, born);
      if (e3 != std::errc{} || afterBorn != end) return;
    } else if (!rest.empty()) {
      return;
    }
  }
  struct stat now {};
  struct stat made {};
  const bool sameFile = ::stat(file.c_str(), &now) == 0 &&
                        static_cast<std::uint64_t>(now.st_dev) == device &&
                        static_cast<std::uint64_t>(now.st_ino) == inode;
  if (!sameFile && !own) return;
  // Replaced or removed since, another file given the inode since, or changed long after the
  // save began: what the journal holds is older than the file, and writing it would undo
  // someone's work.
  const std::int64_t bornNow = sameFile && born != 0 ? birthOf(file) : 0;
  if (!sameFile || (bornNow != 0 && bornNow != born) || ::fstat(in.get(), &made) != 0 ||
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

fs::path journalFolder() {
  if (const char* state = std::getenv("XDG_STATE_HOME"); state && fs::path(state).is_absolute()) {
    return fs::path(state) / "velmo" / "journals";
  }
  fs::path home;
  if (const char* env = std::getenv("HOME"); env && *env) {
    home = env;
  } else if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir) {
    home = user->pw_dir;
  }
  if (home.empty()) {
    throw HostError(hr::kPathNotFound, u"there is no home folder to keep its journal in");
  }
  return home / ".local" / "state" / "velmo" / "journals";
}

fs::path journalPathFor(const fs::path& file) {
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0) return {};
  return journalNamed(st.st_dev, st.st_ino);
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
  const fs::path journal = journalNamed(st.st_dev, st.st_ino);
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

bool journalLeftAtStart(std::uint64_t device, std::uint64_t inode) {
  // Listed once: a run over many pages asks for every page.
  static const std::set<fs::path> atStart = [] {
    std::set<fs::path> names;
    std::error_code ec;
    try {
      for (fs::directory_iterator it(journalFolder(), ec), end; !ec && it != end;
           it.increment(ec)) {
        names.insert(it->path().filename());
      }
    } catch (const HostError&) {
    }
    return names;
  }();
  return !atStart.empty() && atStart.contains(journalNamed(device, inode).filename());
}

void finishInterruptedSave(const fs::path& file) {
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return;
  // A journal exists only while a save of a file with other names runs or was cut short: a
  // file with one name is looked for only when a journal was left for it before this process
  // started.
  if (st.st_nlink > 1 || journalLeftAtStart(st.st_dev, st.st_ino)) {
    try {
      finishFrom(file, journalNamed(st.st_dev, st.st_ino), true);
    } catch (const HostError&) {
      if (st.st_nlink > 1) throw;
    }
  }
  if (st.st_nlink > 1) finishFrom(file, journalBesideName(file), true);
}

}  // namespace velmo::file_host
