// Where the program's data lies, on every system: the same rule for a build tree and an installed
// tree.

#include <filesystem>

#include "desktop/program_folder.h"

namespace velmo::desktop {

std::u16string dataFolderFor(const std::u16string& program, std::u16string_view name) {
  namespace fs = std::filesystem;
  const fs::path folder(program);
  std::error_code error;
  if (fs::exists(folder / fs::path(name), error)) return program;
  const fs::path installed = (folder / ".." / "share" / "velmo").lexically_normal();
  if (fs::is_directory(installed, error)) return installed.u16string();
  return program;
}

}  // namespace velmo::desktop
