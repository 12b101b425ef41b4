#include <windows.h>

#include <cstdlib>
#include <system_error>
#include <vector>

#include "core/common/host_error.h"
#include "desktop/private_folder.h"
#include "file_host/files/atomic_file.h"

namespace velmo::desktop {
namespace fs = std::filesystem;
namespace {

PrivateFolderError failure(const fs::path& where, const std::string& what) {
  return PrivateFolderError("the help folder " + where.string() + " " + what);
}

std::vector<fs::path> partsOf(const fs::path& path) {
  std::vector<fs::path> parts;
  for (const auto& part : path.relative_path()) {
    if (!part.empty()) parts.push_back(part);
  }
  return parts;
}

// The folder, made when missing; a junction or link in its place is refused, since velmo
// would write through it somewhere else.
void ownFolder(const fs::path& folder) {
  if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    throw failure(folder, "cannot be made: " +
                              std::system_category().message(static_cast<int>(GetLastError())));
  }
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    throw failure(folder, "is not a folder (a link or a file is in its place)");
  }
}

}  // namespace

// %LOCALAPPDATA% lies in the user's profile, which only the user (and the administrators) can
// reach, as ~/.cache is on Linux.
// The folder's protection is its place in the user's profile: nothing is held open.
struct PrivateFolder::Opened {};

PrivateFolder::~PrivateFolder() = default;

fs::path PrivateFolder::userHelpCache() {
  const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
  if (local == nullptr || *local == L'\0') {
    throw PrivateFolderError("the help folder has no place: LOCALAPPDATA is not set");
  }
  return fs::path(local) / "velmo" / "help";
}

PrivateFolder::PrivateFolder(const fs::path& folder, int ownLevels)
    : path_(fs::absolute(folder).lexically_normal()) {
  if (!path_.has_filename()) path_ = path_.parent_path();
  const std::vector<fs::path> parts = partsOf(path_);
  if (ownLevels < 1 || static_cast<std::size_t>(ownLevels) > parts.size()) {
    throw failure(path_, "is not a folder velmo may use");
  }
  const std::size_t shared = parts.size() - static_cast<std::size_t>(ownLevels);
  fs::path at = path_.root_path();
  for (std::size_t i = 0; i < parts.size(); ++i) {
    at /= parts[i];
    if (i < shared) {
      std::error_code ec;
      fs::create_directories(at, ec);
    } else {
      ownFolder(at);
    }
  }
}

fs::path PrivateFolder::write(std::string_view relative, std::string_view bytes) const {
  const std::vector<fs::path> parts = partsOf(fs::path(std::string(relative)));
  if (parts.empty()) throw failure(path_, "cannot hold a file without a name");
  fs::path shown = path_;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (parts[i] == "." || parts[i] == "..") {
      throw failure(path_, "cannot hold " + std::string(relative));
    }
    shown /= parts[i];
    if (i + 1 < parts.size()) ownFolder(shown);
  }
  try {
    file_host::writeFileAtomically(shown, bytes);
  } catch (const HostError& error) {
    throw PrivateFolderError("cannot write the help page " + shown.string());
  }
  return shown;
}

}  // namespace velmo::desktop
