// The set that tells a page reached a second time answers as a plain set does, for file numbers
// that come in dense runs (a block turns from a list into a bitmap), scattered ones, zero, and
// several devices.

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "cli/run/identity_set.h"

namespace velmo::cli {
namespace {

TEST(IdentitySet, AnswersAsAPlainSetDoes) {
  std::mt19937_64 random(7);
  IdentitySet set;
  std::set<os::FileIdentity> plain;
  const auto check = [&](os::FileIdentity identity) {
    ASSERT_EQ(set.insert(identity), plain.insert(identity).second)
        << identity.first << ":" << identity.second;
  };
  for (int round = 0; round < 3; ++round) {
    // A dense run, met out of order and with repeats: 9 000 numbers in one block.
    for (int i = 0; i < 12000; ++i) check({1, 0x30000 + random() % 9000});
    // Scattered numbers on another device, each twice.
    for (int i = 0; i < 500; ++i) {
      const std::uint64_t number = random();
      check({2, number});
      check({2, number});
    }
    check({0, 0});
    check({1, 0x3FFFF});
    check({1, 0x40000});
  }
}

}  // namespace
}  // namespace velmo::cli
