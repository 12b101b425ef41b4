#include "cli/after_commit.h"

#include <utility>
#include <vector>

namespace velmo::cli {
namespace {

std::vector<std::function<void()>>& heldEffects() {
  static std::vector<std::function<void()>> effects;
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
