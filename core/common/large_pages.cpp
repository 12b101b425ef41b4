#include "core/common/large_pages.h"

#include <cstdint>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace velmo {
namespace {

constexpr std::size_t kLargePage = std::size_t{2} << 20;
constexpr std::size_t kLargeBlock = std::size_t{1} << 20;

std::size_t roundUp(std::size_t n) {
  return (n + kLargePage - 1) & ~(kLargePage - 1);
}

}  // namespace

void preferLargePages([[maybe_unused]] void* data, [[maybe_unused]] std::size_t size) {
#ifdef __linux__
  const auto begin = roundUp(reinterpret_cast<std::uintptr_t>(data));
  const auto end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(kLargePage - 1);
  if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#endif
}

void* LargePageMemory::do_allocate(std::size_t bytes, std::size_t alignment) {
  if (bytes < kLargeBlock) return ::operator new (bytes, std::align_val_t{alignment});
  const std::size_t size = roundUp(bytes);
  void* p = ::operator new (size, std::align_val_t{kLargePage});
  preferLargePages(p, size);
  return p;
}

void LargePageMemory::do_deallocate(void* p, std::size_t bytes, std::size_t alignment) {
  ::operator delete (p, std::align_val_t{bytes < kLargeBlock ? alignment : kLargePage});
}

}  // namespace velmo
