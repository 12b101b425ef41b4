#include "cli/run/process_platform.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

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

bool isFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<std::pair<std::uint64_t, std::uint64_t>> fileIdentity(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return std::pair<std::uint64_t, std::uint64_t>(st.st_dev, st.st_ino);
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
