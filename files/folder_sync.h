#pragma once
// Renames made durable once per folder at the end of a run over many pages, instead of once
// per page.

namespace velmo::standalone {

// While one lives, the folders that received renames are flushed when it ends (POSIX); on
// Windows each rename is written through at once and this holds nothing.
class FolderSyncBatch {
 public:
  FolderSyncBatch();
  ~FolderSyncBatch();
  FolderSyncBatch(const FolderSyncBatch&) = delete;
  FolderSyncBatch& operator=(const FolderSyncBatch&) = delete;
};

}  // namespace velmo::standalone
