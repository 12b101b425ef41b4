#include "com/module_count.h"

#include <atomic>

namespace velmo::win {
namespace {
std::atomic<long> count{0};
}  // namespace

void moduleAddRef() noexcept {
  ++count;
}
void moduleRelease() noexcept {
  --count;
}
bool moduleUnused() noexcept {
  return count.load() == 0;
}

}  // namespace velmo::win
