#include "desktop/xdg_open.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "core/common/code_points.h"
#include "core/common/host_error.h"
#include "core/common/text.h"

extern char** environ;

namespace velmo::desktop {
namespace {

// Errors numbered as the automation runtime numbers its own.
constexpr std::int32_t kInvalidProcedureCall = static_cast<std::int32_t>(0x800A0005);
constexpr std::int32_t kFileNotFound = static_cast<std::int32_t>(0x800A0035);

constexpr std::intptr_t kOpened = 42;
constexpr std::intptr_t kNoSuchFile = 2;      // SE_ERR_FNF
constexpr std::intptr_t kNoAssociation = 31;  // SE_ERR_NOASSOC

// UTF-8 would turn a NUL into the end of the argument and an unpaired surrogate into U+FFFD:
// either way xdg-open would open another address than the one asked for.
bool convertsWhole(std::u16string_view address) {
  return address.find(u'\0') == std::u16string_view::npos && isWellFormedUtf16(address);
}

// The Windows shell opens "www.host/path" as a web address and "ftp.host/path" as an FTP one
// when no such file exists; xdg-open would take either for a missing file.
std::u16string withGuessedScheme(const std::u16string& address) {
  std::error_code error;
  if (std::filesystem::exists(std::filesystem::path(utf16ToUtf8(address)), error)) return address;
  const std::u16string_view head = std::u16string_view(address).substr(0, 4);
  if (address.size() > 4 && equalsIgnoreAsciiCase(head, u"www.")) return u"http://" + address;
  if (address.size() > 4 && equalsIgnoreAsciiCase(head, u"ftp.")) return u"ftp://" + address;
  return address;
}

}  // namespace

int runXdgOpen(const std::string& target) {
  const std::string program = "xdg-open";
  char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(target.c_str()), nullptr};
  pid_t child = 0;
  if (const int error = posix_spawnp(&child, program.c_str(), nullptr, nullptr, argv, environ)) {
    throw std::system_error(error, std::generic_category(), "cannot start xdg-open");
  }
  int status = 0;
  while (waitpid(child, &status, 0) == -1) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::intptr_t XdgOpenShell::open(const std::u16string& address) {
  lastAnswer_.reset();
  if (!convertsWhole(address)) {
    throw HostError(kInvalidProcedureCall, u"Invalid procedure call or argument");
  }
  int status = 0;
  try {
    status = runXdgOpen(utf16ToUtf8(withGuessedScheme(address)));
  } catch (const std::system_error& error) {
    if (error.code() == std::errc::no_such_file_or_directory) {
      throw HostError(kFileNotFound, u"File not found: xdg-open");
    }
    throw HostError(hr::kFail,
                    u"xdg-open cannot be started: " + utf8ToUtf16(error.code().message()));
  }
  lastAnswer_ = status == 0 ? kOpened : status == 2 ? kNoSuchFile : kNoAssociation;
  return *lastAnswer_;
}

}  // namespace velmo::desktop
