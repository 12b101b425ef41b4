#include <algorithm>

#include "desktop/chm_archive.h"

// The tables of a help file read from its objects, whichever library reads the objects
// (libchm on Linux, the system's ITStorage on Windows).
namespace velmo::desktop {
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

}  // namespace

std::string archivePath(std::string_view name) {
  return name.starts_with('/') ? std::string(name) : "/" + std::string(name);
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

}  // namespace velmo::desktop
