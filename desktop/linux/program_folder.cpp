#include "desktop/program_folder.h"

#include <filesystem>

namespace velmo::desktop {

std::u16string programFolder() {
  std::error_code error;
  const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return u".";
  return program.parent_path().u16string();
}

}  // namespace velmo::desktop
