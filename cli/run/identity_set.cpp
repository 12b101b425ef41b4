#include "cli/run/identity_set.h"

#include <algorithm>
#include <bitset>

namespace velmo::cli {

namespace {
// A sorted list of 4 096 numbers takes as much as the bitmap.
constexpr std::size_t kListAtMost = 4096;
}  // namespace

struct IdentitySet::Block {
  std::vector<std::uint16_t> sorted;
  std::unique_ptr<std::bitset<65536>> bits;
};

IdentitySet::IdentitySet() = default;
IdentitySet::~IdentitySet() = default;

bool IdentitySet::insert(const os::FileIdentity& identity) {
  Block& block = blocks_[{identity.first, identity.second >> 16}];
  const auto low = static_cast<std::uint16_t>(identity.second & 0xFFFF);
  if (block.bits) {
    if (block.bits->test(low)) return false;
    block.bits->set(low);
    return true;
  }
  const auto at = std::lower_bound(block.sorted.begin(), block.sorted.end(), low);
  if (at != block.sorted.end() && *at == low) return false;
  if (block.sorted.size() < kListAtMost) {
    block.sorted.insert(at, low);
    return true;
  }
  block.bits = std::make_unique<std::bitset<65536>>();
  for (const std::uint16_t number : block.sorted) block.bits->set(number);
  block.bits->set(low);
  block.sorted = {};
  return true;
}

}  // namespace velmo::cli
