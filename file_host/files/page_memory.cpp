#include "file_host/files/page_memory.h"

#include <utility>

namespace velmo::file_host {

PageMemory::Held::Held(Held&& other) noexcept
    : memory_(std::exchange(other.memory_, nullptr)), bytes_(other.bytes_) {}

PageMemory::Held& PageMemory::Held::operator=(Held&& other) noexcept {
  if (this != &other) {
    if (memory_) memory_->release(bytes_);
    memory_ = std::exchange(other.memory_, nullptr);
    bytes_ = other.bytes_;
  }
  return *this;
}

PageMemory::Held::~Held() {
  if (memory_) memory_->release(bytes_);
}

PageMemory::Held PageMemory::hold(std::uint64_t bytes) {
  std::unique_lock lock(mutex_);
  freed_.wait(lock, [&] { return holders_ == 0 || held_ + bytes <= budget_; });
  held_ += bytes;
  ++holders_;
  return Held(this, bytes);
}

void PageMemory::release(std::uint64_t bytes) {
  {
    std::lock_guard lock(mutex_);
    held_ -= bytes;
    --holders_;
  }
  // Wakes nobody (and makes no system call) while nobody waits.
  freed_.notify_all();
}

}  // namespace velmo::file_host
