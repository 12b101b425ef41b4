#include "desktop/private_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "file_host/files/posix_file.h"

namespace velmo::desktop {
namespace fs = std::filesystem;
namespace {

constexpr int kDirectoryFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

PrivateFolderError failure(const fs::path& where, const std::string& what) {
  return PrivateFolderError("the help folder " + where.string() + " " + what);
}

// The folder `name` in `parent`, made when missing, opened without following a link, and
// checked to be this user's alone.
file_host::UniqueFd openOwnFolder(int parent, const std::string& name, const fs::path& shown) {
  if (::mkdirat(parent, name.c_str(), 0700) != 0 && errno != EEXIST) {
    throw failure(shown, std::string("cannot be made: ") + std::strerror(errno));
  }
  file_host::UniqueFd fd(::openat(parent, name.c_str(), kDirectoryFlags));
  if (!fd) {
    throw failure(shown, errno == ELOOP || errno == ENOTDIR
                             ? "is not a folder (a symbolic link or a file is in its place)"
                             : std::string("cannot be opened: ") + std::strerror(errno));
  }
  struct stat status {};
  if (::fstat(fd.get(), &status) != 0 || status.st_uid != ::getuid()) {
    throw failure(shown, "belongs to another user");
  }
  if ((status.st_mode & 07777) != 0700 && ::fchmod(fd.get(), 0700) != 0) {
    throw failure(shown, std::string("cannot be made private: ") + std::strerror(errno));
  }
  return fd;
}

std::vector<std::string> partsOf(const fs::path& path) {
  std::vector<std::string> parts;
  for (const auto& part : path.relative_path()) {
    if (!part.empty()) parts.push_back(part.string());
  }
  return parts;
}

std::string temporaryName() {
  static std::mt19937_64 random{std::random_device{}()};
  return ".new-" + std::to_string(random());
}

}  // namespace

struct PrivateFolder::Opened {
  file_host::UniqueFd fd;
};

PrivateFolder::~PrivateFolder() = default;

fs::path PrivateFolder::userHelpCache() {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  // XDG_CACHE_HOME is ignored when it is a relative path, as the XDG rules say.
  if (cache != nullptr && *cache == '/') return fs::path(cache) / "velmo" / "help";
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home != '/') {
    throw PrivateFolderError(
        "the help folder has no place: neither XDG_CACHE_HOME nor HOME is set");
  }
  return fs::path(home) / ".cache" / "velmo" / "help";
}

PrivateFolder::PrivateFolder(const fs::path& folder, int ownLevels)
    : path_(fs::absolute(folder).lexically_normal()) {
  if (!path_.has_filename()) path_ = path_.parent_path();
  const std::vector<std::string> parts = partsOf(path_);
  if (ownLevels < 1 || static_cast<std::size_t>(ownLevels) > parts.size()) {
    throw failure(path_, "is not a folder velmo may use");
  }
  const std::size_t shared = parts.size() - static_cast<std::size_t>(ownLevels);
  // The folders above are the user's choice (a home folder may be a link); missing ones are
  // made as the XDG rules ask, with mode 0700.
  fs::path above = "/";
  for (std::size_t i = 0; i < shared; ++i) {
    above /= parts[i];
    if (::mkdir(above.c_str(), 0700) != 0 && errno != EEXIST) {
      throw failure(above, std::string("cannot be made: ") + std::strerror(errno));
    }
  }
  file_host::UniqueFd fd(::open(above.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd) throw failure(above, std::string("cannot be opened: ") + std::strerror(errno));
  fs::path shown = above;
  for (std::size_t i = shared; i < parts.size(); ++i) {
    shown /= parts[i];
    fd = openOwnFolder(fd.get(), parts[i], shown);
  }
  opened_ = std::make_unique<Opened>(Opened{std::move(fd)});
}

fs::path PrivateFolder::write(std::string_view relative, std::string_view bytes) const {
  const std::vector<std::string> parts = partsOf(fs::path(relative));
  if (parts.empty()) throw failure(path_, "cannot hold a file without a name");
  for (const auto& part : parts) {
    if (part == "." || part == "..") throw failure(path_, "cannot hold " + std::string(relative));
  }
  file_host::UniqueFd folder(::dup(opened_->fd.get()));
  fs::path shown = path_;
  for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
    shown /= parts[i];
    folder = openOwnFolder(folder.get(), parts[i], shown);
  }
  shown /= parts.back();
  const std::string staging = temporaryName();
  file_host::UniqueFd file(::openat(folder.get(), staging.c_str(),
                                    O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!file || file_host::writeAll(file.get(), bytes) != 0 || file.close() != 0 ||
      ::renameat(folder.get(), staging.c_str(), folder.get(), parts.back().c_str()) != 0) {
    const int error = errno;
    ::unlinkat(folder.get(), staging.c_str(), 0);
    throw PrivateFolderError("cannot write the help page " + shown.string() + ": " +
                             std::strerror(error));
  }
  return shown;
}

}  // namespace velmo::desktop
