#include "cli/run/process_platform.h"

#include <dirent.h>
#include <fcntl.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <system_error>

namespace velmo::cli::os {

std::vector<std::string> arguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

bool isTerminal(int stream) {
  return ::isatty(stream) == 1;
}

std::size_t terminalColumns() {
  winsize size{};
  if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

bool reopenClosedStandardStreams() {
  bool inputWasClosed = false;
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    if (fd == STDIN_FILENO) inputWasClosed = true;
    // open() takes the lowest free number, which is this one.
    if (open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY) != fd) std::_Exit(2);
  }
  return inputWasClosed;
}

std::ptrdiff_t readStandardInput(char* buffer, std::size_t size) {
  return ::read(STDIN_FILENO, buffer, size);
}

std::filesystem::path pathOf(const std::string& text) {
  return std::filesystem::path(text);
}

std::string textOf(const std::filesystem::path& path) {
  return path.string();
}

std::string withSlashes(std::string text) {
  return text;
}

std::size_t raiseOpenFileLimit() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return 1024;
  if (limit.rlim_cur < limit.rlim_max) {
    rlimit raised = limit;
    raised.rlim_cur = limit.rlim_max;
    if (::setrlimit(RLIMIT_NOFILE, &raised) == 0) limit = raised;
  }
  return limit.rlim_cur == RLIM_INFINITY ? std::size_t{1} << 20
                                         : static_cast<std::size_t>(limit.rlim_cur);
}

void keepFreedMemoryForReuse() {
#ifdef __GLIBC__
  // Each thread's arena grows in large steps and keeps what is freed at its top: a run's pages
  // free about as much as the next ones take, and each step of growth is a system call.
  ::mallopt(M_TOP_PAD, 4 << 20);
  ::mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
}

bool isFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<FileIdentity> fileIdentity(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return FileIdentity(st.st_dev, st.st_ino);
}

std::vector<FolderEntry> listFolder(const std::string& folder, std::string& problem) {
  std::vector<FolderEntry> entries;
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
  if (!dir) {
    problem = std::generic_category().message(errno);
    return entries;
  }
  const int fd = ::dirfd(dir.get());
  struct stat self {};
  const bool seen = ::fstat(fd, &self) == 0;
  // The listing's file numbers are the files' own where "." carries the folder's (not so on
  // some layered file systems); then a plain file is known without a look at it.
  bool numbersAreFiles = false;
  std::vector<ino_t> numbers;
  for (;;) {
    errno = 0;
    const dirent* listed = ::readdir(dir.get());
    if (!listed) {
      if (errno) problem = std::generic_category().message(errno);
      break;
    }
    const std::string_view name = listed->d_name;
    if (name == "." || name == "..") {
      if (name == ".") numbersAreFiles = seen && listed->d_ino == self.st_ino;
      continue;
    }
    FolderEntry entry;
    entry.name = name;
    struct stat st {};
    if (listed->d_type == DT_DIR) {
      entry.folder = true;
    } else if (listed->d_type == DT_REG) {
      entry.file = true;
    } else if (listed->d_type == DT_UNKNOWN &&
               ::fstatat(fd, listed->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
               !S_ISLNK(st.st_mode)) {
      entry.folder = S_ISDIR(st.st_mode);
      entry.file = S_ISREG(st.st_mode);
    } else if ((listed->d_type == DT_LNK || listed->d_type == DT_UNKNOWN) &&
               ::fstatat(fd, listed->d_name, &st, 0) == 0 && S_ISREG(st.st_mode)) {
      entry.file = true;
      entry.identity = FileIdentity(st.st_dev, st.st_ino);
    }
    numbers.push_back(listed->d_ino);
    entries.push_back(std::move(entry));
  }
  for (std::size_t i = 0; i < entries.size(); ++i) {
    FolderEntry& entry = entries[i];
    if (!entry.file || entry.identity) continue;
    if (numbersAreFiles) {
      entry.identity = FileIdentity(self.st_dev, numbers[i]);
    } else if (struct stat st{}; ::fstatat(fd, entry.name.c_str(), &st, 0) == 0) {
      entry.identity = FileIdentity(st.st_dev, st.st_ino);
    }
  }
  return entries;
}

// SIGPIPE ends velmo on a write to a pipe nobody reads.
bool outputGone() {
  return false;
}

int finalStatus(int status) {
  return status;
}

struct PageThreadSignals::Saved {
  sigset_t before;
};

PageThreadSignals::PageThreadSignals() : saved_(std::make_unique<Saved>()) {
  sigset_t held;
  sigemptyset(&held);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&held, signal);
  ::pthread_sigmask(SIG_BLOCK, &held, &saved_->before);
}

PageThreadSignals::~PageThreadSignals() {
  ::pthread_sigmask(SIG_SETMASK, &saved_->before, nullptr);
}

}  // namespace velmo::cli::os
