#include "files/write_batch.h"

#include "files/temporary_file.h"

namespace velmo::standalone {
namespace fs = std::filesystem;

WriteBatch::~WriteBatch() {
  for (const auto& folder : renamedIn_) flushFolder(folder);
}

void WriteBatch::noteRename(const fs::path& folder) {
  std::lock_guard lock(mutex_);
  renamedIn_.insert(folder);
}

bool WriteBatch::firstWriteIn(const fs::path& folder) {
  std::lock_guard lock(mutex_);
  return swept_.insert(folder).second;
}

void beforeWritingIn(WriteBatch* batch, const fs::path& folder) {
  if (!batch || batch->firstWriteIn(folder)) sweepStaleTemporaries(folder);
}

void afterRenameIn(WriteBatch* batch, const fs::path& folder) {
  if (batch) {
    batch->noteRename(folder);
  } else {
    flushFolder(folder);
  }
}

}  // namespace velmo::standalone
