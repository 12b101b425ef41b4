#pragma once
// Big pages and their indexes are held in large memory pages where the system offers them: a
// 50 MB page then costs a few dozen page faults instead of many thousands.

#include <cstddef>
#include <memory_resource>

namespace velmo {

// Asks for large pages for the whole 2 MiB stretches inside [data, data + size).
void preferLargePages(void* data, std::size_t size);

// Hands out blocks of 1 MiB and more in large-page-aligned memory that prefers large pages, and
// smaller ones from the ordinary heap. Meant as the upstream of a pool resource.
class LargePageMemory : public std::pmr::memory_resource {
 private:
  void* do_allocate(std::size_t bytes, std::size_t alignment) override;
  void do_deallocate(void* p, std::size_t bytes, std::size_t alignment) override;
  bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override {
    return this == &other;
  }
};

}  // namespace velmo
