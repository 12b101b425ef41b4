// libFuzzer entry: every page operation on arbitrary bytes must neither crash nor hang and must
// keep everything outside the span it changes.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "tests/fuzz/page_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto failures =
      velmo::testing::checkPageOperations({reinterpret_cast<const char*>(data), size});
  for (const auto& f : failures) std::fprintf(stderr, "%s\n", f.c_str());
  if (!failures.empty()) std::abort();
  return 0;
}
