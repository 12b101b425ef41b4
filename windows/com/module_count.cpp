#include "windows/com/module_count.h"

#include <atomic>

namespace velmo::win {
namespace {
std::atomic<long> objects{0};
std::atomic<long> locks{0};
}  // namespace

void objectCreated() noexcept {
  ++objects;
}
void objectDestroyed() noexcept {
  --objects;
}
bool lockServer(bool lock) noexcept {
  if (lock) {
    ++locks;
    return true;
  }
  long held = locks.load();
  do {
    if (held <= 0) return false;
  } while (!locks.compare_exchange_weak(held, held - 1));
  return true;
}
bool moduleUnused() noexcept {
  return objects.load() == 0 && locks.load() == 0;
}

}  // namespace velmo::win
