// The page keeps only the stretch that edits touched: it must always give back the text as it
// was, and tell exactly whether the text now differs.

#include <gtest/gtest.h>

#include <random>

#include "file_host/html/changed_span.h"

namespace velmo::file_host {
namespace {

// Applies `count` random edits, checking after each that the recorded stretch restores the
// original and that differs() says whether the text changed.
void checkRandomEdits(unsigned seed, int count) {
  std::mt19937 rng(seed);
  const std::string original = "<html><head></head><body>0123456789abcdefghij</body></html>";
  std::string text = original;
  ChangedSpan span;
  for (int k = 0; k < count; ++k) {
    const std::size_t begin = rng() % (text.size() + 1);
    const std::size_t end = begin + rng() % (text.size() - begin + 1);
    // Sometimes put back exactly what is there, so that the text is the original again.
    std::string inserted = rng() % 4 == 0 ? text.substr(begin, end - begin)
                                          : std::string(rng() % 5, static_cast<char>('A' + k));
    span.record(text, begin, end, inserted.size());
    text.replace(begin, end - begin, inserted);

    ASSERT_TRUE(span.touched());
    std::string restored = text;
    restored.replace(span.begin(), span.end() - span.begin(), span.original());
    ASSERT_EQ(restored, original) << "seed " << seed << " edit " << k;
    ASSERT_EQ(span.differs(text), text != original) << "seed " << seed << " edit " << k;
  }
}

TEST(ChangedSpan, GivesBackTheOriginalThroughAnyEdits) {
  for (unsigned seed = 0; seed < 200; ++seed) checkRandomEdits(seed, 12);
}

TEST(ChangedSpan, OneEditKeepsOnlyWhatItReplaced) {
  const std::string text = "<head></head><body>big body</body>";
  ChangedSpan span;
  EXPECT_FALSE(span.differs(text));
  span.record(text, 6, 6, 8);  // "<title/>" into the head
  EXPECT_EQ(span.begin(), 6u);
  EXPECT_EQ(span.end(), 14u);
  EXPECT_EQ(span.original(), "");
  span.clear();
  EXPECT_FALSE(span.touched());
}

}  // namespace
}  // namespace velmo::file_host
