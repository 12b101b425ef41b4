#pragma once
// The bytes of pages that one run over many pages holds in memory at once. Such a run works on
// many pages side by side, most of them waiting for the flush of their new text, so that the
// flushes are few and large; the budget keeps that from holding many large pages at once: a page
// that would go beyond it waits until others are done. A page alone is always let in, however
// large, so that no page waits for ever.

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace velmo::file_host {

class PageMemory {
 public:
  explicit PageMemory(std::uint64_t budget) : budget_(budget) {}
  PageMemory(const PageMemory&) = delete;
  PageMemory& operator=(const PageMemory&) = delete;

  // Bytes held until it goes.
  class Held {
   public:
    Held() = default;
    Held(Held&& other) noexcept;
    Held& operator=(Held&& other) noexcept;
    ~Held();

   private:
    friend class PageMemory;
    Held(PageMemory* memory, std::uint64_t bytes) : memory_(memory), bytes_(bytes) {}
    PageMemory* memory_ = nullptr;
    std::uint64_t bytes_ = 0;
  };

  // Waits until `bytes` fit in the budget beside what is held (or nothing is held), then holds
  // them.
  Held hold(std::uint64_t bytes);

 private:
  void release(std::uint64_t bytes);

  const std::uint64_t budget_;
  std::mutex mutex_;
  std::condition_variable freed_;
  std::uint64_t held_ = 0;
  unsigned holders_ = 0;
};

}  // namespace velmo::file_host
