#include "cli/after_commit.h"

#include <utility>
#include <vector>

namespace velmo::cli {
namespace {

// One list per thread: a run over many pages works on several pages at once, each its own
// command.
std::vector<std::function<void()>>& heldEffects() {
  thread_local std::vector<std::function<void()>> effects;
  return effects;
}

}  // namespace

void holdUntilCommitted(std::function<void()> effect) {
  heldEffects().push_back(std::move(effect));
}

void runCommittedEffects() {
  // Taken out first: an effect that fails leaves nothing behind to run later.
  const auto effects = std::exchange(heldEffects(), {});
  for (const auto& effect : effects) effect();
}

void dropHeldEffects() noexcept {
  heldEffects().clear();
}

}  // namespace velmo::cli
