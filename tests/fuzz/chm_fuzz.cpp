// The help file reading on arbitrary bytes: a damaged file is refused with HelpFileError, and
// everything velmo help reads from a file that passes the layout checks stays inside libchm's
// buffers and ends.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "desktop/chm_archive.h"
#include "desktop/help_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmo::desktop;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    auto archive = ChmArchive::fromBytes(bytes, "fuzz.chm");
    const ChmSystemInfo info = archive->systemInfo();
    archive->contextTable();
    for (const std::string& name : {info.contentsFile, info.indexFile, info.defaultTopic}) {
      if (const auto page = archive->read(name)) {
        pageText(*page);
        sitemapEntries(*page);
      }
    }
    for (const std::string& object : archive->contentFiles()) archive->read(object);
  } catch (const HelpFileError&) {
  }
  return 0;
}
