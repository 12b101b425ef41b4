#include "file_host/files/link_target.h"

#include <system_error>

#include "file_host/files/file_error.h"

namespace velmo::file_host {
namespace fs = std::filesystem;

fs::path followLinks(const fs::path& path) {
  // The limit the kernel itself puts on a chain of links.
  constexpr int kMaxHops = 40;
  fs::path at = path;
  for (int hops = 0;; ++hops) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(at, ec))) return at;
    if (hops == kMaxHops) {
      failOnFile(static_cast<int>(std::errc::too_many_symbolic_link_levels), u"Cannot write", path);
    }
    const fs::path next = fs::read_symlink(at, ec);
    // Gone or changed in between: the read or write that follows reports what it finds.
    if (ec) return at;
    // Not normalised: ".." after a linked folder means that folder's real parent.
    at = next.is_absolute() ? next : at.parent_path() / next;
  }
}

}  // namespace velmo::file_host
