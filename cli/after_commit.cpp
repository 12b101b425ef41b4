#include "cli/after_commit.h"

#include <map>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace velmo::cli {
namespace {

// One list per thread: a run over many pages works on several pages at once, each its own
// command. Kept in a map rather than in a thread_local vector: MinGW-w64 runs the destructors
// of thread_local objects after the thread's storage is gone, and velmo.exe crashed there.
using Effects = std::vector<std::function<void()>>;
std::mutex effectsMutex;
std::map<std::thread::id, Effects>& heldEffects() {
  static std::map<std::thread::id, Effects> effects;
  return effects;
}

// This thread's list, which is then no longer held.
Effects takeEffects() {
  std::lock_guard lock(effectsMutex);
  const auto it = heldEffects().find(std::this_thread::get_id());
  if (it == heldEffects().end()) return {};
  Effects taken = std::move(it->second);
  heldEffects().erase(it);
  return taken;
}

}  // namespace

void holdUntilCommitted(std::function<void()> effect) {
  std::lock_guard lock(effectsMutex);
  heldEffects()[std::this_thread::get_id()].push_back(std::move(effect));
}

void runCommittedEffects() {
  // Taken out first: an effect that fails leaves nothing behind to run later.
  const Effects effects = takeEffects();
  for (const auto& effect : effects) effect();
}

void dropHeldEffects() noexcept {
  const Effects dropped = takeEffects();
}

}  // namespace velmo::cli
