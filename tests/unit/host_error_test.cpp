// Every failure becomes one HostError, whichever exception carried it.

#include "core/common/host_error.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

namespace velmo {
namespace {

template <typename Throw>
HostError caught(Throw thrower) {
  try {
    thrower();
  } catch (...) {
    return hostErrorOf(std::current_exception(), u"unknown");
  }
  ADD_FAILURE() << "nothing was thrown";
  return HostError(0, u"");
}

TEST(HostErrorOf, KeepsHostErrorsAndNamesEveryOtherFailure) {
  const HostError kept = caught([] { throw HostError(hr::kAccessDenied, u"The page is locked"); });
  EXPECT_EQ(kept.hresult(), hr::kAccessDenied);
  EXPECT_EQ(kept.description(), u"The page is locked");

  const HostError memory = caught([] { throw std::bad_alloc(); });
  EXPECT_EQ(memory.hresult(), hr::kOutOfMemory);
  EXPECT_EQ(memory.description(), u"Out of memory");

  const HostError plain = caught([] { throw std::runtime_error("caf\xc3\xa9 closed"); });
  EXPECT_EQ(plain.hresult(), hr::kFail);
  EXPECT_EQ(plain.description(), u"caf\u00e9 closed");

  // A what() that is no UTF-8, and a thrown value that is no exception, say only that it failed.
  EXPECT_EQ(caught([] { throw std::runtime_error("\xff\xfe"); }).description(), u"unknown");
  EXPECT_EQ(caught([] { throw 42; }).hresult(), hr::kFail);
  EXPECT_EQ(caught([] { throw 42; }).description(), u"unknown");
}

}  // namespace
}  // namespace velmo
