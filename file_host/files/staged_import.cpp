#include "file_host/files/staged_import.h"

#include "file_host/files/file_error.h"
#include "file_host/files/platform_replace.h"
#include "file_host/files/write_batch.h"

namespace velmo::file_host {
namespace fs = std::filesystem;

TemporaryFile stageCopy(const fs::path& folder, std::string_view content, const fs::path& source,
                        const fs::path& shownAs, WriteBatch* batch) {
  beforeWritingIn(batch, folder);
  TemporaryFile copy = TemporaryFile::createIn(folder, shownAs, copyModeOf(source));
  int err = copy.write(content);
  if (!err) err = copy.flush();
  if (!err) err = copy.close();
  if (err) failOnFile(err, u"Cannot write", shownAs);
  return copy;
}

}  // namespace velmo::file_host
