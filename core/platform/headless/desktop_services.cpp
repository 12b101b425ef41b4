#include "core/platform/headless/desktop_services.h"

#include <filesystem>
#include <fstream>

namespace velmo {

bool StdFileProbe::canOpenForReading(const std::u16string& path) {
  const std::filesystem::path file(path);
  std::error_code error;
  // Opening a folder for reading succeeds on some systems; it still is no file.
  if (std::filesystem::is_directory(file, error)) return false;
  std::ifstream in(file, std::ios::binary);
  return in.is_open();
}

}  // namespace velmo
