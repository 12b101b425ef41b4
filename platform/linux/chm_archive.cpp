#include "platform/linux/chm_archive.h"

#include <chm_lib.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "files/posix_file.h"
#include "platform/linux/chm_layout.h"

namespace velmo::linux_help {
namespace {

std::uint32_t readLe32(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

std::uint16_t readLe16(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                    static_cast<unsigned char>(bytes[at + 1]) << 8);
}

// The zero-terminated text at `offset`; nothing when the offset lies outside the table.
std::optional<std::string> stringAt(const std::string& table, std::uint32_t offset) {
  if (offset >= table.size()) return std::nullopt;
  const auto end = table.find('\0', offset);
  return table.substr(offset, end == std::string::npos ? std::string::npos : end - offset);
}

int collectContent(chmFile*, chmUnitInfo* unit, void* context) {
  const std::string path = unit->path;
  // Tables of the archive itself begin with "#" or "$" after the root slash.
  if (path.size() > 1 && path[0] == '/' && path[1] != '#' && path[1] != '$' && path.back() != '/') {
    static_cast<std::vector<std::string>*>(context)->push_back(path);
  }
  return CHM_ENUMERATOR_CONTINUE;
}

}  // namespace

std::string archivePath(std::string_view name) {
  return name.starts_with('/') ? std::string(name) : "/" + std::string(name);
}

std::unique_ptr<ChmArchive> ChmArchive::open(const std::filesystem::path& file) {
  const auto cannotRead = [&](int error) {
    return HelpFileError("cannot read the help file " + file.string() + ": " +
                         std::strerror(error));
  };
  const standalone::UniqueFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
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
  const standalone::UniqueFd copy(memfd_create("velmo-help", MFD_CLOEXEC));
  if (!copy || standalone::writeAll(copy.get(), bytes) != 0) {
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

std::vector<std::pair<std::uint32_t, std::string>> ChmArchive::contextTable() {
  std::vector<std::pair<std::uint32_t, std::string>> table;
  const auto ivb = read("/#IVB");
  const auto strings = read("/#STRINGS");
  if (!ivb || !strings || ivb->size() < 4) return table;
  // A byte count, then pairs of context id and offset into #STRINGS.
  const std::size_t end = std::min<std::size_t>(ivb->size(), 4 + std::size_t{readLe32(*ivb, 0)});
  for (std::size_t at = 4; at + 8 <= end; at += 8) {
    if (auto page = stringAt(*strings, readLe32(*ivb, at + 4))) {
      table.emplace_back(readLe32(*ivb, at), archivePath(*page));
    }
  }
  return table;
}

std::optional<std::string> ChmArchive::topicOf(std::uint32_t contextId) {
  for (auto& [id, page] : contextTable()) {
    if (id == contextId) return page;
  }
  return std::nullopt;
}

ChmSystemInfo ChmArchive::systemInfo() {
  ChmSystemInfo info;
  const auto system = read("/#SYSTEM");
  if (!system) return info;
  // A version word, then records of code, length and data.
  for (std::size_t at = 4; at + 4 <= system->size();) {
    const std::uint16_t code = readLe16(*system, at);
    const std::uint16_t length = readLe16(*system, at + 2);
    at += 4;
    if (at + length > system->size()) break;
    std::string data = system->substr(at, length);
    data = data.substr(0, data.find('\0'));
    switch (code) {
      case 0:
        info.contentsFile = archivePath(data);
        break;
      case 1:
        info.indexFile = archivePath(data);
        break;
      case 2:
        info.defaultTopic = archivePath(data);
        break;
      case 3:
        info.title = data;
        break;
      default:
        break;
    }
    at += length;
  }
  return info;
}

std::vector<std::string> ChmArchive::contentFiles() {
  std::vector<std::string> files;
  chm_enumerate(handle_.get(), CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES, collectContent, &files);
  return files;
}

}  // namespace velmo::linux_help
