#include "desktop/chm_archive.h"

#include <chm_lib.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "desktop/chm_layout.h"
#include "file_host/files/posix_file.h"

namespace velmo::desktop {
namespace {

int collectContent(chmFile*, chmUnitInfo* unit, void* context) {
  const std::string path = unit->path;
  // Tables of the archive itself begin with "#" or "$" after the root slash.
  if (path.size() > 1 && path[0] == '/' && path[1] != '#' && path[1] != '$' && path.back() != '/') {
    static_cast<std::vector<std::string>*>(context)->push_back(path);
  }
  return CHM_ENUMERATOR_CONTINUE;
}

}  // namespace

std::unique_ptr<ChmArchive> ChmArchive::open(const std::filesystem::path& file) {
  const auto cannotRead = [&](int error) {
    return HelpFileError("cannot read the help file " + file.string() + ": " +
                         std::strerror(error));
  };
  const file_host::UniqueFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd) throw cannotRead(errno);
  std::string bytes;
  char buffer[65536];
  // One read past the limit tells a file that is too big; a folder fails with EISDIR.
  while (bytes.size() <= kHelpFileLimit) {
    const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw cannotRead(errno);
    if (got == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  return fromBytes(bytes, file.string());
}

std::unique_ptr<ChmArchive> ChmArchive::fromBytes(std::string_view bytes, const std::string& name) {
  if (const auto fault = chmLayoutFault(bytes)) {
    throw HelpFileError("the help file " + name + " is damaged: " + *fault);
  }
  // libchm reads from a path: it gets a memory file holding the checked bytes, so that a file
  // changed on disk after the check never reaches it.
  const file_host::UniqueFd copy(memfd_create("velmo-help", MFD_CLOEXEC));
  if (!copy || file_host::writeAll(copy.get(), bytes) != 0) {
    throw HelpFileError("cannot read the help file " + name + ": " + std::strerror(errno));
  }
  const std::string path = "/proc/self/fd/" + std::to_string(copy.get());
  chmFile* handle = chm_open(path.c_str());
  if (handle == nullptr) throw HelpFileError("the help file " + name + " is damaged");
  return std::make_unique<ChmArchive>(handle);
}

void ChmArchive::Closer::operator()(chmFile* handle) const {
  chm_close(handle);
}

std::optional<std::string> ChmArchive::read(const std::string& objectPath) {
  chmUnitInfo unit{};
  if (chm_resolve_object(handle_.get(), objectPath.c_str(), &unit) != CHM_RESOLVE_SUCCESS) {
    return std::nullopt;
  }
  std::string bytes(static_cast<std::size_t>(unit.length), '\0');
  if (unit.length == 0) return bytes;
  const auto got =
      chm_retrieve_object(handle_.get(), &unit, reinterpret_cast<unsigned char*>(bytes.data()), 0,
                          static_cast<LONGINT64>(unit.length));
  if (got != static_cast<LONGINT64>(unit.length)) return std::nullopt;
  return bytes;
}

std::vector<std::string> ChmArchive::contentFiles() {
  std::vector<std::string> files;
  chm_enumerate(handle_.get(), CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES, collectContent, &files);
  return files;
}

}  // namespace velmo::desktop
