#include "file_host/files/write_batch.h"

namespace velmo::file_host {
namespace fs = std::filesystem;

WriteBatch::~WriteBatch() {
  // One flush per file system makes every rename in it durable; folders on a system that
  // cannot flush a file system whole are flushed one by one.
  std::set<std::uint64_t> flushed;
  for (const auto& folder : renamedIn_) {
    const auto known = devices_.find(folder);
    const std::uint64_t device = known == devices_.end() ? 0 : known->second;
    if (device == 0) {
      flushFolder(folder);
    } else if (flushed.insert(device).second) {
      flushFileSystemOf(folder);
    }
  }
}

std::uint64_t WriteBatch::deviceOf(const fs::path& folder) {
  std::lock_guard lock(mutex_);
  const auto known = devices_.find(folder);
  if (known != devices_.end()) return known->second;
  return devices_[folder] = fileSystemOf(folder);
}

int WriteBatch::flushInWave(TemporaryFile& file, const fs::path& folder) {
  Waiting me{file.native(), deviceOf(folder)};
  std::uint32_t wave;
  bool leads;
  {
    std::lock_guard lock(waveMutex_);
    wave = nextWave_;
    leads = next_.empty();
    next_.push_back(&me);
  }
  if (!leads) {
    waitUntilFlushed(wave);
    return me.result;
  }
  // The first file of a wave flushes it once the wave before is flushed, with every file that
  // came meanwhile; those that come later gather for the next.
  waitUntilFlushed(wave - 1);
  std::vector<Waiting*> flushing;
  {
    std::lock_guard lock(waveMutex_);
    flushing.swap(next_);
    ++nextWave_;
  }
  flushWave(flushing);
  std::atomic<std::uint32_t>& done = done_[wave % 2];
  done.store(wave, std::memory_order_release);
  wakeAll(done);
  return me.result;
}

void WriteBatch::waitUntilFlushed(std::uint32_t wave) {
  std::atomic<std::uint32_t>& done = done_[wave % 2];
  for (std::uint32_t seen = done.load(std::memory_order_acquire); seen < wave;
       seen = done.load(std::memory_order_acquire)) {
    waitWhileEqual(done, seen);
  }
}

void WriteBatch::flushWave(const std::vector<Waiting*>& wave) {
  std::map<std::uint64_t, int> flushed;
  for (Waiting* waiting : wave) {
    if (waiting->device == 0) {
      waiting->result = flushFileSystem(waiting->file, 0);
      continue;
    }
    const auto done = flushed.find(waiting->device);
    waiting->result = done != flushed.end() ? done->second
                                            : flushed[waiting->device] =
                                                  flushFileSystem(waiting->file, waiting->device);
  }
  if (afterWave_) afterWave_();
}

bool WriteBatch::folderFound(const fs::path& folder) {
  std::lock_guard lock(mutex_);
  return found_.contains(folder);
}

void WriteBatch::noteFolderFound(const fs::path& folder) {
  std::lock_guard lock(mutex_);
  found_.insert(folder);
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

}  // namespace velmo::file_host
