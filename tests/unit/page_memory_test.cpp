// The budget of page bytes a run holds at once: a page that would go beyond it waits until
// enough is given back, and a page alone always gets in.

#include "file_host/files/page_memory.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace velmo {
namespace {

using file_host::PageMemory;

TEST(PageMemory, APageBeyondTheBudgetWaitsForOthersAndAPageAloneAlwaysGetsIn) {
  PageMemory memory(100);
  auto big = memory.hold(250);  // alone: let in, however large
  std::atomic<bool> in{false};
  std::thread next([&] {
    auto small = memory.hold(10);
    in = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(in);
  big = PageMemory::Held();
  next.join();
  EXPECT_TRUE(in);
  // Pages that fit together are held side by side.
  auto a = memory.hold(60);
  auto b = memory.hold(40);
}

}  // namespace
}  // namespace velmo
